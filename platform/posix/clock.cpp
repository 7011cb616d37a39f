#include "platform/clock.h"

#include <ctime>

namespace platform {

namespace {
constexpr int64_t kLastConvertible = 32535215999;  // 3000-12-31 23:59:59 UTC
}  // namespace

int64_t system_time() {
  return static_cast<int64_t>(time(nullptr));
}

uint64_t system_monotonic_ms() {
  struct timespec ts;
  clock_gettime(CLOCK_MONOTONIC, &ts);
  return static_cast<uint64_t>(ts.tv_sec) * 1000 + static_cast<uint64_t>(ts.tv_nsec) / 1000000;
}

bool system_local_time(int64_t t, LocalTime* out) {
  // As the Windows C library: nothing before 1970 or after the year 3000.
  if (t < 0 || t > kLastConvertible)
    return false;
  time_t tt = static_cast<time_t>(t);
  struct tm tm;
  if (!localtime_r(&tt, &tm))
    return false;
  *out = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  return true;
}

}  // namespace platform
