// One messenger instance: its windows as the hook component reports them, and the hidden
// static window on which the component's messages about it arrive.
#pragma once

#include "messenger/qel_hook_contract.h"
#include "platform/win32/scoped_handle.h"
#include "qel_lib/qel_ptr.h"

class ZulMsnOCInstWrapRep;

class ZulMsnOCInstWrap : public ZulIObject {
 public:
  ZulMsnOCInstWrap() = default;
  ~ZulMsnOCInstWrap() override;

  virtual DWORD GetProcId();
  virtual HWND GetMainWnd();
  // The main window while it and the top agent window still accept messages, else null.
  virtual HWND GetLiveMainWnd();

  bool Create(const qel_oc_info* _oc_info, shared_ptr<ZulMsnOCInstWrapRep> _rep);
  void Finalize();
  // One message of the component that arrived at the static window.
  bool OnOCMsgs(UINT _msg, WPARAM _wParam, LPARAM _lParam);
  // The instance's process ended without the component saying so (it was killed).
  void OnProcessEnded();

  bool IsValid() const { return mIsValid; }
  HWND GetStaticWnd() const { return m_hwndStatic; }
  HWND GetTopAgentWnd() const { return m_hwndOCTopAgent; }

 private:
  bool dojob_create_static_wnd(DWORD proc_id);
  bool on_hidden_known(WPARAM _wParam, LPARAM _lParam);
  bool on_main_known(WPARAM _wParam, LPARAM _lParam);
  void on_main_created(WPARAM _wParam);
  void dojob_attach(HWND main_wnd);
  void dojob_watch_process();
  void dojob_unwatch_process();

  bool mIsValid = false;
  shared_ptr<ZulMsnOCInstWrapRep> m_rep;
  HWND m_hwndOCHidden = nullptr;
  HWND m_hwndOCMain = nullptr;
  HWND m_hwndOCTopAgent = nullptr;
  DWORD m_proc_id = 0;
  HWND m_hwndStatic = nullptr;
  // The program's main window, the registry's owner window.
  HWND m_hwndZulApp = nullptr;
  // The instance's process and the thread-pool wait that reports its end.
  platform::ScopedKernelHandle m_process;
  HANDLE m_process_wait = nullptr;
};

// Window procedure of every wrapper's static window: the component's messages and the end of
// the instance's process go to the instance's wrapper, everything else to the STATIC class.
LRESULT CALLBACK ProcStaticCtrl_New(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam);
