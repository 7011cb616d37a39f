#include "platform/message_box.h"

#include "platform/win32/win.h"

namespace platform {

int message_box(const char* text, const char* caption, unsigned buttons) {
  return MessageBoxA(nullptr, text, caption, buttons == kMbOk ? MB_OK : buttons);
}

}  // namespace platform
