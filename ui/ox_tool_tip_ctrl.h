// The tooltip window of the main window's buttons and links. It watches the owner's mouse
// messages (relayed from the message loop), and when the cursor rests on a tool it asks the
// owner for the text (TTN_NEEDTEXTW) or takes the tool's own, and shows it near the cursor.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/win.h"
#include "ui/core/tool_tip_layout.h"
#include "winkit/wk_gdi.h"
#include "winkit/wk_wnd.h"

struct COXToolTipInfo {
  HWND window = nullptr;
  UINT id = 0;
  // In the window's client coordinates; empty: the whole client area.
  RECT rect = {};
  std::wstring text;
  bool by_callback = false;
};

class COXToolTipCtrl : public WkWnd {
 public:
  static constexpr UINT_PTR kShowTimer = 1;
  static constexpr UINT_PTR kHideTimer = 2;

  COXToolTipCtrl();

  bool Create(HWND parent);
  // text null (or LPSTR_TEXTCALLBACKW): asked from the parent when the tip shows.
  bool AddTool(HWND window, const wchar_t* text, const RECT* rect, UINT id);
  void DelTool(HWND window, UINT id);
  int GetToolCount() const { return static_cast<int>(m_tools.size()); }
  // Every message of the parent's windows passes through here before it is dispatched.
  void RelayEvent(const MSG* msg);

  void SetMargins(const ToolTipMargins& margins) { m_margins = margins; }
  void SetOffset(POINT offset) { m_offset = {offset.x, offset.y}; }
  void SetDelays(UINT initial_ms, UINT display_ms, UINT reshow_ms);
  void SetColors(COLORREF text, COLORREF background);

  // The tool under the cursor and the text shown, for tests and the owner.
  const COXToolTipInfo* GetCurrentTool() const;
  const std::wstring& GetShownText() const { return m_shown_text; }
  bool IsShowing() const { return IsWindowVisible(); }
  // Shows the tip of the current tool at once (what the initial delay's end does).
  bool ShowTip();
  void HideTip();

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) override;

 private:
  int dojob_find_tool(HWND window, POINT client_point) const;
  std::wstring dojob_request_text(const COXToolTipInfo& tool);
  void dojob_enter_tool(int index);
  void OnPaint();

  std::vector<COXToolTipInfo> m_tools;
  int m_current = -1;
  std::wstring m_shown_text;
  ToolTipMargins m_margins;
  UiPoint m_offset = {0, 20};
  UINT m_initial_ms = 500;
  UINT m_display_ms = 5000;
  UINT m_reshow_ms = 500;
  ULONGLONG m_hidden_at = 0;
  COLORREF m_text_color;
  COLORREF m_back_color;
  WkFont m_font;
};
