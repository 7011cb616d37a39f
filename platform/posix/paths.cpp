#include "platform/paths.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>

#include "platform/text.h"

namespace platform {

std::string program_path_ansi() {
  char buf[4096];
  ssize_t n = readlink("/proc/self/exe", buf, sizeof buf - 1);
  return n > 0 ? std::string(buf, static_cast<size_t>(n)) : std::string();
}

std::u16string program_path() { return from_ansi(program_path_ansi()); }

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
  if (dir.empty()) return false;
  struct stat st;
  if (stat(dir.c_str(), &st) != 0 && mkdir(dir.c_str(), 0755) != 0) return false;
  *out = from_ansi(dir);
  return true;
}

}  // namespace platform
