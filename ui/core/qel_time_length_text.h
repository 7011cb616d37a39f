// The history list's length cell: "00:59", "12:34", "1:00:00".
#pragma once

#include <cstdint>
#include <string>

std::u16string qel_time_length_text(int32_t _seconds);
