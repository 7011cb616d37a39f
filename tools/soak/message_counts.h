// What the soak's message hook counts inside the program, in a named shared memory block that
// the driver creates and reads.
#pragma once

#include "platform/win32/win.h"

#include <string>

// One block per watched process, so that soaks and tests in one session stay apart.
inline std::wstring soak_message_counts_name(DWORD pid) {
  return L"Local\\QelSoakMessageCounts." + std::to_wstring(pid);
}

struct SoakMessageCounts {
  volatile LONG messages;  // taken from the UI thread's queue, timers included
  volatile LONG timers;    // WM_TIMER among them
};
