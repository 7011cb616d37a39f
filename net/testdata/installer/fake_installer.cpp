// Stands in for a downloaded setup program: it only leaves "<its own path>.ran" behind, so a
// test can see that it was started and which file was started.
#include "platform/paths.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/win.h"

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  std::u16string path = platform::program_path();
  if (path.empty())
    return 1;
  path += u".ran";
  platform::ScopedFileHandle h(
      CreateFileW(as_wide(path.c_str()), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  return h ? 0 : 1;
}
