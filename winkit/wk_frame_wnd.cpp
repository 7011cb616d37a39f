#include "winkit/wk_frame_wnd.h"

#include "winkit/wk_app.h"

bool WkFrameWnd::CreateFrame(const wchar_t* class_name,
                             const wchar_t* title,
                             DWORD style,
                             const RECT& rect,
                             HICON icon,
                             HMENU menu) {
  platform::WindowClassLook look;
  look.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  look.icon = icon;
  look.small_icon = icon;
  look.cursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  look.background = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  return CreateEx(0, class_name, title, style, rect, nullptr, reinterpret_cast<UINT_PTR>(menu),
                  look);
}

void WkFrameWnd::OnFinalMessage(HWND) {
  // The program's main window going away ends the message loop.
  WkApp* app = WkApp::Current();
  if (app && app->m_pMainWnd == this) {
    app->m_pMainWnd = nullptr;
    PostQuitMessage(0);
  }
}
