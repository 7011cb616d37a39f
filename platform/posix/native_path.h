// The core's backslash paths as native file names.
#pragma once

#include <string>

namespace platform {

std::string native_path(const std::u16string& path);

}  // namespace platform
