// A top-level window owned by a C++ object: the class is registered once, every message
// goes through one OnMessage switch, and the object destroys its window when it dies.
#pragma once

#include "platform/win32/win.h"

class WkFrameWnd {
 public:
  WkFrameWnd() = default;
  WkFrameWnd(const WkFrameWnd&) = delete;
  WkFrameWnd& operator=(const WkFrameWnd&) = delete;
  virtual ~WkFrameWnd();

  // Registers class_name (once per process) with this layer's procedure and creates the
  // window, initially hidden unless style says WS_VISIBLE.
  bool CreateFrame(const wchar_t* class_name,
                   const wchar_t* title,
                   DWORD style,
                   const RECT& rect,
                   HICON icon = nullptr);
  bool DestroyWindow();
  bool ShowWindow(int show_command);
  bool IsWindowVisible() const;

  HWND m_hWnd = nullptr;

 protected:
  // Everything not handled goes to DefWindowProcW.
  virtual LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam);

 private:
  static LRESULT CALLBACK WndProc(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
};
