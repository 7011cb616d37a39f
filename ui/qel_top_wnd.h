// The main window as the application sees it: a framework object that owns the frame
// window and publishes the user's commands on m_ui_cmd_sink.
#pragma once

#include "app/qel_ui_cmd.h"
#include "platform/win32/win.h"
#include "qel_lib/qel_iobject.h"
#include "ui/qel_top_wnd_core.h"

class CMyTopWnd : public ZulIObject {
 public:
  CMyTopWnd() = default;
  ~CMyTopWnd() override;

  // Show mode 0 shows the window; other modes keep it hidden.
  bool create(int show_mode);
  void Finalize();

  HWND GetSafeHwnd() const { return m_frame.m_hWnd; }
  CMyTopWndCore* GetFrame() { return &m_frame; }

  qel_ui_cmd_subject m_ui_cmd_sink;

 private:
  CMyTopWndCore m_frame;
};
