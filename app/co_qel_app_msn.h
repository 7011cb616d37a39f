// The application object the recording engine creates by class id: it hands out the UI
// object. The class factory is a singleton, so every client gets the same object.
#pragma once

#include "app/qel_com_ps.h"
#include "app/qel_irecord_host.h"
#include "qel_lib/qel_ptr.h"
#include "winkit/wk_com_object.h"

class co_qel_ui;

class co_qel_app_msn : public WkComObject<co_qel_app_msn, IQelApp> {
 public:
  STDMETHODIMP GetUI(IQelUI** _ui) override;

  // The application's own object is handed the application; one made for a client reports
  // to the application the COM module was given.
  HRESULT FinalConstruct(const shared_ptr<qel_irecord_host>& _host);
  HRESULT FinalConstruct();
  // The UI object lets go of its members and is released (before the application ends).
  void ReleaseUI();
  co_qel_ui* ui() const { return m_ui; }

 private:
  friend class WkComObject<co_qel_app_msn, IQelApp>;

  co_qel_app_msn();
  ~co_qel_app_msn() override;
  // The UI object lets go first, since that may release references to us.
  void OnFinalRelease() override { ReleaseUI(); }

  weak_ptr<qel_irecord_host> m_host;
  co_qel_ui* m_ui = nullptr;
  WkConnectionPoint m_app_events;
};
