#include "app/app.h"

#include "app/ctest_qel_ui_module.h"
#include "app/qel_com_ps.h"
#include "qel_lib/qel_assert.h"
#include "ui/qel_top_wnd.h"
#include "winkit/wk_command_line_info.h"

namespace {

bool register_class_objects() {
  // Without the linked-in proxy/stub the engine's calls could not be unmarshaled when no
  // Interface keys are registered.
  qel_register_ps_in_process();
  return SUCCEEDED(qel_com_module().RegisterClassObjects(CLSCTX_LOCAL_SERVER, REGCLS_MULTIPLEUSE));
}

void revoke_class_objects() {
  qel_com_module().RevokeClassObjects();
}

HRESULT register_server() {
  HRESULT hr = qel_com_module().UpdateRegistryAppId(true);
  HRESULT server = qel_com_module().RegisterServer();
  return FAILED(hr) ? hr : server;
}

HRESULT unregister_server() {
  HRESULT hr = qel_com_module().UpdateRegistryAppId(false);
  HRESULT server = qel_com_module().UnregisterServer();
  return FAILED(hr) ? hr : server;
}

}  // namespace

bool c_app::InitInstance() {
  m_ole_started = SUCCEEDED(OleInitialize(nullptr));
  if (!register_class_objects())
    return false;
  if (!dojob_handle_shell_command())
    return false;
  if (!WkApp::InitInstance())
    return false;

  WSADATA wsa;
  m_sockets_started = WSAStartup(MAKEWORD(1, 1), &wsa) == 0;
  if (!QEL_ASSERT_MSG(m_sockets_started, "false"))
    return false;
  if (!m_gdiplus.Startup())
    return false;

  m_app = qel_create_app(as_u16(m_lpCmdLine));
  if (!m_app.valid())
    return false;
  shared_ptr<CMyTopWnd> top_wnd = m_app->GetTopWnd();
  m_pMainWnd = top_wnd.valid() ? top_wnd->GetFrame() : nullptr;
  if (!QEL_ASSERT(m_pMainWnd))
    return false;
  return true;
}

bool c_app::dojob_handle_shell_command() {
  WkCommandLineInfo info;
  WkParseCommandLine(GetCommandLineW(), &info);
  // A setup program learns from the exit code whether the registration took effect.
  if (info.m_nShellCommand == WkCommandLineInfo::kAppUnregister) {
    m_exit_code = FAILED(unregister_server()) ? 1 : 0;
    return false;
  }
  if (info.m_nShellCommand == WkCommandLineInfo::kAppRegister) {
    m_exit_code = FAILED(register_server()) ? 1 : 0;
    return false;
  }
  return true;
}

int c_app::ExitInstance() {
  m_pMainWnd = nullptr;
  if (m_app.valid()) {
    m_app->Finalize();
    m_app.reset();
  }
  m_gdiplus.Shutdown();
  revoke_class_objects();
  if (m_sockets_started)
    WSACleanup();
  m_sockets_started = false;
  if (m_ole_started)
    OleUninitialize();
  m_ole_started = false;
  return WkApp::ExitInstance();
}
