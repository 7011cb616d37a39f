// Shell operations of the platform seam.
#pragma once

#include <string>

namespace platform {

// Opens the file with its default handler, shown maximised (ShellExecuteExW).
bool shell_open_maximized(const std::u16string& path);
// Moves the file to the recycle bin without asking (SHFileOperationW, FOF_ALLOWUNDO |
// FOF_NOCONFIRMATION).
bool shell_recycle(const std::u16string& path);

}  // namespace platform
