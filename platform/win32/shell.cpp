#include "platform/shell.h"

#include "platform/win32/win.h"

#include <shellapi.h>

namespace platform {

bool shell_open_maximized(const std::u16string& path) {
  SHELLEXECUTEINFOW info = {};
  info.cbSize = sizeof info;
  info.lpFile = as_wide(path.c_str());
  info.nShow = SW_SHOWMAXIMIZED;
  return ShellExecuteExW(&info) != 0;
}

bool shell_recycle(const std::u16string& path) {
  // pFrom is a list ended by an empty string: two terminators.
  std::u16string from = path + u'\0';
  SHFILEOPSTRUCTW op = {};
  op.wFunc = FO_DELETE;
  op.pFrom = as_wide(from.c_str());
  op.fFlags = FOF_ALLOWUNDO | FOF_NOCONFIRMATION;
  return SHFileOperationW(&op) == 0 && !op.fAnyOperationsAborted;
}

}  // namespace platform
