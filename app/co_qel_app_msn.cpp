#include "app/co_qel_app_msn.h"

#include "app/co_qel_ui.h"
#include "app/ctest_qel_ui_module.h"
#include "qel_lib/qel_assert.h"

co_qel_app_msn::co_qel_app_msn()
    : WkComObject(IID_IQelApp), m_app_events(static_cast<IQelApp*>(this), this, IID_IQelAppEvents) {
  AddConnectionPoint(&m_app_events);
}

co_qel_app_msn::~co_qel_app_msn() {
  m_app_events.UnadviseAll();
}

HRESULT co_qel_app_msn::FinalConstruct() {
  return FinalConstruct(qel_com_module().GetRecordHost());
}

HRESULT co_qel_app_msn::FinalConstruct(const shared_ptr<qel_irecord_host>& _host) {
  m_host = _host;
  if (m_ui)
    return S_OK;
  HRESULT hr = co_qel_ui::CreateInstance(&m_ui, m_host.lock());
  QEL_ASSERT(SUCCEEDED(hr));
  return S_OK;
}

STDMETHODIMP co_qel_app_msn::GetUI(IQelUI** _ui) {
  if (!_ui)
    return S_OK;
  *_ui = nullptr;
  if (!m_ui) {
    HRESULT hr = co_qel_ui::CreateInstance(&m_ui, m_host.lock());
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
