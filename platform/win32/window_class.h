// The one window procedure of the program: every window class is registered here and each
// window's messages go to the handler object given when the window is created.
#pragma once

#include "platform/win32/win.h"

namespace platform {

class WindowHandler {
 public:
  virtual LRESULT HandleMessage(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) = 0;

 protected:
  ~WindowHandler() = default;
};

struct WindowClassLook {
  UINT style = 0;
  HICON icon = nullptr;
  HICON small_icon = nullptr;
  HCURSOR cursor = nullptr;
  HBRUSH background = nullptr;
};

// Registers the class once per process; a class that exists already (registered earlier,
// or again after it was unregistered) counts as success.
bool register_window_class(const wchar_t* name, const WindowClassLook& look = {});

// Creates a window of a class registered above. The handler gets every message from
// WM_NCCREATE up to and including WM_NCDESTROY; earlier ones go to DefWindowProcW.
HWND create_window(WindowHandler* handler,
                   DWORD ex_style,
                   const wchar_t* class_name,
                   const wchar_t* title,
                   DWORD style,
                   const RECT& rect,
                   HWND parent,
                   HMENU menu_or_id);

}  // namespace platform
