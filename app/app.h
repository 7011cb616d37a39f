// The program's application class: process-wide start-up (COM, class objects, the register
// switches, sockets, GDI+) around the one application object.
#pragma once

#include <cstdint>

#include "app/qel_app.h"
#include "qel_lib/qel_ptr.h"
#include "winkit/wk_app.h"
#include "winkit/wk_gdiplus.h"

class c_app : public WkApp {
 public:
  c_app() = default;

  bool InitInstance() override;
  int ExitInstance() override;

 private:
  // False when a register or unregister request was handled: the process ends.
  bool dojob_handle_shell_command();

  WkGdiplus m_gdiplus;
  bool m_ole_started = false;
  bool m_sockets_started = false;
  shared_ptr<c_quorvantine_app> m_app;
};
