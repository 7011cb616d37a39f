#include "messenger/qel_oc_inst_wrap_rep.h"

#include <utility>
#include <vector>

#include "messenger/qel_hook_dll.h"
#include "messenger/qel_oc_inst_wrap.h"
#include "qel_lib/qel_assert.h"

namespace {

// Heap-held so that it outlives every static object that might still reach it.
weak_ptr<ZulMsnOCInstWrapRep>* g_rep = nullptr;

// A list longer than this is taken for a cycle in the component's records.
constexpr int kMaxRecordsPerReport = 4096;

weak_ptr<ZulMsnOCInstWrapRep>& rep_holder() {
  if (!g_rep)
    g_rep = new weak_ptr<ZulMsnOCInstWrapRep>();
  return *g_rep;
}

}  // namespace

ZulMsnOCInstWrapRep::~ZulMsnOCInstWrapRep() {
  Finalize();
}

bool ZulMsnOCInstWrapRep::Create(const ZulProfileKey& _machine_key,
                                 HWND _owner_wnd,
                                 qel_oc_process_ended_fn _on_process_ended) {
  if (mIsValid)
    return false;
  mIsValid = true;
  m_hwnd_owner = _owner_wnd;
  m_on_process_ended = std::move(_on_process_ended);
  if (!LoadHookDll(_machine_key)) {
    QEL_ASSERT(false);
    return false;
  }
  if (!QEL_ASSERT_MSG(qel_hook_wm(kHookWmTaintMain) && qel_hook_wm(kHookWmMainCreated),
                      "WM_TAINT_OC_MAIN_WND && WM_OC_MAIN_WND_CREATED"))
    return false;
  bool rtn = qel_hook_func<qel_hook_fn_watch>(kHookFnWatch)(&Callback_OnNewOC, this);
  if (!QEL_ASSERT(rtn))
    return false;
  qel_hook_func<qel_hook_fn_watch>(kHookFnReport)(&Callback_OnNewOC, this);
  return true;
}

void ZulMsnOCInstWrapRep::Finalize() {
  if (!mIsValid)
    return;
  mIsValid = false;
  std::vector<shared_ptr<ZulMsnOCInstWrap>> wraps;
  for (auto& entry : m_wraps)
    wraps.push_back(entry.second);
  for (auto& wrap : wraps)
    wrap->Finalize();
  m_wraps.clear();
  m_hwnd_owner = nullptr;
  m_on_process_ended = nullptr;
  if (g_hook_tables.loaded)
    qel_hook_func<qel_hook_fn_stop>(kHookFnStop)();
}

bool ZulMsnOCInstWrapRep::Remove(DWORD _proc_id) {
  return m_wraps.erase(_proc_id) > 0;
}

shared_ptr<ZulMsnOCInstWrap> ZulMsnOCInstWrapRep::Find(DWORD _proc_id) {
  auto it = m_wraps.find(_proc_id);
  return it == m_wraps.end() ? shared_ptr<ZulMsnOCInstWrap>() : it->second;
}

bool ZulMsnOCInstWrapRep::OnOCNewed(const qel_oc_info* _oc_info) {
  if (!QEL_ASSERT(_oc_info && _oc_info->m_hwnd_hidden && _oc_info->m_proc_id))
    return false;
  if (Find(_oc_info->m_proc_id).valid()) {
    QEL_ASSERT(false);
    return true;
  }
  shared_ptr<ZulMsnOCInstWrap> wrap(new ZulMsnOCInstWrap);
  bool rtn = wrap->Create(_oc_info, shared_ptr<ZulMsnOCInstWrapRep>(this));
  if (!QEL_ASSERT(rtn))
    return false;
  // An instance already gone has finalized its wrapper during Create; it is not kept.
  if (wrap->IsValid())
    m_wraps[wrap->GetProcId()] = wrap;
  return true;
}

void ZulMsnOCInstWrapRep::OnOCProcessEnded(DWORD _proc_id) {
  if (!mIsValid || !m_on_process_ended)
    return;
  // The listener may finalize the registry, which empties the member.
  qel_oc_process_ended_fn notify = m_on_process_ended;
  notify(_proc_id);
}

shared_ptr<ZulMsnOCInstWrapRep> CreateRep(const ZulProfileKey& _machine_key,
                                          HWND _owner_wnd,
                                          qel_oc_process_ended_fn _on_process_ended) {
  shared_ptr<ZulMsnOCInstWrapRep> live = rep_holder().lock();
  if (live.valid())
    return live;
  shared_ptr<ZulMsnOCInstWrapRep> rep(new ZulMsnOCInstWrapRep);
  if (rep->Create(_machine_key, _owner_wnd, std::move(_on_process_ended))) {
    rep_holder() = rep;
    return rep;
  }
  QEL_ASSERT(false);
  rep_holder() = weak_ptr<ZulMsnOCInstWrapRep>();
  return {};
}

shared_ptr<ZulMsnOCInstWrapRep> qel_oc_inst_wrap_rep() {
  return rep_holder().lock();
}

int Callback_OnNewOC(qel_oc_info* _info, void* _usrData) {
  if (!QEL_ASSERT(_usrData && _info))
    return 0;
  auto* rep = static_cast<ZulMsnOCInstWrapRep*>(_usrData);
  // A component that reports after it was stopped must not fill a finalized registry.
  if (!QEL_ASSERT(rep->IsValid()))
    return 0;
  int seen = 0;
  for (qel_oc_info* curr = _info; curr && seen < kMaxRecordsPerReport; curr = curr->m_next) {
    ++seen;
    QEL_ASSERT(curr->m_proc_id);
    if (!curr->m_hwnd_hidden) {
      QEL_ASSERT(false);
      continue;
    }
    if (PostMessageA(curr->m_hwnd_hidden, WM_NULL, 0, 0))
      rep->OnOCNewed(curr);
  }
  return 0;
}
