// Loading the hook component from the program's folder and the copy of its two tables.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "library/qel_profile.h"
#include "messenger/qel_hook_contract.h"

struct qel_hook_tables {
  bool loaded = false;
  void* func[kQelHookFuncCount] = {};
  uint32_t wm[kQelHookWmCount] = {};
};

// The tables of the last successful LoadHookDll.
extern qel_hook_tables g_hook_tables;

// Loads the component (its name configured as "hookDllName" of the machine key) and copies
// its tables. Ends the process with exit code 1 after a message box when no library loads;
// false when the library lacks its tables.
bool LoadHookDll(const ZulProfileKey& _machine_key);

// Typed access to the copied function table; null while no component is loaded.
template <class Fn>
Fn qel_hook_func(qel_hook_func_index index) {
  return g_hook_tables.loaded ? reinterpret_cast<Fn>(g_hook_tables.func[index]) : nullptr;
}
// The message id of a table entry; 0 when it is unknown.
uint32_t qel_hook_wm(qel_hook_wm_index index);

// The folder part of the executable's path: everything before "quorvantine_msn.exe", or
// empty when the name does not occur.
std::string qel_hook_dll_dir(std::string_view module_path);

// How libraries are opened and searched; tests put a fake component in its place.
struct qel_hook_loader {
  void* (*open)(const char* path);
  const void* (*symbol)(void* module, const char* name);
};
// Replaces the loader (null restores the real one); returns the previous one.
const qel_hook_loader* qel_set_hook_loader(const qel_hook_loader* loader);
