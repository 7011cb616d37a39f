// Stands in for a downloaded setup program: it only leaves "<its own path>.ran" behind, so a
// test can see that it was started and which file was started.
#include <windows.h>

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
  wchar_t path[32768];
  DWORD n = GetModuleFileNameW(nullptr, path, 32768 - 8);
  if (n == 0 || n >= 32768 - 8)
    return 1;
  lstrcatW(path, L".ran");
  HANDLE h = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return 1;
  CloseHandle(h);
  return 0;
}
