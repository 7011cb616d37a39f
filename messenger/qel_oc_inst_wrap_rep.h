// The messenger instance registry: loads the hook component, receives its reports of new
// messenger instances and keeps one wrapper per instance, keyed by process id.
#pragma once

#include <cstddef>
#include <functional>
#include <map>

#include "library/qel_profile.h"
#include "messenger/qel_hook_contract.h"
#include "qel_lib/qel_ptr.h"

class ZulMsnOCInstWrap;

// Told on the UI thread when a wrapped instance's process ends without the component saying
// so (it was killed or crashed), after its wrapper is gone.
using qel_oc_process_ended_fn = std::function<void(DWORD _proc_id)>;

class ZulMsnOCInstWrapRep : public ZulIObject {
 public:
  ZulMsnOCInstWrapRep() = default;
  ~ZulMsnOCInstWrapRep() override;

  // The machine key names the component; the owner window becomes every wrapper's parent.
  virtual bool Create(const ZulProfileKey& _machine_key,
                      HWND _owner_wnd,
                      qel_oc_process_ended_fn _on_process_ended = {});
  virtual void Finalize();
  // Erases the instance's entry; false when it is absent.
  virtual bool Remove(DWORD _proc_id);
  virtual shared_ptr<ZulMsnOCInstWrap> Find(DWORD _proc_id);
  // Wraps a newly reported instance once; true when it is (or already was) wrapped.
  virtual bool OnOCNewed(const qel_oc_info* _oc_info);
  // From a wrapper whose instance's process ended unannounced.
  void OnOCProcessEnded(DWORD _proc_id);

  bool IsValid() const { return mIsValid; }
  HWND GetOwnerWnd() const { return m_hwnd_owner; }
  size_t size() const { return m_wraps.size(); }

 private:
  bool mIsValid = false;
  HWND m_hwnd_owner = nullptr;
  qel_oc_process_ended_fn m_on_process_ended;
  std::map<DWORD, shared_ptr<ZulMsnOCInstWrap>> m_wraps;
};

// The live registry, created (and the component loaded) on first use; empty on failure.
shared_ptr<ZulMsnOCInstWrapRep> CreateRep(const ZulProfileKey& _machine_key,
                                          HWND _owner_wnd,
                                          qel_oc_process_ended_fn _on_process_ended = {});
// The live registry for window procedures; empty when there is none.
shared_ptr<ZulMsnOCInstWrapRep> qel_oc_inst_wrap_rep();

// Handed to the component: wraps every live instance of the list.
int Callback_OnNewOC(qel_oc_info* _info, void* _usrData);
