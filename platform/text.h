// Conversions between the portable core's UTF-16 text and 8-bit text in the thread's ANSI
// code page (UTF-8 on posix).
#pragma once

#include <string>
#include <string_view>

namespace platform {

std::string to_ansi(std::u16string_view text);
std::u16string from_ansi(std::string_view text);

}  // namespace platform
