// The history list's start-time cell: "Today, 14:05", "Yesterday, 22:10", "Wed, 09:30",
// "Feb 3, 14:05" or "2024-02-03, 14:05", depending on how far the start lies from now.
#pragma once

#include <cstdint>
#include <string>

#include "ui/core/qel_ui_text.h"

// Local calendar fields in the C library's convention.
struct qel_calendar {
  int year = 0;   // since 1900
  int month = 0;  // 0-11
  int mday = 0;   // 1-31
  int hour = 0;
  int minute = 0;
  int weekday = 0;  // 0 is Sunday
};

// Converts seconds since 1970 UTC to local calendar fields; false when it cannot.
using qel_local_time_fn = bool (*)(int64_t _time, qel_calendar* _out);

// The operating system's local time zone.
bool qel_os_local_calendar(int64_t _time, qel_calendar* _out);
// The UTC calendar of a time, for any 64-bit value whose year fits an int; tests build
// fixed time zones on it.
bool qel_utc_calendar(int64_t _time, qel_calendar* _out);

// Times the list can show: 1 to 2^44 - 1 seconds.
bool qel_is_displayable_time(int64_t _time);

std::u16string qel_start_time_text(int64_t _now,
                                   int64_t _start,
                                   qel_local_time_fn _local_time,
                                   qel_ui_text_fn _text);
