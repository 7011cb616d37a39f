// A top-level window: its class is registered once, and when it is the application's main
// window its end also ends the message loop.
#pragma once

#include "platform/win32/win.h"
#include "winkit/wk_wnd.h"

class WkFrameWnd : public WkWnd {
 public:
  // Registers class_name (once per process) and creates the window, initially hidden unless
  // style says WS_VISIBLE.
  bool CreateFrame(const wchar_t* class_name,
                   const wchar_t* title,
                   DWORD style,
                   const RECT& rect,
                   HICON icon = nullptr,
                   HMENU menu = nullptr);

 protected:
  void OnFinalMessage(HWND hwnd) override;
};
