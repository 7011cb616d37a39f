// What another process shows of a running program: its memory, handles, GUI objects and
// windows, read from outside through the system's process queries.
#pragma once

#include "platform/win32/win.h"
#include "tools/soak/soak_plan.h"

SoakSample probe_process(DWORD pid);
