#include "winkit/wk_frame_wnd.h"

#include "winkit/wk_app.h"

namespace {

bool register_frame_class(const wchar_t* class_name, WNDPROC proc, HICON icon) {
  WNDCLASSEXW wc = {};
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (GetClassInfoExW(instance, class_name, &wc))
    return true;
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW | CS_DBLCLKS;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hIcon = icon;
  wc.hIconSm = icon;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = class_name;
  return RegisterClassExW(&wc) != 0;
}

}  // namespace

WkFrameWnd::~WkFrameWnd() {
  DestroyWindow();
}

bool WkFrameWnd::CreateFrame(const wchar_t* class_name,
                             const wchar_t* title,
                             DWORD style,
                             const RECT& rect,
                             HICON icon) {
  if (m_hWnd || !register_frame_class(class_name, WndProc, icon))
    return false;
  CreateWindowExW(0, class_name, title, style, rect.left, rect.top, rect.right - rect.left,
                  rect.bottom - rect.top, nullptr, nullptr, GetModuleHandleW(nullptr), this);
  return m_hWnd != nullptr;
}

bool WkFrameWnd::DestroyWindow() {
  if (!m_hWnd)
    return false;
  return ::DestroyWindow(m_hWnd) != 0;
}

bool WkFrameWnd::ShowWindow(int show_command) {
  return m_hWnd && ::ShowWindow(m_hWnd, show_command);
}

bool WkFrameWnd::IsWindowVisible() const {
  return m_hWnd && ::IsWindowVisible(m_hWnd);
}

LRESULT WkFrameWnd::OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  return DefWindowProcW(m_hWnd, msg, wparam, lparam);
}

LRESULT CALLBACK WkFrameWnd::WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  WkFrameWnd* self = reinterpret_cast<WkFrameWnd*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    self = static_cast<WkFrameWnd*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    self->m_hWnd = hwnd;
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
  }
  if (!self)
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  LRESULT result = self->OnMessage(msg, wparam, lparam);
  if (msg == WM_NCDESTROY) {
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
    self->m_hWnd = nullptr;
    // The program's main window going away ends the message loop.
    WkApp* app = WkApp::Current();
    if (app && app->m_pMainWnd == self) {
      app->m_pMainWnd = nullptr;
      PostQuitMessage(0);
    }
  }
  return result;
}
