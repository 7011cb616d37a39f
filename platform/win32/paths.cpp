#include "platform/paths.h"

#include "platform/win32/win.h"

#include <shlobj.h>

namespace platform {
namespace {

// No path is longer than this many code units, in UTF-16 or in a double-byte code page.
constexpr DWORD kLongestPath = 65536;

// GetModuleFileName truncates silently to the buffer: grow it until the name fits.
template <typename Char, typename Fn>
std::basic_string<Char> module_file_name(Fn get) {
  std::basic_string<Char> buf(MAX_PATH, Char());
  for (;;) {
    DWORD n = get(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0)
      return {};
    if (n < buf.size()) {
      buf.resize(n);
      return buf;
    }
    if (buf.size() >= kLongestPath)
      return {};
    buf.resize(buf.size() * 2);
  }
}

}  // namespace

std::u16string program_path() {
  std::wstring path = module_file_name<wchar_t>(GetModuleFileNameW);
  return std::u16string(as_u16(path.c_str()), path.size());
}

std::string program_path_ansi() {
  return module_file_name<char>(GetModuleFileNameA);
}

std::u16string program_folder() {
  std::u16string path = program_path();
  size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

bool documents_folder(std::u16string* out) {
  wchar_t buf[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_PERSONAL | CSIDL_FLAG_CREATE, nullptr, 0, buf)))
    return false;
  *out = as_u16(buf);
  return !out->empty();
}

}  // namespace platform
