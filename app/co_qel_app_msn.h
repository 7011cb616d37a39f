// The application object the recording engine creates by class id: it hands out the UI
// object. The class factory is a singleton, so every client gets the same object.
#pragma once

#include "app/qel_com_ps.h"
#include "winkit/wk_connection_point.h"

class co_qel_ui;

class co_qel_app_msn : public IQelApp, public WkConnectionPointContainerImpl {
 public:
  // A new application object with one reference (its FinalConstruct done).
  static HRESULT CreateInstance(co_qel_app_msn** out);

  STDMETHODIMP QueryInterface(REFIID iid, void** out) override;
  STDMETHODIMP_(ULONG) AddRef() override;
  STDMETHODIMP_(ULONG) Release() override;

  STDMETHODIMP GetUI(IQelUI** _ui) override;

  HRESULT FinalConstruct();
  // The UI object lets go of its members and is released (before the application ends).
  void ReleaseUI();
  co_qel_ui* ui() const { return m_ui; }

 private:
  co_qel_app_msn();
  virtual ~co_qel_app_msn();

  co_qel_ui* m_ui = nullptr;
  WkConnectionPoint m_app_events;
  volatile LONG m_ref = 0;
};
