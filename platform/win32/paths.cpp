#include "platform/paths.h"

#include "platform/win32/win.h"

#include <shlobj.h>

namespace platform {

std::u16string program_path() {
  wchar_t buf[32768];
  DWORD n = GetModuleFileNameW(nullptr, buf, 32768);
  return n && n < 32768 ? std::u16string(as_u16(buf), n) : std::u16string();
}

std::string program_path_ansi() {
  char buf[26000];
  DWORD n = GetModuleFileNameA(nullptr, buf, sizeof buf);
  return n && n < sizeof buf ? std::string(buf, n) : std::string();
}

bool documents_folder(std::u16string* out) {
  wchar_t buf[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0, buf)))
    return false;
  *out = as_u16(buf);
  return !out->empty();
}

}  // namespace platform
