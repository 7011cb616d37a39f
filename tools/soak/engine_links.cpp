#include "tools/soak/engine_links.h"

#include <ocidl.h>

#include "app/testing/com_registration.h"
#include "library/qel_app_constants.h"
#include "platform/win32/scoped_handle.h"
#include "tools/hook/qel_msn_hook_protocol.h"

namespace {

struct WrapperSearch {
  DWORD program;
  const std::set<DWORD>* live;
  WrapperCount count;
};

BOOL CALLBACK count_static(HWND child, LPARAM data) {
  auto* s = reinterpret_cast<WrapperSearch*>(data);
  char cls[32] = {};
  GetClassNameA(child, cls, sizeof cls);
  DWORD pid = static_cast<DWORD>(GetWindowLongPtrA(child, GWLP_USERDATA));
  if (lstrcmpiA(cls, "Static") != 0 || !pid)
    return TRUE;
  ++(s->live->count(pid) ? s->count.live : s->count.ended);
  return TRUE;
}

BOOL CALLBACK search_top(HWND top, LPARAM data) {
  DWORD pid = 0;
  GetWindowThreadProcessId(top, &pid);
  if (pid == reinterpret_cast<WrapperSearch*>(data)->program)
    EnumChildWindows(top, &count_static, data);
  return TRUE;
}

template <class T>
void release(T*& p) {
  if (p)
    p->Release();
  p = nullptr;
}

}  // namespace

WrapperCount count_wrappers(DWORD program_pid, const std::set<DWORD>& live_pids) {
  WrapperSearch search = {program_pid, &live_pids, {}};
  EnumWindows(&search_top, reinterpret_cast<LPARAM>(&search));
  return search.count;
}

namespace {

bool running(DWORD pid) {
  platform::ScopedKernelHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
}

void add_strangers(const char* cls, const std::set<DWORD>& ours, std::set<DWORD>* out) {
  HWND wnd = nullptr;
  while ((wnd = FindWindowExA(nullptr, wnd, cls, nullptr))) {
    DWORD pid = 0;
    GetWindowThreadProcessId(wnd, &pid);
    // A process that has just ended may still be taking its windows down.
    if (pid && !ours.count(pid) && running(pid))
      out->insert(pid);
  }
}

}  // namespace

std::set<DWORD> session_strangers(const std::set<DWORD>& ours) {
  std::set<DWORD> pids;
  add_strangers(g_qel_app_top_wnd_class, ours, &pids);
  add_strangers(kSimHiddenClass, ours, &pids);
  return pids;
}

std::string describe_strangers(const std::set<DWORD>& pids) {
  std::string text;
  for (DWORD pid : pids) {
    bool program = false;
    HWND wnd = nullptr;
    while (!program && (wnd = FindWindowExA(nullptr, wnd, g_qel_app_top_wnd_class, nullptr))) {
      DWORD owner = 0;
      GetWindowThreadProcessId(wnd, &owner);
      program = owner == pid;
    }
    text += (text.empty() ? "" : ", ") + std::string(program ? "program " : "messenger ") +
            std::to_string(pid);
  }
  return text;
}

SinkCounter::~SinkCounter() {
  release(point_);
  release(ui_);
  release(app_);
}

bool SinkCounter::Connect() {
  static const HRESULT ps = qel_register_ps_in_process();
  CLSID clsid = {};
  if (FAILED(ps) || FAILED(CLSIDFromString(qel_testing::kAppClsid, &clsid)))
    return false;
  // The program may still be starting: its class can answer E_NOINTERFACE for a moment.
  for (int attempt = 0; attempt < 40 && !point_; ++attempt) {
    IConnectionPointContainer* container = nullptr;
    HRESULT hr = CoCreateInstance(clsid, nullptr, CLSCTX_LOCAL_SERVER, IID_IQelApp,
                                  reinterpret_cast<void**>(&app_));
    if (SUCCEEDED(hr))
      hr = app_->GetUI(&ui_);
    if (SUCCEEDED(hr) && ui_)
      hr = ui_->QueryInterface(IID_IConnectionPointContainer, reinterpret_cast<void**>(&container));
    if (SUCCEEDED(hr) && container)
      hr = container->FindConnectionPoint(IID_IQelUIEvents, &point_);
    release(container);
    if (point_)
      return true;
    release(ui_);
    release(app_);
    Sleep(250);
  }
  return false;
}

// Skip never hands a sink over, so a sink whose process died is counted like any other.
int SinkCounter::Count() const {
  IEnumConnections* sinks = nullptr;
  if (!point_ || FAILED(point_->EnumConnections(&sinks)) || !sinks)
    return -1;
  int n = 0;
  while (n < 100000 && sinks->Skip(1) == S_OK)
    ++n;
  sinks->Release();
  return n;
}
