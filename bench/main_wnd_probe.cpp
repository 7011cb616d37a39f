// Watches the real program from outside, as a user's clock would, for the main-window
// benchmarks:
//   main_wnd_probe startup EXE ROWS   starts EXE, exits it once its main window is shown
//                                     with ROWS rows in its list, then prints "startup_ms N",
//                                     the time until the window was so
//   main_wnd_probe starts EXE ROWS    the same once for every line read from stdin, until
//                                     its end: no probe starts between measured starts
//   main_wnd_probe idle EXE SECONDS   starts EXE, closes its window to the tray, then sends
//                                     two marker messages SECONDS apart and exits it; the
//                                     messages in between are counted from Wine's trace
//   main_wnd_probe frame FILE         writes "WxH+X+Y" of the running program's main window
//                                     with any open menu into FILE, for cropping a screenshot
//                                     (run in the program's desktop, which has no console)
#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <string>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win.h"
#include "res/resource.h"
#include "ui/qel_ui_cmd.h"

#include <commctrl.h>
#include <shellapi.h>

namespace {

constexpr wchar_t kMainClass[] = L"Quorvantine-msn-main-wnd";
// WM_NULL with this parameter shows in the trace and changes nothing in the program.
constexpr WPARAM kMarker = 0x51E1;

struct Started {
  PROCESS_INFORMATION pi = {};
  bool ok = false;
  platform::ScopedKernelHandle process;
  platform::ScopedKernelHandle thread;
};

Started start(const wchar_t* exe) {
  std::wstring line = std::wstring(L"\"") + exe + L"\" /start_context user_manual";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  Started s;
  s.ok = CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si,
                        &s.pi) != 0;
  if (s.ok) {
    s.process.reset(s.pi.hProcess);
    s.thread.reset(s.pi.hThread);
  }
  return s;
}

HWND main_window(DWORD pid) {
  HWND wnd = nullptr;
  while ((wnd = FindWindowExW(nullptr, wnd, kMainClass, nullptr))) {
    DWORD owner = 0;
    GetWindowThreadProcessId(wnd, &owner);
    if (owner == pid)
      return wnd;
  }
  return nullptr;
}

// The user's Exit: the program ends itself.
int finish(Started& s, HWND wnd) {
  if (wnd)
    PostMessageW(wnd, WM_COMMAND, kQelWndExit, 0);
  if (WaitForSingleObject(s.pi.hProcess, 15000) != WAIT_OBJECT_0)
    TerminateProcess(s.pi.hProcess, 1);
  return 0;
}

// The program's main window as the system announces its creation, so that the probe need
// not ask every few milliseconds while the program loads: on one CPU its asking would slow
// the start it measures, and more so the longer the start.
DWORD g_watched_pid = 0;
HWND g_created = nullptr;

void CALLBACK on_create(HWINEVENTHOOK, DWORD, HWND wnd, LONG object, LONG child, DWORD, DWORD) {
  if (g_created || object != OBJID_WINDOW || child != CHILDID_SELF || !wnd)
    return;
  DWORD owner = 0;
  wchar_t name[64] = L"";
  if (GetWindowThreadProcessId(wnd, &owner) && owner == g_watched_pid &&
      GetClassNameW(wnd, name, 64) && std::wcscmp(name, kMainClass) == 0)
    g_created = wnd;
}

// Waits until the main window exists, the program ended or `deadline` (tick count) passed.
HWND wait_for_main_window(const Started& s, DWORD deadline) {
  for (;;) {
    DWORD left = deadline - GetTickCount();
    if (static_cast<LONG>(left) <= 0)
      return nullptr;
    HANDLE process = s.pi.hProcess;
    // Should an announcement go missing, a look of its own each second still finds it.
    DWORD r =
        MsgWaitForMultipleObjects(1, &process, FALSE, std::min<DWORD>(left, 1000), QS_ALLINPUT);
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&msg);
    if (g_created)
      return g_created;
    if (r == WAIT_OBJECT_0)
      return nullptr;
    if (r == WAIT_TIMEOUT) {
      if (HWND wnd = main_window(s.pi.dwProcessId))
        return wnd;
    }
  }
}

// One start: prints "startup_ms N", or why there is none and returns false.
bool startup(const wchar_t* exe, long rows) {
  g_watched_pid = 0;
  g_created = nullptr;
  HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, on_create,
                                       0, 0, WINEVENT_OUTOFCONTEXT | WINEVENT_SKIPOWNPROCESS);
  if (!hook) {
    std::printf("startup: no window creation events (error %lu)\n", GetLastError());
    std::fflush(stdout);
    return false;
  }
  LARGE_INTEGER freq, t0, t1;
  QueryPerformanceFrequency(&freq);
  QueryPerformanceCounter(&t0);
  Started s = start(exe);
  if (!s.ok) {
    std::printf("startup: cannot start the program (error %lu)\n", GetLastError());
    std::fflush(stdout);
    UnhookWinEvent(hook);
    return false;
  }
  g_watched_pid = s.pi.dwProcessId;
  DWORD deadline = GetTickCount() + 60000;
  HWND wnd = wait_for_main_window(s, deadline);
  UnhookWinEvent(hook);
  // Shown and filled follow within the same start: looked at every 5 ms.
  HWND list = wnd ? GetDlgItem(wnd, IDC_HISTORY_LIST) : nullptr;
  for (; wnd && static_cast<LONG>(deadline - GetTickCount()) > 0; Sleep(5)) {
    if (!list)
      list = GetDlgItem(wnd, IDC_HISTORY_LIST);
    if (list && IsWindowVisible(wnd) && SendMessageW(list, LVM_GETITEMCOUNT, 0, 0) == rows) {
      QueryPerformanceCounter(&t1);
      // Told once the program has ended, so that the next start does not meet its exit.
      finish(s, wnd);
      std::printf("startup_ms %.1f\n", (t1.QuadPart - t0.QuadPart) * 1000.0 / freq.QuadPart);
      std::fflush(stdout);
      return true;
    }
  }
  std::printf("startup: no window with %ld rows within 60 s\n", rows);
  std::fflush(stdout);
  finish(s, wnd);
  return false;
}

// Starts on demand, so that a script can alternate two prefixes' probes without starting a
// probe (a Wine process with its own start-up work) just before each measured start.
int starts(const wchar_t* exe, long rows) {
  char line[64];
  while (std::fgets(line, sizeof line, stdin)) {
    if (!startup(exe, rows))
      return 3;
  }
  return 0;
}

int idle(const wchar_t* exe, long seconds) {
  Started s = start(exe);
  if (!s.ok)
    return 2;
  HWND wnd = nullptr;
  for (int i = 0; i < 3000 && !(wnd && IsWindowVisible(wnd)); ++i, Sleep(10))
    wnd = main_window(s.pi.dwProcessId);
  if (!wnd) {
    finish(s, wnd);
    return 3;
  }
  // The user closes the window: the program goes on in the tray.
  SendMessageW(wnd, WM_SYSCOMMAND, SC_CLOSE, 0);
  Sleep(3000);
  std::printf("idle_window %p\n", static_cast<void*>(wnd));
  SendMessageW(wnd, WM_NULL, kMarker, 0);
  Sleep(static_cast<DWORD>(seconds) * 1000);
  SendMessageW(wnd, WM_NULL, kMarker, 1);
  std::printf("idle_seconds %ld\n", seconds);
  return finish(s, wnd);
}

int frame(const wchar_t* file) {
  HWND wnd = FindWindowW(kMainClass, nullptr);
  if (!wnd)
    return 3;
  RECT all;
  GetWindowRect(wnd, &all);
  HWND menu = nullptr;
  while ((menu = FindWindowExW(nullptr, menu, L"#32768", nullptr))) {
    RECT r;
    if (IsWindowVisible(menu) && GetWindowRect(menu, &r))
      UnionRect(&all, &all, &r);
  }
  FILE* out = _wfopen(file, L"w");
  if (!out)
    return 4;
  std::fprintf(out, "%ldx%ld+%ld+%ld\n", all.right - all.left, all.bottom - all.top, all.left,
               all.top);
  std::fclose(out);
  return 0;
}

}  // namespace

int main() {
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (argc == 4 && std::wcscmp(argv[1], L"startup") == 0)
    return startup(argv[2], std::wcstol(argv[3], nullptr, 10)) ? 0 : 3;
  if (argc == 4 && std::wcscmp(argv[1], L"starts") == 0)
    return starts(argv[2], std::wcstol(argv[3], nullptr, 10));
  if (argc == 4 && std::wcscmp(argv[1], L"idle") == 0)
    return idle(argv[2], std::wcstol(argv[3], nullptr, 10));
  if (argc == 3 && std::wcscmp(argv[1], L"frame") == 0)
    return frame(argv[2]);
  std::fprintf(stderr,
               "usage: main_wnd_probe startup|starts EXE ROWS | idle EXE SECONDS | frame FILE\n");
  return 1;
}
