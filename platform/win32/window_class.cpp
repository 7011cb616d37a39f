#include "platform/win32/window_class.h"

namespace platform {
namespace {

LRESULT CALLBACK handler_proc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  auto* handler = reinterpret_cast<WindowHandler*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (msg == WM_NCCREATE) {
    handler = static_cast<WindowHandler*>(reinterpret_cast<CREATESTRUCTW*>(lparam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(handler));
  }
  if (!handler)
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  if (msg == WM_NCDESTROY)
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, 0);
  return handler->HandleMessage(hwnd, msg, wparam, lparam);
}

}  // namespace

bool register_window_class(const wchar_t* name, const WindowClassLook& look) {
  if (!name || !*name)
    return false;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW wc = {};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(instance, name, &wc))
    return true;
  wc.style = look.style;
  wc.lpfnWndProc = handler_proc;
  wc.hInstance = instance;
  wc.hIcon = look.icon;
  wc.hIconSm = look.small_icon;
  wc.hCursor = look.cursor;
  wc.hbrBackground = look.background;
  wc.lpszClassName = name;
  return RegisterClassExW(&wc) != 0 || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND create_window(WindowHandler* handler,
                   DWORD ex_style,
                   const wchar_t* class_name,
                   const wchar_t* title,
                   DWORD style,
                   const RECT& rect,
                   HWND parent,
                   HMENU menu_or_id) {
  return CreateWindowExW(ex_style, class_name, title, style, rect.left, rect.top,
                         rect.right - rect.left, rect.bottom - rect.top, parent, menu_or_id,
                         GetModuleHandleW(nullptr), handler);
}

}  // namespace platform
