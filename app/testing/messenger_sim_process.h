// A simulated messenger instance, as the end-to-end tests drive it from another process.
#pragma once

#include <cstdio>
#include <string>

#include "app/testing/program_runner.h"
#include "tools/hook/qel_msn_hook_protocol.h"

namespace messenger_e2e {

using qel_testing::bin_dir;
using qel_testing::Process;

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
      if (qel_testing::window_pid(wnd) == pid())
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

}  // namespace messenger_e2e
