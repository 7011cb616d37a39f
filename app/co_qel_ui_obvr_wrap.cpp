#include "app/co_qel_ui.h"

#include "library/qel_avi_file_mngr.h"
#include "platform/files.h"
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
  HRESULT hr = parent->Fire_RequestRecord(path);
  SysFreeString(path);
  if (SUCCEEDED(hr) && parent->sink_count())
    dojob_watch(name, start_time);
  dojob_reset_top_wnd(hr);
}

void co_qel_ui::MyObvrWrap::dojob_request_stop(co_qel_ui* parent) {
  HRESULT hr = parent->Fire_RequestStop();
  if (WkIsDeadSinkResult(hr) && !parent->sink_count() && !m_watched_path.empty())
    dojob_record_lost(parent);
  else
    dojob_reset_top_wnd(hr);
}

void co_qel_ui::MyObvrWrap::dojob_watch(const char16_t* _path, int64_t _start_time) {
  m_watched_path = _path;
  m_watched_start = _start_time;
}

void co_qel_ui::MyObvrWrap::dojob_unwatch() {
  m_watched_path.clear();
}

void co_qel_ui::MyObvrWrap::dojob_record_lost(co_qel_ui* parent) {
  std::u16string path = m_watched_path + u".avi";
  int64_t start_time = m_watched_start;
  dojob_unwatch();
  shared_ptr<qel_irecord_host> app = parent->m_host.lock();
  if (app.valid())
    app->on_record_lost(path.c_str(), start_time);
}

void co_qel_ui::MyObvrWrap::dojob_reset_top_wnd(HRESULT hr) {
  if (SUCCEEDED(hr))
    return;
  shared_ptr<CMyTopWnd> top_wnd = m_top_wnd.lock();
  if (top_wnd.valid())
    top_wnd->reset_streams();
}
