#include "messenger/fake_hook_dll.h"

#include "messenger/qel_hook_dll.h"

namespace {

FakeHookDll* g_fake = nullptr;
int g_module_tag = 0;

bool fn_watch(qel_oc_new_callback callback, void* usr_data) {
  FakeHookDll& f = FakeHookDll::current();
  f.calls.push_back({kHookFnWatch, nullptr, nullptr, nullptr});
  f.callback = callback;
  f.usr_data = usr_data;
  return true;
}
// Keeps the callback, so that tests can play a component that reports after it was stopped.
void fn_stop() {
  FakeHookDll::current().calls.push_back({kHookFnStop, nullptr, nullptr, nullptr});
}
bool fn_report(qel_oc_new_callback, void*) {
  FakeHookDll::current().calls.push_back({kHookFnReport, nullptr, nullptr, nullptr});
  return true;
}
bool fn_detach(HWND top_agent, HWND static_wnd) {
  FakeHookDll::current().calls.push_back({kHookFnDetach, top_agent, static_wnd, nullptr});
  return true;
}
bool fn_set_sink(HWND static_wnd, HWND hidden) {
  FakeHookDll::current().calls.push_back({kHookFnSetSink, static_wnd, hidden, nullptr});
  return true;
}
bool fn_attach(HWND top_agent, HWND main, HWND static_wnd) {
  FakeHookDll::current().calls.push_back({kHookFnAttach, top_agent, main, static_wnd});
  return true;
}

void* g_func_table[kQelHookFuncCount] = {
    nullptr,
    nullptr,
    reinterpret_cast<void*>(&fn_watch),
    reinterpret_cast<void*>(&fn_stop),
    reinterpret_cast<void*>(&fn_report),
    reinterpret_cast<void*>(&fn_detach),
    reinterpret_cast<void*>(&fn_set_sink),
    reinterpret_cast<void*>(&fn_attach),
    nullptr,
};
void** g_func_entry = g_func_table;
const uint32_t* g_wm_entry = nullptr;

void* fake_open(const char* path) {
  FakeHookDll& f = FakeHookDll::current();
  f.opened.push_back(path);
  std::string p = path;
  for (const std::string& name : f.loadable)
    if (p.size() >= name.size() && p.compare(p.size() - name.size(), name.size(), name) == 0)
      return &g_module_tag;
  return nullptr;
}

const void* fake_symbol(void*, const char* name) {
  FakeHookDll& f = FakeHookDll::current();
  if (!f.tables_present)
    return nullptr;
  g_wm_entry = f.wm;
  if (std::string(name) == kQelHookFuncEntryName)
    return &g_func_entry;
  if (std::string(name) == kQelHookWmEntryName)
    return &g_wm_entry;
  return nullptr;
}

const qel_hook_loader kFakeLoader = {&fake_open, &fake_symbol};

}  // namespace

FakeHookDll::FakeHookDll() {
  for (int i = 0; i < kQelHookWmCount; ++i)
    wm[i] = RegisterWindowMessageA(("QelFakeHook.Message" + std::to_string(i)).c_str());
  g_fake = this;
  previous_loader_ = qel_set_hook_loader(&kFakeLoader);
}

FakeHookDll::~FakeHookDll() {
  qel_set_hook_loader(previous_loader_);
  g_fake = nullptr;
}

FakeHookDll& FakeHookDll::current() {
  return *g_fake;
}

int FakeHookDll::Count(int entry) const {
  int n = 0;
  for (const FakeHookCall& c : calls)
    n += c.entry == entry;
  return n;
}

void FakeHookDll::Report(std::vector<qel_oc_info> records) {
  for (size_t i = 0; i + 1 < records.size(); ++i)
    records[i].m_next = &records[i + 1];
  if (!records.empty())
    records.back().m_next = nullptr;
  callback(records.empty() ? nullptr : records.data(), usr_data);
}
