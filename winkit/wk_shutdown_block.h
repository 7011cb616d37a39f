// The reason Windows shows for a window that holds up the end of the session, for as long as
// this object lives. The functions are looked up when needed: systems before Vista lack them,
// and a system that refuses the reason (Wine answers FALSE) still ends the session normally.
#pragma once

#include "platform/win32/win.h"

class WkShutdownBlockReason {
 public:
  WkShutdownBlockReason(HWND hwnd, const wchar_t* reason);
  ~WkShutdownBlockReason();
  WkShutdownBlockReason(const WkShutdownBlockReason&) = delete;
  WkShutdownBlockReason& operator=(const WkShutdownBlockReason&) = delete;

 private:
  HWND m_hwnd;
};
