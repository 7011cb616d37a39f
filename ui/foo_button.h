// The one button control of the interface: an owner-drawn child button that serves as push
// button with hot tracking, drop-down menu button, flat picture or label, and hyperlink.
// Its click reaches the parent as WM_COMMAND with its id, like a standard button's.
#pragma once

#include <string>

#include "platform/win32/win.h"
#include "ui/core/foo_button_layout.h"
#include "ui/foo_button_image.h"
#include "winkit/wk_gdi.h"
#include "winkit/wk_wnd.h"

class FooButton : public WkWnd {
 public:
  static constexpr COLORREF kHyperlinkColor = RGB(0, 0, 224);
  static constexpr COLORREF kNoKey = kFooNoKey;

  FooButton();
  ~FooButton() override;

  // A visible owner-drawn child button; style adds to WS_CHILD | WS_VISIBLE.
  bool Create(const wchar_t* caption, DWORD style, const RECT& rect, HWND parent, UINT id);
  // Takes over an owner-drawn button of a dialog template.
  bool SubclassDlgItem(UINT id, HWND parent);

  void SetType(int kind);
  int GetType() const { return m_kind; }
  void SetTextStyle(int text_style);
  void SetFocusStyle(int focus_style) { m_focus_style = focus_style; }
  void SetBackgroundColor(COLORREF color, bool redraw = true);
  void SetTextColor(COLORREF color, bool redraw = true);
  // Tahoma at this many points; 0 uses the window's font. WM_GETFONT then answers it.
  void SetFontSize(int points);
  // The size a caption takes in the font of SetFontSize(points), as the button draws it.
  static SIZE MeasureCaption(const wchar_t* caption, int points);
  // Normal, mouse-over and held-down faces (bitmap ids; 0 for none), drawn with the key
  // colour transparent. An id that does not load leaves that face blank.
  void SetFaceImages(UINT normal, UINT hot, UINT pressed, COLORREF key);
  void SetPicture(UINT id, COLORREF key);
  // The popup under the bottom-left corner; returns the chosen command, 0 for none.
  UINT ShowMenu(HMENU popup);
  bool Enable(bool enable);

  bool IsHot() const { return m_hot; }
  // Whether the process holds "GradientFill" (from the first button to the last).
  static bool GradientFillLoaded();

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) override;
  bool OnReflectedMessage(UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* result) override;

 private:
  enum Face { kNormal, kHot, kPressed, kDisabled, kFaceCount };

  void Draw(HDC dc, const RECT& client, UINT state);
  void DrawFrame(HDC dc, const RECT& client, bool pressed);
  void DrawImage(HDC dc, const RECT& client, bool pressed, bool disabled);
  void DrawText(HDC dc, const RECT& client, bool pressed, bool disabled);
  void DrawDropDownMark(HDC dc, const RECT& client, bool disabled);
  void DrawFocusMark(HDC dc, const RECT& client);
  HFONT CurrentFont() const;
  HBITMAP FaceFor(bool pressed, bool disabled);
  void OnMouseMove();
  void OnMouseLeave();
  void SetKeyboardCues(bool shown);

  int m_kind = kFooPush;
  int m_text_style = kFooTextCenter;
  int m_focus_style = 0;
  COLORREF m_background;
  COLORREF m_text_color;
  WkFont m_font;
  WkBitmap m_faces[kFaceCount];
  COLORREF m_key = kNoKey;
  bool m_hot = false;
  bool m_tracking = false;
  // The user moves the focus with the keyboard: the focus mark is shown.
  bool m_keyboard_cues = false;
};
