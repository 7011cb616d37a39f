// Modal message box with no owner window (MessageBoxA on Windows; stderr on posix).
#pragma once

namespace platform {

enum MessageBoxButtons : unsigned { kMbOk = 0 };

int message_box(const char* text, const char* caption, unsigned buttons);

}  // namespace platform
