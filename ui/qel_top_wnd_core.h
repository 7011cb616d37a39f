// The main frame window until the full main window lands: shown or hidden on request,
// brought forward by the "Open Main Window" command, hidden instead of closed.
#pragma once

#include "platform/win32/win.h"
#include "winkit/wk_frame_wnd.h"

class CMyTopWndCore : public WkFrameWnd {
 public:
  // Show modes of create: 0 shows the window, any other value keeps it hidden.
  bool create(int show_mode);

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) override;

 private:
  void dojob_show_and_activate();
};
