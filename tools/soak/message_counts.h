// What the soak's message hook counts inside the program, in a named shared memory block that
// the driver creates and reads.
#pragma once

#include "platform/win32/win.h"

inline constexpr wchar_t kSoakMessageCountsName[] = L"Local\\QelSoakMessageCounts";

struct SoakMessageCounts {
  volatile LONG messages;  // taken from the UI thread's queue, timers included
  volatile LONG timers;    // WM_TIMER among them
};
