#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/text.h"

namespace platform {

// readlink truncates silently to the buffer: grow it until the name fits.
std::string program_path_ansi() {
  std::string buf(4096, '\0');
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n <= 0)
      return {};
    if (static_cast<size_t>(n) < buf.size()) {
      buf.resize(static_cast<size_t>(n));
      return buf;
    }
    buf.resize(buf.size() * 2);
  }
}

std::u16string program_path() {
  return from_ansi(program_path_ansi());
}

std::u16string program_folder() {
  std::u16string path = program_path();
  size_t slash = path.rfind(u'/');
  return slash == std::u16string::npos ? std::u16string() : path.substr(0, slash + 1);
}

// QEL_DOCUMENTS lets tests point the Documents folder somewhere of their own.
bool documents_folder(std::u16string* out) {
  std::string dir;
  if (const char* d = std::getenv("QEL_DOCUMENTS")) {
    dir = d;
  } else if (const char* home = std::getenv("HOME")) {
    dir = std::string(home) + "/Documents";
  } else {
    return false;
  }
  if (dir.empty())
    return false;
  struct stat st;
  if (stat(dir.c_str(), &st) != 0 && mkdir(dir.c_str(), 0755) != 0)
    return false;
  *out = from_ansi(dir);
  return true;
}

}  // namespace platform
