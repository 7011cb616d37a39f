#include "messenger/qel_oc_inst_wrap.h"

#include "messenger/qel_hook_dll.h"
#include "messenger/qel_oc_inst_wrap_rep.h"
#include "qel_lib/qel_assert.h"

namespace {

// The STATIC class's own procedure, the same for every static window.
WNDPROC g_static_proc = nullptr;

// The entries the static window handles, in the order a message id is matched against them.
constexpr qel_hook_wm_index kStaticMsgs[] = {kHookWmHiddenKnown,   kHookWmMainKnown,
                                             kHookWmMainCreated,   kHookWmMainGone,
                                             kHookWmInstanceEnded, kHookWmAccepted};

// Which entry a message id is, or -1; id 0 is never the component's.
int static_msg_entry(UINT msg) {
  if (msg == 0)
    return -1;
  for (qel_hook_wm_index index : kStaticMsgs)
    if (qel_hook_wm(index) == msg)
      return index;
  return -1;
}

bool accepts_messages(HWND hwnd) {
  return hwnd && PostMessageA(hwnd, WM_NULL, 0, 0);
}

// Posted to a wrapper's static window by the wait on its instance's process.
constexpr UINT kMsgProcessEnded = WM_APP + 1;

// On a thread-pool thread: the wrapper itself is touched on the UI thread only.
void CALLBACK on_process_ended(void* static_wnd, BOOLEAN) {
  PostMessageA(static_cast<HWND>(static_wnd), kMsgProcessEnded, 0, 0);
}

}  // namespace

ZulMsnOCInstWrap::~ZulMsnOCInstWrap() {
  Finalize();
}

DWORD ZulMsnOCInstWrap::GetProcId() {
  return m_proc_id;
}

HWND ZulMsnOCInstWrap::GetMainWnd() {
  return m_hwndOCMain;
}

HWND ZulMsnOCInstWrap::GetLiveMainWnd() {
  if (!m_hwndOCMain || !m_hwndOCTopAgent)
    return nullptr;
  return accepts_messages(m_hwndOCMain) && accepts_messages(m_hwndOCTopAgent) ? m_hwndOCMain
                                                                              : nullptr;
}

bool ZulMsnOCInstWrap::Create(const qel_oc_info* _oc_info, shared_ptr<ZulMsnOCInstWrapRep> _rep) {
  if (mIsValid || !_oc_info)
    return false;
  HWND hwnd_oc_hidden = _oc_info->m_hwnd_hidden;
  if (!QEL_ASSERT(hwnd_oc_hidden && _rep))
    return false;
  m_rep = _rep;
  m_hwndZulApp = _rep->GetOwnerWnd();
  QEL_ASSERT(m_hwndZulApp);
  if (!dojob_create_static_wnd(_oc_info->m_proc_id)) {
    m_rep.reset();
    return false;
  }
  auto set_sink = qel_hook_func<qel_hook_fn_set_sink>(kHookFnSetSink);
  bool rtn = set_sink && set_sink(m_hwndStatic, hwnd_oc_hidden);
  QEL_ASSERT(rtn);
  QEL_ASSERT(!m_hwndOCMain);
  if (_oc_info->m_hwnd_main)
    m_hwndOCMain = _oc_info->m_hwnd_main;
  mIsValid = true;
  dojob_watch_process();
  if (!PostMessageA(hwnd_oc_hidden, WM_NULL, 0, 0))
    Finalize();
  return true;
}

// A messenger that is killed or crashes sends no "instance ended": without this its wrapper
// and static window would stay for the rest of the program's life.
void ZulMsnOCInstWrap::dojob_watch_process() {
  m_process.reset(OpenProcess(SYNCHRONIZE, FALSE, m_proc_id));
  if (m_process && !RegisterWaitForSingleObject(&m_process_wait, m_process.get(), &on_process_ended,
                                                m_hwndStatic, INFINITE, WT_EXECUTEONLYONCE))
    m_process_wait = nullptr;
}

void ZulMsnOCInstWrap::dojob_unwatch_process() {
  // Waits for a running callback; it only posts, so the UI thread cannot deadlock here.
  if (m_process_wait)
    UnregisterWaitEx(m_process_wait, INVALID_HANDLE_VALUE);
  m_process_wait = nullptr;
  m_process.reset();
}

void ZulMsnOCInstWrap::OnProcessEnded() {
  shared_ptr<ZulMsnOCInstWrapRep> rep = m_rep;
  DWORD proc_id = m_proc_id;
  Finalize();
  if (rep.valid())
    rep->OnOCProcessEnded(proc_id);
}

bool ZulMsnOCInstWrap::dojob_create_static_wnd(DWORD proc_id) {
  m_hwndStatic = CreateWindowExA(0, "STATIC", "", WS_CHILD | WS_DISABLED, 0, 0, 0, 0, m_hwndZulApp,
                                 nullptr, GetModuleHandleA(nullptr), nullptr);
  if (!QEL_ASSERT(m_hwndStatic))
    return false;
  auto previous = reinterpret_cast<WNDPROC>(SetWindowLongPtrA(
      m_hwndStatic, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ProcStaticCtrl_New)));
  if (!g_static_proc)
    g_static_proc = previous;
  SetWindowLongPtrA(m_hwndStatic, GWLP_USERDATA, static_cast<LONG_PTR>(proc_id));
  m_proc_id = proc_id;
  return true;
}

void ZulMsnOCInstWrap::Finalize() {
  if (!mIsValid)
    return;
  mIsValid = false;
  dojob_unwatch_process();
  if (m_rep.valid()) {
    m_rep->Remove(m_proc_id);
    m_rep.reset();
  }
  auto detach = qel_hook_func<qel_hook_fn_detach>(kHookFnDetach);
  bool rtn = detach && detach(m_hwndOCTopAgent, m_hwndStatic);
  QEL_ASSERT(rtn);
  m_hwndOCHidden = nullptr;
  m_hwndOCMain = nullptr;
  m_hwndOCTopAgent = nullptr;
  // The main window may have taken its children with it already.
  if (m_hwndStatic && IsWindow(m_hwndStatic))
    DestroyWindow(m_hwndStatic);
  m_hwndStatic = nullptr;
  m_hwndZulApp = nullptr;
}

bool ZulMsnOCInstWrap::OnOCMsgs(UINT _msg, WPARAM _wParam, LPARAM _lParam) {
  if (!mIsValid)
    return false;
  switch (static_msg_entry(_msg)) {
    case kHookWmHiddenKnown:
      return on_hidden_known(_wParam, _lParam);
    case kHookWmMainKnown:
      return on_main_known(_wParam, _lParam);
    case kHookWmMainCreated:
      on_main_created(_wParam);
      return true;
    case kHookWmMainGone:
      QEL_ASSERT(m_hwndOCMain);
      m_hwndOCMain = nullptr;
      return true;
    case kHookWmInstanceEnded:
      QEL_ASSERT(m_hwndOCMain);
      Finalize();
      return true;
    default:
      QEL_ASSERT(false);
      return false;
  }
}

bool ZulMsnOCInstWrap::on_hidden_known(WPARAM _wParam, LPARAM _lParam) {
  QEL_ASSERT(!m_hwndOCHidden && !m_hwndOCTopAgent);
  m_hwndOCHidden = reinterpret_cast<HWND>(_wParam);
  m_hwndOCTopAgent = reinterpret_cast<HWND>(_lParam);
  if (!m_hwndOCHidden) {
    QEL_ASSERT(false);
    return false;
  }
  if (!m_hwndOCMain)
    return true;
  if (QEL_ASSERT(m_hwndOCMain && m_hwndOCTopAgent && m_hwndStatic))
    dojob_attach(m_hwndOCMain);
  m_hwndOCMain = nullptr;
  return true;
}

bool ZulMsnOCInstWrap::on_main_known(WPARAM _wParam, LPARAM _lParam) {
  QEL_ASSERT(m_hwndOCMain == NULL);
  m_hwndOCMain = reinterpret_cast<HWND>(_wParam);
  QEL_ASSERT(m_hwndOCTopAgent == (HWND)_lParam);
  if (!m_hwndOCMain) {
    QEL_ASSERT(false);
    return false;
  }
  return true;
}

void ZulMsnOCInstWrap::on_main_created(WPARAM _wParam) {
  HWND hwnd_oc_main = reinterpret_cast<HWND>(_wParam);
  QEL_ASSERT(m_hwndOCMain == NULL);
  // The component is never handed a null window to attach to.
  if (QEL_ASSERT(hwnd_oc_main && m_hwndOCTopAgent && m_hwndStatic))
    dojob_attach(hwnd_oc_main);
}

void ZulMsnOCInstWrap::dojob_attach(HWND main_wnd) {
  auto attach = qel_hook_func<qel_hook_fn_attach>(kHookFnAttach);
  bool rtn = attach && attach(m_hwndOCTopAgent, main_wnd, m_hwndStatic);
  QEL_ASSERT(rtn);
}

LRESULT CALLBACK ProcStaticCtrl_New(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (msg == kMsgProcessEnded) {
    // The wrapper may have gone through the component's own message already.
    shared_ptr<ZulMsnOCInstWrapRep> rep = qel_oc_inst_wrap_rep();
    shared_ptr<ZulMsnOCInstWrap> wrap;
    if (rep.valid())
      wrap = rep->Find(static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWLP_USERDATA)));
    if (wrap.valid() && wrap->GetStaticWnd() == hwnd)
      wrap->OnProcessEnded();
    return 0;
  }
  if (static_msg_entry(msg) < 0) {
    return g_static_proc ? CallWindowProcA(g_static_proc, hwnd, msg, wparam, lparam)
                         : DefWindowProcA(hwnd, msg, wparam, lparam);
  }
  auto proc_id = static_cast<DWORD>(GetWindowLongPtrA(hwnd, GWLP_USERDATA));
  shared_ptr<ZulMsnOCInstWrapRep> wrapRep = qel_oc_inst_wrap_rep();
  if (!QEL_ASSERT(wrapRep))
    return 0;
  shared_ptr<ZulMsnOCInstWrap> wrap = wrapRep->Find(proc_id);
  if (QEL_ASSERT(wrap))
    wrap->OnOCMsgs(msg, wparam, lparam);
  return 0;
}
