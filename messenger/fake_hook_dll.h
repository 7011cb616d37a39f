// An in-process stand-in for the hook component, for tests: it records every call the
// program makes and which library paths were opened, and lets tests report instances.
#pragma once

#include <set>
#include <string>
#include <vector>

#include "messenger/qel_hook_contract.h"

struct qel_hook_loader;

struct FakeHookCall {
  int entry;
  HWND a;
  HWND b;
  HWND c;
};

class FakeHookDll {
 public:
  // Installs the fake as the library loader; only paths ending in a name of `loadable` open.
  FakeHookDll();
  ~FakeHookDll();
  FakeHookDll(const FakeHookDll&) = delete;
  FakeHookDll& operator=(const FakeHookDll&) = delete;

  static FakeHookDll& current();

  std::set<std::string> loadable = {"qel_msn_hook.dll"};
  bool tables_present = true;
  std::vector<std::string> opened;
  std::vector<FakeHookCall> calls;
  qel_oc_new_callback callback = nullptr;
  void* usr_data = nullptr;
  uint32_t wm[kQelHookWmCount] = {};

  int Count(int entry) const;
  // Reports a list of instances as the component would, on the calling thread.
  void Report(std::vector<qel_oc_info> records);

 private:
  const qel_hook_loader* previous_loader_;
};
