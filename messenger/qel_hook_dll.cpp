#include "messenger/qel_hook_dll.h"

#include <cstring>
#include <vector>

#include "library/qel_app_constants.h"
#include "platform/library.h"
#include "platform/paths.h"
#include "platform/text.h"
#include "qel_lib/qel_assert.h"

qel_hook_tables g_hook_tables;

namespace {

constexpr DWORD kModulePathMax = 26000;
constexpr char kErrorCaption[] = "QuorVantine Error";
constexpr char kErrorText[] =
    "Quorvantine can't find one of its components,  and has to exit now.\n"
    "Please reinstall QuorVantine to fix this problem.";

void* open_library(const char* path) {
  return platform::library_load_full_path(platform::from_ansi(path));
}

const void* find_symbol(void* module, const char* name) {
  return reinterpret_cast<const void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

const qel_hook_loader kSystemLoader = {&open_library, &find_symbol};
const qel_hook_loader* g_loader = &kSystemLoader;

// A configured name is a plain file name; anything that could leave the folder is refused.
bool is_plain_file_name(const char* name) {
  return name[0] && !std::strpbrk(name, "\\/:");
}

void* dojob_open(const std::string& dir, const char* name) {
  if (!is_plain_file_name(name))
    return nullptr;
  std::string path = dir + "\\" + name;
  return g_loader->open(path.c_str());
}

// The "hookDllName" value of the machine key; empty when none is configured.
std::string dojob_configured_name(ZulProfileKey key) {
  if (!key.IsValid())
    return {};
  std::vector<char> name(kModulePathMax, '\0');
  if (!key.GetValue("hookDllName").GetString(name.data(), kModulePathMax))
    return {};
  return name.data();
}

// The program calls entries 2 to 7; a null one would be a jump to address zero.
bool has_called_entries(void* const* table) {
  for (int i = kHookFnWatch; i <= kHookFnAttach; ++i)
    if (!table[i])
      return false;
  return true;
}

void dojob_copy_wm_table(const uint32_t* table) {
  for (int i = 0; i < kQelHookWmCount; ++i)
    g_hook_tables.wm[i] = i == 11 ? 0 : table[i];
}

}  // namespace

std::string qel_hook_dll_dir(std::string_view module_path) {
  size_t pos = module_path.find(g_qel_exe_file_name);
  return pos == std::string_view::npos ? std::string() : std::string(module_path.substr(0, pos));
}

uint32_t qel_hook_wm(qel_hook_wm_index index) {
  return g_hook_tables.loaded ? g_hook_tables.wm[index] : 0;
}

const qel_hook_loader* qel_set_hook_loader(const qel_hook_loader* loader) {
  const qel_hook_loader* previous = g_loader;
  g_loader = loader ? loader : &kSystemLoader;
  return previous;
}

bool LoadHookDll(const ZulProfileKey& _machine_key) {
  g_hook_tables = qel_hook_tables();
  std::string path = platform::program_path_ansi();
  if (!QEL_ASSERT_MSG(!path.empty() && path.size() < kModulePathMax, "false"))
    return false;
  // The cut keeps the folder's trailing separator; the joined path adds its own.
  std::string dir = qel_hook_dll_dir(path);
  if (!dir.empty() && (dir.back() == '\\' || dir.back() == '/'))
    dir.pop_back();
  std::string configured = dojob_configured_name(_machine_key);
  const char* name = configured.empty() ? kQelHookDefaultDllName : configured.c_str();
  void* hTheOneDll = dojob_open(dir, name);
  if (!hTheOneDll && !configured.empty() && configured != kQelHookDefaultDllName)
    hTheOneDll = dojob_open(dir, kQelHookDefaultDllName);
  if (!QEL_ASSERT(hTheOneDll)) {
    MessageBoxA(nullptr, kErrorText, kErrorCaption, MB_ICONWARNING);
    ExitProcess(1);
  }
  auto* func_entry =
      static_cast<void* const* const*>(g_loader->symbol(hTheOneDll, kQelHookFuncEntryName));
  if (!QEL_ASSERT_MSG(func_entry && *func_entry && has_called_entries(*func_entry), "func_entry"))
    return false;
  std::memcpy(g_hook_tables.func, *func_entry, sizeof g_hook_tables.func);
  auto* wm_entry =
      static_cast<const uint32_t* const*>(g_loader->symbol(hTheOneDll, kQelHookWmEntryName));
  if (!QEL_ASSERT_MSG(wm_entry && *wm_entry, "wm_entry")) {
    g_hook_tables = qel_hook_tables();
    return false;
  }
  dojob_copy_wm_table(*wm_entry);
  g_hook_tables.loaded = true;
  return true;
}
