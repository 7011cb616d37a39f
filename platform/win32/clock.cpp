#include "platform/clock.h"

#include <ctime>

#include "platform/win32/win.h"

namespace platform {

int64_t system_time() {
  return static_cast<int64_t>(_time64(nullptr));
}

uint64_t system_monotonic_ms() {
  return GetTickCount64();
}

bool system_local_time(int64_t t, LocalTime* out) {
  __time64_t tt = t;
  struct tm tm;
  if (_localtime64_s(&tm, &tt) != 0)
    return false;
  *out = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  return true;
}

}  // namespace platform
