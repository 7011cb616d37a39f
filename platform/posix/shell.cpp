#include "platform/shell.h"

#include <cstdio>

#include "platform/posix/native_path.h"
#include "platform/posix/shell_record.h"

namespace platform {

static std::string& recycle_folder() {
  static std::string folder;
  return folder;
}

void set_recycle_folder(const std::string& folder) {
  recycle_folder() = folder;
}

std::vector<std::u16string>& played_files() {
  static std::vector<std::u16string> files;
  return files;
}

bool shell_open_maximized(const std::u16string& path) {
  played_files().push_back(path);
  return true;
}

bool shell_recycle(const std::u16string& path) {
  if (recycle_folder().empty())
    return false;
  std::string from = native_path(path);
  size_t slash = from.rfind('/');
  std::string leaf = slash == std::string::npos ? from : from.substr(slash + 1);
  return rename(from.c_str(), (recycle_folder() + "/" + leaf).c_str()) == 0;
}

}  // namespace platform
