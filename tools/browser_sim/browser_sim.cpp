// Stands in for the web browser: registered by a test as the shell's handler of http
// addresses, it writes the address it was started with into the file named first.
#include "platform/win32/scoped_handle.h"
#include "platform/win32/win.h"

#include <shellapi.h>

#include <string>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc < 3)
    return 1;
  std::wstring out = argv[1];
  int len = WideCharToMultiByte(CP_UTF8, 0, argv[2], -1, nullptr, 0, nullptr, nullptr);
  std::string address(len > 0 ? len - 1 : 0, '\0');
  WideCharToMultiByte(CP_UTF8, 0, argv[2], -1, address.data(), len, nullptr, nullptr);
  // Written aside and renamed, so a reader never sees half an address.
  std::wstring part = out + L".part";
  BOOL ok = FALSE;
  {
    platform::ScopedFileHandle h(
        CreateFileW(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    if (!h)
      return 1;
    DWORD written = 0;
    ok = WriteFile(h.get(), address.data(), static_cast<DWORD>(address.size()), &written, nullptr);
  }
  if (!ok || !MoveFileExW(part.c_str(), out.c_str(), MOVEFILE_REPLACE_EXISTING))
    return 1;
  LocalFree(argv);
  return 0;
}
