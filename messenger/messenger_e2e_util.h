// Helpers of the end-to-end tests that drive the real program, the hook stand-in and
// simulated messenger instances from another process.
#pragma once

#include <cstdio>
#include <functional>
#include <string>

#include "library/qel_app_constants.h"
#include "platform/win32/win.h"
#include "tools/hook/qel_msn_hook_protocol.h"

namespace messenger_e2e {

constexpr DWORD kWaitMs = 20000;

inline std::wstring bin_dir() {
  wchar_t self[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring path(self, n);
  return path.substr(0, path.find_last_of(L"\\/") + 1);
}

inline bool wait_until(const std::function<bool()>& done, DWORD timeout_ms = kWaitMs) {
  for (DWORD waited = 0; waited < timeout_ms; waited += 50) {
    if (done())
      return true;
    Sleep(50);
  }
  return done();
}

// One started process; ended by force if a test leaves it running.
class Process {
 public:
  Process(const std::wstring& exe, const std::wstring& args) {
    std::wstring cmd = L"\"" + exe + L"\" " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    started_ = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi_) != 0;
  }
  ~Process() {
    if (!started_)
      return;
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(pi_.hProcess, 99);
      WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  DWORD pid() const { return started_ ? pi_.dwProcessId : 0; }
  bool Running() const { return started_ && WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }
  long WaitExit(DWORD timeout_ms = kWaitMs) {
    if (WaitForSingleObject(pi_.hProcess, timeout_ms) != WAIT_OBJECT_0)
      return -1;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return static_cast<long>(code);
  }

 private:
  PROCESS_INFORMATION pi_ = {};
  bool started_ = false;
};

struct SimState {
  void* sink = nullptr;
  int attaches = -1;
  int detaches = -1;
  void* main = nullptr;
  void* attached = nullptr;
};

// A simulated messenger instance, read through its hidden window's title.
class Sim : public Process {
 public:
  explicit Sim(const std::wstring& args = L"") : Process(bin_dir() + L"messenger_sim.exe", args) {}
  ~Sim() {
    if (Running()) {
      Control(kSimQuit);
      WaitExit(5000);
    }
  }
  HWND Hidden() const {
    HWND wnd = nullptr;
    while ((wnd = FindWindowExA(nullptr, wnd, kSimHiddenClass, nullptr))) {
      DWORD owner = 0;
      GetWindowThreadProcessId(wnd, &owner);
      if (owner == pid())
        return wnd;
    }
    return nullptr;
  }
  SimState State() const {
    SimState s;
    char title[256] = {};
    GetWindowTextA(Hidden(), title, sizeof title);
    std::sscanf(title, kSimStateFormat, &s.sink, &s.attaches, &s.detaches, &s.main, &s.attached);
    return s;
  }
  void Control(SimCommand command) {
    PostMessageA(Hidden(), RegisterWindowMessageA(kSimControlMsg), command, 0);
  }
};

inline DWORD window_pid(HWND wnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  return pid;
}

// Asks the running program to end, as an installer would.
inline void send_shutdown() {
  HWND top = FindWindowA(g_qel_app_top_wnd_class, nullptr);
  if (!top)
    return;
  DWORD_PTR result = 0;
  SendMessageTimeoutA(top, RegisterWindowMessageA(g_qel_wm_shutdown_app_name), 0, 0,
                      SMTO_ABORTIFHUNG, 10000, &result);
}

// The program started by the user. A program killed by force would leave its COM class
// registered with Wine, so that no engine could reach the next one: it is asked to end first.
class Program : public Process {
 public:
  explicit Program(const std::wstring& dir = bin_dir())
      : Process(dir + L"quorvantine_msn.exe", L"/start_context user_manual") {}
  ~Program() {
    if (Running()) {
      send_shutdown();
      WaitExit(5000);
    }
  }
};

}  // namespace messenger_e2e
