#include "app/co_qel_app_msn.h"

#include <new>

#include "app/co_qel_ui.h"
#include "qel_lib/qel_assert.h"
#include "winkit/wk_com_module.h"

co_qel_app_msn::co_qel_app_msn()
    : m_app_events(static_cast<IQelApp*>(this), this, IID_IQelAppEvents) {
  AddConnectionPoint(&m_app_events);
  if (WkComModule* module = WkComModule::Current())
    module->Lock();
}

co_qel_app_msn::~co_qel_app_msn() {
  m_app_events.UnadviseAll();
  if (WkComModule* module = WkComModule::Current())
    module->Unlock();
}

HRESULT co_qel_app_msn::CreateInstance(co_qel_app_msn** out) {
  if (!out)
    return E_POINTER;
  *out = nullptr;
  co_qel_app_msn* p = new (std::nothrow) co_qel_app_msn;
  if (!p)
    return E_OUTOFMEMORY;
  p->AddRef();
  HRESULT hr = p->FinalConstruct();
  if (hr != S_OK) {
    p->Release();
    return FAILED(hr) ? hr : E_FAIL;
  }
  *out = p;
  return S_OK;
}

STDMETHODIMP co_qel_app_msn::QueryInterface(REFIID iid, void** out) {
  if (!out)
    return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IQelApp)) {
    *out = static_cast<IQelApp*>(this);
  } else if (IsEqualIID(iid, IID_IConnectionPointContainer)) {
    *out = static_cast<IConnectionPointContainer*>(this);
  } else {
    *out = nullptr;
    return E_NOINTERFACE;
  }
  AddRef();
  return S_OK;
}

STDMETHODIMP_(ULONG) co_qel_app_msn::AddRef() {
  return InterlockedIncrement(&m_ref);
}

STDMETHODIMP_(ULONG) co_qel_app_msn::Release() {
  LONG ref = InterlockedDecrement(&m_ref);
  if (ref == 0) {
    // Kept alive while the UI object lets go, since that may release references to us.
    m_ref = 1;
    ReleaseUI();
    delete this;
  }
  return ref;
}

HRESULT co_qel_app_msn::FinalConstruct() {
  if (m_ui)
    return S_OK;
  HRESULT hr = co_qel_ui::CreateInstance(&m_ui);
  QEL_ASSERT(SUCCEEDED(hr));
  return S_OK;
}

STDMETHODIMP co_qel_app_msn::GetUI(IQelUI** _ui) {
  if (!_ui)
    return S_OK;
  *_ui = nullptr;
  if (!m_ui) {
    HRESULT hr = co_qel_ui::CreateInstance(&m_ui);
    if (!QEL_ASSERT(SUCCEEDED(hr)))
      return hr;
  }
  if (!m_ui)
    return S_OK;
  HRESULT hr = m_ui->QueryInterface(IID_IQelUI, reinterpret_cast<void**>(_ui));
  if (!QEL_ASSERT(SUCCEEDED(hr)))
    return hr;
  return S_OK;
}

void co_qel_app_msn::ReleaseUI() {
  if (!m_ui)
    return;
  co_qel_ui* ui = m_ui;
  m_ui = nullptr;
  ui->ReleaseMembers();
  ui->Release();
}
