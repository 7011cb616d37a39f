#include "app/co_qel_ui.h"

#include "app/ctest_qel_ui_module.h"
#include "qel_lib/qel_assert.h"
#include "ui/qel_top_wnd.h"

co_qel_ui::co_qel_ui()
    : WkComObject(IID_IQelUI), m_ui_events(static_cast<IQelUI*>(this), this, IID_IQelUIEvents) {
  AddConnectionPoint(&m_ui_events);
}

co_qel_ui::~co_qel_ui() {
  ReleaseMembers();
  m_ui_events.UnadviseAll();
}

HRESULT co_qel_ui::FinalConstruct() {
  return FinalConstruct(qel_com_module().GetRecordHost());
}

HRESULT co_qel_ui::FinalConstruct(const shared_ptr<qel_irecord_host>& _host) {
  m_host = _host;
  m_app = _host;
  if (!QEL_ASSERT(m_app))
    return S_FALSE;
  m_top_wnd = m_app->GetTopWnd();
  // Again the application, not the window: it may have been finalized while it handed the
  // window out. A missing window is reported by the observer's Create below.
  if (!QEL_ASSERT(m_app))
    return S_FALSE;
  m_obvr = shared_ptr<MyObvrWrap>(new MyObvrWrap);
  bool rtn = m_obvr->Create(this, m_top_wnd);
  QEL_ASSERT(rtn);
  return S_OK;
}

void co_qel_ui::ReleaseMembers() {
  if (m_obvr.valid()) {
    m_obvr->Finalize();
    m_obvr.reset();
  }
  if (m_top_wnd.valid())
    m_top_wnd.reset();
  if (m_app.valid())
    m_app.reset();
}

STDMETHODIMP co_qel_ui::ShowUI(BOOL show) {
  if (m_top_wnd.valid() && m_top_wnd->GetSafeHwnd())
    ::ShowWindow(m_top_wnd->GetSafeHwnd(), show ? SW_SHOWNORMAL : SW_HIDE);
  return S_OK;
}

STDMETHODIMP co_qel_ui::ShowTrayIcon(BOOL show) {
  if (m_top_wnd.valid())
    m_top_wnd->show_tray_icon(show != FALSE);
  return S_OK;
}

STDMETHODIMP co_qel_ui::SetWebcamStreams(int local, int remote) {
  if (m_top_wnd.valid())
    m_top_wnd->set_webcam_stream_count(local, remote);
  return S_OK;
}

STDMETHODIMP co_qel_ui::SetAudioStreams(int first, int second) {
  if (m_top_wnd.valid())
    m_top_wnd->set_audio_stream_count(first, second);
  return S_OK;
}

STDMETHODIMP co_qel_ui::OnRecordStarted() {
  m_app = m_host.lock();
  if (!QEL_ASSERT(m_app))
    return S_FALSE;
  m_app->on_record_started();
  return S_OK;
}

STDMETHODIMP co_qel_ui::OnRecordStopped(int _save_list_size,
                                        BSTR** _save_list,
                                        int _del_list_size,
                                        BSTR** _del_list,
                                        hyper _start_time) {
  QEL_ASSERT(_save_list_size <= QEL_MAX_OUTPUT_FILE_COUNT);
  QEL_ASSERT(_del_list_size <= QEL_MAX_OUTPUT_FILE_COUNT);
  int save_count =
      _save_list_size < QEL_MAX_OUTPUT_FILE_COUNT ? _save_list_size : QEL_MAX_OUTPUT_FILE_COUNT;
  int del_count =
      _del_list_size < QEL_MAX_OUTPUT_FILE_COUNT ? _del_list_size : QEL_MAX_OUTPUT_FILE_COUNT;
  // Copies owned for the duration of the call; entries beyond the arrays stay null.
  BSTR save_copy[QEL_MAX_OUTPUT_FILE_COUNT] = {};
  BSTR del_copy[QEL_MAX_OUTPUT_FILE_COUNT] = {};
  for (int i = 0; _save_list && i < save_count; ++i) {
    if (_save_list[i] && *_save_list[i])
      save_copy[i] = SysAllocString(*_save_list[i]);
  }
  for (int i = 0; _del_list && i < del_count; ++i) {
    if (_del_list[i] && *_del_list[i])
      del_copy[i] = SysAllocString(*_del_list[i]);
  }
  // The engine finished the recording itself.
  if (m_obvr.valid())
    m_obvr->dojob_unwatch();
  HRESULT hr = S_FALSE;
  m_app = m_host.lock();
  if (QEL_ASSERT(m_app)) {
    m_app->on_record_stopped(save_count, save_copy, del_count, del_copy, _start_time);
    hr = S_OK;
  }
  for (BSTR s : save_copy)
    SysFreeString(s);
  for (BSTR s : del_copy)
    SysFreeString(s);
  return hr;
}

STDMETHODIMP co_qel_ui::OnRecordStartFailed(int reason) {
  if (m_obvr.valid())
    m_obvr->dojob_unwatch();
  if (m_top_wnd.valid())
    m_top_wnd->OnRecordStartFailed(reason);
  return S_OK;
}

HRESULT co_qel_ui::Fire_RequestRecord(BSTR _file_path, std::vector<uint32_t>* _takers) {
  return m_ui_events.Fire<IQelUIEvents>(
      [_file_path](IQelUIEvents* sink) { return sink->RequestRecord(_file_path); },
      [_takers](DWORD cookie, HRESULT hr) {
        if (_takers && hr == S_OK)
          _takers->push_back(cookie);
      });
}

HRESULT co_qel_ui::Fire_RequestStop() {
  return m_ui_events.Fire<IQelUIEvents>([](IQelUIEvents* sink) { return sink->RequestStop(); });
}
