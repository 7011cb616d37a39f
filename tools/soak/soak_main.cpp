// soak_driver.exe [CYCLES] [--warmup=N] [--idle-ms=N] [--keep] [--no-kills] [--no-discards]
// [--no-folder-changes] [--no-deletions]: drives the real program beside it with simulated
// messengers for CYCLES recordings (default 1000) and prints what grew and what was lost; the
// last line is "soak ratio=X" (private bytes at the end over those after the warm-up). Exit
// code 1 on any loss or growth. The --no-... options leave kinds of events out, to tell which
// one leaves something behind.
#include <cwchar>
#include <string>

#include "platform/win32/win.h"

#include <objbase.h>
#include <shellapi.h>

#include "tools/soak/soak_run.h"

namespace {

bool take_number(const std::wstring& arg, const wchar_t* name, long* out) {
  size_t n = std::wcslen(name);
  if (arg.compare(0, n, name) != 0)
    return false;
  *out = std::wcstol(arg.c_str() + n, nullptr, 10);
  return true;
}

}  // namespace

int wmain() {
  SoakOptions options;
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  for (int i = 1; i < argc; ++i) {
    std::wstring arg = argv[i];
    long v = 0;
    if (arg == L"--keep")
      options.keep = true;
    else if (arg == L"--no-kills")
      options.kills = false;
    else if (arg == L"--no-discards")
      options.discards = false;
    else if (arg == L"--no-folder-changes")
      options.folder_changes = false;
    else if (arg == L"--no-deletions")
      options.deletions = false;
    else if (take_number(arg, L"--warmup=", &v))
      options.warmup = static_cast<int>(v);
    else if (take_number(arg, L"--idle-ms=", &v))
      options.idle_ms = static_cast<DWORD>(v);
    else if ((v = std::wcstol(arg.c_str(), nullptr, 10)) > 0)
      options.cycles = static_cast<int>(v);
    else {
      std::fwprintf(stderr, L"soak: unknown argument %ls\n", arg.c_str());
      return 2;
    }
  }
  LocalFree(argv);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  int code = SoakRun(options).Run();
  CoUninitialize();
  return code;
}
