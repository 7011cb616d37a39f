// The hook component stand-in: reports running messenger simulators to the program, hands
// each the program's static window and asks it to attach or detach its engine. It runs on
// the program's UI thread only: reports come from inside its calls or from a thread timer.
#include <cstdint>
#include <map>
#include <utility>
#include <vector>

#include "messenger/qel_hook_contract.h"
#include "tools/hook/qel_msn_hook_protocol.h"

namespace {

constexpr UINT kPollMs = 200;

qel_oc_new_callback g_callback = nullptr;
void* g_usr_data = nullptr;
UINT_PTR g_timer = 0;
// Instances already reported, by process id and hidden window, with the main window the
// report named (null when the instance had none yet).
std::map<std::pair<DWORD, HWND>, HWND> g_reported;

HWND find_main_wnd(DWORD pid) {
  HWND wnd = nullptr;
  while ((wnd = FindWindowExA(nullptr, wnd, kSimMainClass, nullptr))) {
    DWORD owner = 0;
    GetWindowThreadProcessId(wnd, &owner);
    if (owner == pid)
      return wnd;
  }
  return nullptr;
}

// Forgets instances whose hidden window is gone, so a restarted one is reported again.
void prune_reported() {
  for (auto it = g_reported.begin(); it != g_reported.end();)
    it = IsWindow(it->first.second) ? std::next(it) : g_reported.erase(it);
}

void report_new_instances() {
  if (!g_callback)
    return;
  prune_reported();
  std::vector<qel_oc_info> records;
  HWND hidden = nullptr;
  while ((hidden = FindWindowExA(nullptr, hidden, kSimHiddenClass, nullptr))) {
    DWORD pid = 0;
    GetWindowThreadProcessId(hidden, &pid);
    HWND main = find_main_wnd(pid);
    if (!pid || !g_reported.insert({{pid, hidden}, main}).second)
      continue;
    records.push_back({pid, hidden, main, nullptr});
  }
  if (records.empty())
    return;
  for (size_t i = 0; i + 1 < records.size(); ++i)
    records[i].m_next = &records[i + 1];
  g_callback(records.data(), g_usr_data);
}

void CALLBACK on_poll(HWND, UINT, UINT_PTR, DWORD) {
  report_new_instances();
}

bool hook_watch(qel_oc_new_callback callback, void* usr_data) {
  if (!callback)
    return false;
  g_callback = callback;
  g_usr_data = usr_data;
  g_reported.clear();
  if (!g_timer)
    g_timer = SetTimer(nullptr, 0, kPollMs, &on_poll);
  return g_timer != 0;
}

void hook_stop() {
  if (g_timer)
    KillTimer(nullptr, g_timer);
  g_timer = 0;
  g_callback = nullptr;
  g_usr_data = nullptr;
  g_reported.clear();
}

bool hook_report(qel_oc_new_callback callback, void* usr_data) {
  if (callback != g_callback || usr_data != g_usr_data)
    return false;
  report_new_instances();
  return true;
}

// Nothing attached (no top agent, or the instance is gone) leaves nothing to detach.
bool hook_detach(HWND top_agent, HWND static_wnd) {
  if (top_agent && IsWindow(top_agent))
    PostMessageA(top_agent, RegisterWindowMessageA(kSimDetachMsg),
                 reinterpret_cast<WPARAM>(static_wnd), 0);
  return true;
}

// The instance learns which main window the program was told of: one it made after the report
// (a messenger slow to start) it announces itself.
bool hook_set_sink(HWND static_wnd, HWND hidden) {
  if (!static_wnd || !IsWindow(hidden))
    return false;
  HWND reported_main = nullptr;
  for (const auto& [instance, main] : g_reported)
    if (instance.second == hidden)
      reported_main = main;
  return PostMessageA(hidden, RegisterWindowMessageA(kSimSetSinkMsg),
                      reinterpret_cast<WPARAM>(static_wnd),
                      reinterpret_cast<LPARAM>(reported_main)) != 0;
}

bool hook_attach(HWND top_agent, HWND main, HWND static_wnd) {
  if (!IsWindow(top_agent) || !IsWindow(main))
    return false;
  return PostMessageA(top_agent, RegisterWindowMessageA(kSimAttachMsg),
                      reinterpret_cast<WPARAM>(main), reinterpret_cast<LPARAM>(static_wnd)) != 0;
}

void* g_func_table[kQelHookFuncCount] = {
    nullptr,
    nullptr,
    reinterpret_cast<void*>(&hook_watch),
    reinterpret_cast<void*>(&hook_stop),
    reinterpret_cast<void*>(&hook_report),
    reinterpret_cast<void*>(&hook_detach),
    reinterpret_cast<void*>(&hook_set_sink),
    reinterpret_cast<void*>(&hook_attach),
    nullptr,
};

struct WmTable {
  uint32_t ids[kQelHookWmCount];
  WmTable() {
    for (int i = 0; i < kQelHookWmCount; ++i)
      ids[i] = qel_hook_stand_in_wm(i);
  }
};
const WmTable g_wm_table;

}  // namespace

extern "C" {
__declspec(dllexport) void** g_hookdll_func_entry = g_func_table;
__declspec(dllexport) const uint32_t* g_hookdll_wm_entry = g_wm_table.ids;
}
