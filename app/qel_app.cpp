#include "app/qel_app.h"

#include "app/co_qel_app_msn.h"
#include "app/ctest_qel_ui_module.h"
#include "app/qel_skype_plugin.h"
#include "app/qel_ui_top_wnd.h"
#include "library/qel_app_constants.h"
#include "library/qel_avi_file_mngr.h"
#include "messenger/qel_oc_inst_wrap_rep.h"
#include "qel_lib/qel_assert.h"
#include "ui/qel_dlg_message_box.h"
#include "ui/qel_top_wnd.h"

namespace {

constexpr char kAutoStartEnable[] = "sys_auto_start_enable";
// Show modes of the main window for a start by the user and an automatic one.
constexpr int kShowModeShown = 0;
constexpr int kShowModeAutomatic = 2;

shared_ptr<c_quorvantine_app>* g_app_holder = nullptr;

}  // namespace

c_quorvantine_app::c_quorvantine_app() = default;

c_quorvantine_app::~c_quorvantine_app() {
  if (mIsValid)
    Finalize();
}

void c_quorvantine_app::Shutdown() {
  // The process ends without ExitInstance: the class objects go first, so that no engine
  // is handed a server that is about to vanish.
  qel_com_module().RevokeClassObjects();
  Finalize();
  ::ExitProcess(0);
}

bool c_quorvantine_app::dojob_may_start(bool started_automatically) {
  if (FindWindowA(g_qel_app_top_wnd_class, nullptr)) {
    if (!started_automatically)
      qel_send_show_ui(1);
    return false;
  }
  ZulProfileValue enable = m_user_key.GetValue(kAutoStartEnable);
  if (!started_automatically) {
    enable.SetBool(true);
    return true;
  }
  bool enabled = true;
  enable.GetBool(&enabled);
  return enabled;
}

bool c_quorvantine_app::Create(const char16_t* cmd_line) {
  if (!QEL_ASSERT(!mIsValid))
    return false;
  m_user_key = ZulProfileKey::Root_CurrentUser().GetSubKey(g_qel_settings_path);
  m_machine_key = ZulProfileKey::Root_LocalMachine().GetSubKey(g_qel_settings_path);
  int start_context = 0;
  int plugin_context = 0;
  if (cmd_line) {
    m_cmd_line = cmd_line;
    proc_args(cmd_line, &start_context, &plugin_context);
  }
  bool automatic = qel_is_started_automatically(start_context, plugin_context);
  if (!dojob_may_start(automatic))
    return false;
  if (!ZulIApp::Create())
    return false;
  mIsValid = true;

  m_file_mngr = shared_ptr<qel_avi_file_mngr>(new qel_avi_file_mngr);
  bool rtn = m_file_mngr->create(ZulProfileKey::Root_CurrentUser().GetSubKey(g_qel_settings_path));
  QEL_ASSERT(rtn);

  m_ui_cmd_adapter.Bind(shared_ptr<c_quorvantine_app>(this), &c_quorvantine_app::OnWndEvent);
  m_top_wnd = shared_ptr<CMyTopWnd>(new CMyTopWnd);
  rtn = m_top_wnd->create_unshown(automatic ? kShowModeAutomatic : kShowModeShown);
  if (!QEL_ASSERT(rtn))
    return false;
  m_top_wnd->m_ui_cmd_sink.Attach(&m_ui_cmd_adapter, 0);
  m_session_end.Attach(m_top_wnd.get());
  dojob_fill_top_wnd();
  m_top_wnd->show_created();

  qel_register_ui_wm();
  rtn = qel_create_ui_top_wnd();
  QEL_ASSERT(rtn);

  weak_ptr<c_quorvantine_app> self(shared_ptr<c_quorvantine_app>(this));
  mOCInstWrapRep = CreateRep(m_machine_key, GetTopWndHandle(), [self](DWORD _proc_id) {
    shared_ptr<c_quorvantine_app> app = self.lock();
    if (app.valid())
      app->OnOCProcessEnded(_proc_id);
  });
  QEL_ASSERT(mOCInstWrapRep);
  QEL_ASSERT(!m_com_app);
  // The engine's own objects report to this application as well.
  shared_ptr<qel_irecord_host> host(this);
  qel_com_module().SetRecordHost(host);
  HRESULT hr = co_qel_app_msn::CreateInstance(m_com_app.Receive(), host);
  QEL_ASSERT(SUCCEEDED(hr) && m_com_app);
  return true;
}

void c_quorvantine_app::Finalize() {
  if (!mIsValid)
    return;
  if (m_com_app) {
    m_com_app->ReleaseUI();
    m_com_app.Release();
  }
  if (m_msg_box.valid()) {
    m_msg_box->Destroy();
    m_msg_box.reset();
  }
  qel_destroy_ui_top_wnd();
  if (m_file_mngr.valid()) {
    m_file_mngr->Finalize();
    m_file_mngr.reset();
  }
  if (m_top_wnd.valid()) {
    m_top_wnd->m_ui_cmd_sink.Detach(&m_ui_cmd_adapter);
    m_top_wnd->Finalize();
    m_top_wnd.reset();
  }
  if (mOCInstWrapRep.valid()) {
    mOCInstWrapRep->Finalize();
    mOCInstWrapRep.reset();
  }
  ZulIApp::Finalize();
}

HWND c_quorvantine_app::GetTopWndHandle() {
  return m_top_wnd.valid() ? m_top_wnd->GetSafeHwnd() : nullptr;
}

shared_ptr<CMyTopWnd> c_quorvantine_app::GetTopWnd() {
  return m_top_wnd;
}

shared_ptr<qel_avi_file_mngr> c_quorvantine_app::GetFileMngr() {
  return m_file_mngr;
}

ZulProfileKey c_quorvantine_app::GetUserKey() {
  return m_user_key;
}

ZulProfileKey c_quorvantine_app::GetMachineKey() {
  return m_machine_key;
}

shared_ptr<c_quorvantine_app> qel_create_app(const char16_t* cmd_line) {
  if (!g_app_holder)
    g_app_holder = new shared_ptr<c_quorvantine_app>();
  if (g_app_holder->valid())
    return *g_app_holder;
  *g_app_holder = shared_ptr<c_quorvantine_app>(new c_quorvantine_app);
  if ((*g_app_holder)->Create(cmd_line) && g_app_holder->valid())
    return *g_app_holder;
  delete g_app_holder;
  g_app_holder = nullptr;
  return {};
}

shared_ptr<c_quorvantine_app> qel_get_app() {
  return g_app_holder ? *g_app_holder : shared_ptr<c_quorvantine_app>();
}
