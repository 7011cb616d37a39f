#include "app/co_qel_ui.h"

#include <utility>

#include "library/qel_avi_file_mngr.h"
#include "platform/clock.h"
#include "qel_lib/qel_assert.h"
#include "ui/qel_top_wnd.h"

namespace {
constexpr uint32_t kFileNameLen = 2048;
}  // namespace

co_qel_ui::MyObvrWrap::~MyObvrWrap() {
  Finalize();
}

bool co_qel_ui::MyObvrWrap::Create(co_qel_ui* _parent, const shared_ptr<CMyTopWnd>& _top_wnd) {
  if (!QEL_ASSERT(!mIsValid))
    return false;
  if (!QEL_ASSERT(_parent) || !QEL_ASSERT_MSG(_top_wnd.valid(), "_top_wnd"))
    return false;
  QEL_ASSERT(!mParent);
  QEL_ASSERT_MSG(!m_top_wnd.valid(), "!m_top_wnd");
  m_ui_cmd_adapter.Bind(shared_ptr<MyObvrWrap>(this), &MyObvrWrap::OnEvent);
  _top_wnd->m_ui_cmd_sink.Attach(&m_ui_cmd_adapter, 0);
  if (_parent->m_app.valid()) {
    m_engine_end_adapter.Bind(shared_ptr<MyObvrWrap>(this), &MyObvrWrap::OnEngineEnded);
    _parent->m_app->GetEngineEndSink()->Attach(&m_engine_end_adapter, 0);
    m_host = _parent->m_app;
  }
  m_top_wnd = _top_wnd;
  mParent = _parent;
  mIsValid = true;
  return true;
}

void co_qel_ui::MyObvrWrap::Finalize() {
  if (!mIsValid)
    return;
  mIsValid = false;
  dojob_unwatch();
  QEL_ASSERT(mParent);
  mParent = nullptr;
  m_ui_cmd_adapter.Bind(shared_ptr<MyObvrWrap>(), nullptr);
  m_engine_end_adapter.Bind(shared_ptr<MyObvrWrap>(), nullptr);
  shared_ptr<qel_irecord_host> host = m_host.lock();
  if (host.valid())
    host->GetEngineEndSink()->Detach(&m_engine_end_adapter);
  m_host = weak_ptr<qel_irecord_host>();
  shared_ptr<CMyTopWnd> top_wnd = m_top_wnd.lock();
  if (!QEL_ASSERT_MSG(top_wnd.valid(), "m_top_wnd"))
    return;
  top_wnd->m_ui_cmd_sink.Detach(&m_ui_cmd_adapter);
  m_top_wnd = weak_ptr<CMyTopWnd>();
}

void co_qel_ui::MyObvrWrap::OnEvent(const qel_ui_cmd* _ui_cmd) {
  if (!QEL_ASSERT(_ui_cmd) || !mParent)
    return;
  // The engine's calls may arrive while a request waits for it; they must not free the
  // UI object under us.
  co_qel_ui* parent = mParent;
  parent->AddRef();
  if (_ui_cmd->m_cmd_id == kQelCmdRecord)
    dojob_request_record(parent);
  else if (_ui_cmd->m_cmd_id == kQelCmdStop)
    dojob_request_stop(parent);
  parent->Release();
}

void co_qel_ui::MyObvrWrap::dojob_request_record(co_qel_ui* parent) {
  shared_ptr<qel_irecord_host> app = parent->m_app;
  shared_ptr<qel_avi_file_mngr> file_mngr;
  if (app.valid())
    file_mngr = app->GetFileMngr();
  if (!file_mngr.valid())
    return;
  char16_t name[kFileNameLen] = {};
  if (!file_mngr->create_new_file_name(name, kFileNameLen))
    return;
  BSTR path = SysAllocString(as_wide(name));
  if (!path)
    return;
  int64_t start_time = platform::current_time();
  std::vector<uint32_t> takers;
  HRESULT hr = parent->Fire_RequestRecord(path, &takers);
  SysFreeString(path);
  m_watch.watch(name, start_time, std::move(takers));
  dojob_reset_top_wnd(hr);
}

void co_qel_ui::MyObvrWrap::dojob_request_stop(co_qel_ui* parent) {
  HRESULT hr = parent->Fire_RequestStop();
  if (!dojob_check_lost(parent))
    dojob_reset_top_wnd(hr);
}

void co_qel_ui::MyObvrWrap::OnEngineEnded(uint32_t) {
  // With nothing recording a dead engine is dropped at the next request.
  if (!mParent || !m_watch.watching())
    return;
  co_qel_ui* parent = mParent;
  parent->AddRef();
  parent->m_ui_events.DropDeadSinks();
  dojob_check_lost(parent);
  parent->Release();
}

bool co_qel_ui::MyObvrWrap::dojob_check_lost(co_qel_ui* parent) {
  std::u16string file;
  int64_t start_time = 0;
  auto connected = [parent](uint32_t cookie) { return parent->m_ui_events.has_sink(cookie); };
  if (!m_watch.take_lost(connected, &file, &start_time))
    return false;
  shared_ptr<qel_irecord_host> app = parent->m_host.lock();
  if (app.valid())
    app->on_record_lost(file.c_str(), start_time);
  return true;
}

void co_qel_ui::MyObvrWrap::dojob_reset_top_wnd(HRESULT hr) {
  if (SUCCEEDED(hr))
    return;
  shared_ptr<CMyTopWnd> top_wnd = m_top_wnd.lock();
  if (top_wnd.valid())
    top_wnd->reset_streams();
}
