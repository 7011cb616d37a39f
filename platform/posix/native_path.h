// The core's Windows paths as native file names, looked up the way Windows looks them up.
#pragma once

#include <string>

namespace platform {

// Backslashes become '/'; a component that does not exist in this spelling takes the spelling
// of an entry of its folder that differs only in letter case, as Windows file names ignore case.
std::string native_path(const std::u16string& path);

// Whether Windows would refuse the path as a file name: it holds one of the characters
// " * < > ? | or a control character. (A ':' names a stream on Windows, so it is let through.)
bool is_reserved_name(const std::u16string& path);

}  // namespace platform
