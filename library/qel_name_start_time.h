// The start time a recording's file name gives. The program names a recording after the local
// time it starts, "%4d-%02d-%02d %02d-%02d-%02d", with "-N" added when that name is taken and
// the engine's extension after it; a recording the program never tagged (it was killed while
// the engine recorded) has nothing else to tell when it started.
#pragma once

#include <cstdint>
#include <string_view>

#include "platform/clock.h"

// The local calendar fields of a file name "<stamp>[-N][.ext]", N from 1 without leading
// zeros; false for any other name and for a stamp no calendar has (month 13, 31 February,
// 29 February outside a leap year, hour 24, minute or second 60).
bool qel_parse_name_stamp(std::u16string_view _file_name, platform::LocalTime* _out);

// The instant the local clock of platform::local_time showed these fields. Where the clock
// goes back and an hour repeats, the first pass; where it goes forward and an hour is
// missing, the time is read as if the clock had not moved yet (02:30 on the day summer time
// starts in Berlin is 01:30 UTC, shown as 03:30). Both are the reading with the offset in
// force before the switch. False when the calendar cannot convert the time.
bool qel_time_from_local(const platform::LocalTime& _local, int64_t* _out);

// Both steps: the start time a recording's file name (without its folder) gives.
bool qel_start_time_from_name(std::u16string_view _file_name, int64_t* _out);
