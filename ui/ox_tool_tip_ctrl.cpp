#include "ui/ox_tool_tip_ctrl.h"

#include <commctrl.h>

#include <cwchar>

namespace {

constexpr wchar_t kClassName[] = L"QelToolTipWnd";

bool inside(const RECT& rect, POINT point) {
  return point.x >= rect.left && point.x < rect.right && point.y >= rect.top &&
         point.y < rect.bottom;
}

}  // namespace

COXToolTipCtrl::COXToolTipCtrl()
    : m_text_color(GetSysColor(COLOR_INFOTEXT)), m_back_color(GetSysColor(COLOR_INFOBK)) {}

bool COXToolTipCtrl::Create(HWND parent) {
  platform::WindowClassLook look;
  look.style = CS_SAVEBITS;
  look.cursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  if (!CreateEx(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClassName, L"", WS_POPUP,
                RECT{}, parent, 0, look))
    return false;
  NONCLIENTMETRICSW metrics = {};
  metrics.cbSize = sizeof metrics;
  if (SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0))
    m_font.reset(CreateFontIndirectW(&metrics.lfStatusFont));
  return true;
}

bool COXToolTipCtrl::AddTool(HWND window, const wchar_t* text, const RECT* rect, UINT id) {
  if (!m_hWnd || !window)
    return false;
  COXToolTipInfo tool;
  tool.window = window;
  tool.id = id;
  tool.by_callback = !text || text == LPSTR_TEXTCALLBACKW;
  if (!tool.by_callback)
    tool.text = text;
  if (rect)
    tool.rect = *rect;
  m_tools.push_back(tool);
  return true;
}

void COXToolTipCtrl::DelTool(HWND window, UINT id) {
  for (size_t i = 0; i < m_tools.size(); ++i) {
    if (m_tools[i].window != window || m_tools[i].id != id)
      continue;
    if (m_current == static_cast<int>(i))
      HideTip();
    m_tools.erase(m_tools.begin() + i);
    m_current = -1;
    return;
  }
}

void COXToolTipCtrl::SetDelays(UINT initial_ms, UINT display_ms, UINT reshow_ms) {
  m_initial_ms = initial_ms;
  m_display_ms = display_ms;
  m_reshow_ms = reshow_ms;
}

void COXToolTipCtrl::SetColors(COLORREF text, COLORREF background) {
  m_text_color = text;
  m_back_color = background;
  Invalidate();
}

const COXToolTipInfo* COXToolTipCtrl::GetCurrentTool() const {
  return m_current >= 0 ? &m_tools[m_current] : nullptr;
}

int COXToolTipCtrl::dojob_find_tool(HWND window, POINT client_point) const {
  for (size_t i = 0; i < m_tools.size(); ++i) {
    const COXToolTipInfo& tool = m_tools[i];
    if (tool.window != window)
      continue;
    RECT area = tool.rect;
    if (IsRectEmpty(&area))
      ::GetClientRect(window, &area);
    if (inside(area, client_point))
      return static_cast<int>(i);
  }
  return -1;
}

void COXToolTipCtrl::RelayEvent(const MSG* msg) {
  if (!m_hWnd || !msg)
    return;
  switch (msg->message) {
    case WM_MOUSEMOVE: {
      POINT point = {static_cast<short>(LOWORD(msg->lParam)),
                     static_cast<short>(HIWORD(msg->lParam))};
      int index = dojob_find_tool(msg->hwnd, point);
      if (index != m_current)
        dojob_enter_tool(index);
      break;
    }
    case WM_MOUSELEAVE:
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
    case WM_KEYDOWN:
      if (m_current >= 0 && msg->hwnd == m_tools[m_current].window) {
        HideTip();
        // A click ends the tip for this visit; moving onto another tool starts again.
        KillTimer(kShowTimer);
      }
      break;
  }
}

void COXToolTipCtrl::dojob_enter_tool(int index) {
  bool was_showing = IsShowing();
  HideTip();
  m_current = index;
  if (index < 0)
    return;
  // Moving from one tip straight onto the next tool shows it after the shorter delay.
  bool recent = was_showing || GetTickCount64() - m_hidden_at < m_reshow_ms;
  SetTimer(kShowTimer, recent ? m_reshow_ms : m_initial_ms);
}

std::wstring COXToolTipCtrl::dojob_request_text(const COXToolTipInfo& tool) {
  if (!tool.by_callback)
    return tool.text;
  NMTTDISPINFOW info = {};
  info.hdr.hwndFrom = m_hWnd;
  info.hdr.idFrom = tool.id;
  info.hdr.code = TTN_NEEDTEXTW;
  HWND owner = GetParent();
  if (!owner)
    owner = tool.window;
  SendMessageW(owner, WM_NOTIFY, tool.id, reinterpret_cast<LPARAM>(&info));
  if (info.lpszText && !IS_INTRESOURCE(info.lpszText))
    return std::wstring(info.lpszText);
  info.szText[sizeof info.szText / sizeof info.szText[0] - 1] = L'\0';
  return std::wstring(info.szText);
}

bool COXToolTipCtrl::ShowTip() {
  KillTimer(kShowTimer);
  if (m_current < 0)
    return false;
  m_shown_text = dojob_request_text(m_tools[m_current]);
  if (m_shown_text.empty())
    return false;
  HDC dc = GetDC(m_hWnd);
  RECT measured = {};
  {
    WkSelectObject font(dc, m_font ? m_font.get() : GetStockObject(DEFAULT_GUI_FONT));
    ::DrawTextW(dc, m_shown_text.c_str(), -1, &measured, DT_CALCRECT | DT_NOPREFIX);
  }
  ReleaseDC(m_hWnd, dc);
  POINT cursor;
  GetCursorPos(&cursor);
  HMONITOR monitor = MonitorFromPoint(cursor, MONITOR_DEFAULTTONEAREST);
  MONITORINFO info = {};
  info.cbSize = sizeof info;
  GetMonitorInfoW(monitor, &info);
  UiRect rect = tool_tip_window_rect(
      UiPoint{cursor.x, cursor.y}, m_offset, UiSize{measured.right, measured.bottom}, m_margins,
      UiRect{info.rcWork.left, info.rcWork.top, info.rcWork.right, info.rcWork.bottom});
  SetWindowPos(m_hWnd, HWND_TOPMOST, rect.left, rect.top, rect.width(), rect.height(),
               SWP_NOACTIVATE | SWP_SHOWWINDOW);
  Invalidate();
  SetTimer(kHideTimer, m_display_ms);
  return true;
}

void COXToolTipCtrl::HideTip() {
  KillTimer(kHideTimer);
  if (IsShowing()) {
    ShowWindow(SW_HIDE);
    m_hidden_at = GetTickCount64();
  }
}

void COXToolTipCtrl::OnPaint() {
  WkPaintDC paint(m_hWnd);
  RECT client = GetClientRect();
  WkBrush back(CreateSolidBrush(m_back_color));
  FillRect(paint.dc(), &client, back.get());
  WkBrush frame(CreateSolidBrush(m_text_color));
  FrameRect(paint.dc(), &client, frame.get());
  UiRect text = tool_tip_text_rect(UiSize{client.right, client.bottom}, m_margins);
  RECT box = {text.left, text.top, text.right, text.bottom};
  WkSelectObject font(paint.dc(), m_font ? m_font.get() : GetStockObject(DEFAULT_GUI_FONT));
  SetBkMode(paint.dc(), TRANSPARENT);
  ::SetTextColor(paint.dc(), m_text_color);
  ::DrawTextW(paint.dc(), m_shown_text.c_str(), -1, &box, DT_NOPREFIX);
}

LRESULT COXToolTipCtrl::OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_TIMER:
      if (wparam == kShowTimer)
        ShowTip();
      else if (wparam == kHideTimer)
        HideTip();
      return 0;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_NCHITTEST:
      // The tip never takes the mouse from the tool under it.
      return HTTRANSPARENT;
  }
  return WkWnd::OnMessage(msg, wparam, lparam);
}
