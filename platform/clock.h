// The current time and the local calendar. Everything that shows or names a time reads them
// here, so that a test in the same process can put a fixed instant and zone in their place.
#pragma once

#include <cstdint>

namespace platform {

// Calendar time in the local time zone.
struct LocalTime {
  int year, month, day, hour, minute, second;
};

// Seconds since 1970 UTC.
int64_t current_time();
// Milliseconds on a clock that only goes forward, whatever the calendar clock does: for
// deadlines, never for showing a time.
uint64_t monotonic_ms();
// False when the calendar cannot convert the time (the Windows C library refuses times
// before 1970 and after the year 3000).
bool local_time(int64_t time, LocalTime* out);

// A clock and zone other than the system's.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual int64_t now() = 0;
  virtual bool local_time(int64_t time, LocalTime* out) = 0;
  // A clock that stands still for the calendar still lets deadlines pass.
  virtual uint64_t monotonic_ms();
};

// Puts clock in the system's place (null gives the system's back); returns the clock it
// replaced. Not thread-safe: set it before the code that reads the time runs.
Clock* set_clock(Clock* clock);

// The system's own clock and zone, whatever is set.
int64_t system_time();
bool system_local_time(int64_t time, LocalTime* out);
uint64_t system_monotonic_ms();

}  // namespace platform
