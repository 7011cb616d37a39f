#include "app/qel_iapp.h"

#include <cstring>
#include <string>

#include "library/qel_app_constants.h"
#include "qel_lib/qel_assert.h"

weak_ptr<ZulIApp>* gApp = nullptr;
UINT WM_ZUL_SHUTDOWN_APP = 0;

UINT RegisterWM() {
  if (!WM_ZUL_SHUTDOWN_APP)
    WM_ZUL_SHUTDOWN_APP = RegisterWindowMessageA(g_qel_wm_shutdown_app_name);
  QEL_ASSERT_MSG(WM_ZUL_SHUTDOWN_APP, "WM_ZUL_SHUTDOWN_APP");
  return WM_ZUL_SHUTDOWN_APP;
}

HWND create_hidden_top_wnd(platform::HiddenWindow* _window, WNDPROC _proc, const char* _name) {
  if (!QEL_ASSERT(_proc && _name))
    return nullptr;
  // Class names are ASCII: the wide name is the same class for FindWindowA.
  std::wstring name(_name, _name + strlen(_name));
  _window->Create(name.c_str(), WS_POPUP | WS_DISABLED, nullptr, _proc);
  return _window->hwnd();
}

ZulIApp::ZulIApp() {
  QEL_ASSERT(!gApp);
}

ZulIApp::~ZulIApp() {
  // An application dropped without Finalize leaves no stale gApp or window behind.
  if (gApp && (gApp->block() == get_detail() || gApp->block()->shared_count == 0))
    dojob_drop_gapp();
  if (mHwndTop) {
    m_top_window.Destroy();
    UnregisterClassA(mWndClassName, GetModuleHandleW(nullptr));
  }
}

void ZulIApp::dojob_drop_gapp() {
  delete gApp;
  gApp = nullptr;
}

bool ZulIApp::Create() {
  if (!QEL_ASSERT(!gApp))
    return false;
  // Only an object already held by a shared_ptr can hand out one to itself.
  if (!QEL_ASSERT(get_detail()))
    return false;
  gApp = new weak_ptr<ZulIApp>(shared_ptr<ZulIApp>(this));
  RegisterWM();
  mWndClassName = g_qel_app_top_wnd_class;
  QEL_ASSERT_MSG(mWndClassName && ::strlen(mWndClassName) > 0,
                 "mWndClassName && ::_tcslen(mWndClassName) > 0");
  mHwndTop = create_hidden_top_wnd(&m_top_window, Proc_AppTopWnd, mWndClassName);
  if (!QEL_ASSERT(mHwndTop)) {
    UnregisterClassA(mWndClassName, GetModuleHandleW(nullptr));
    dojob_drop_gapp();
    return false;
  }
  return true;
}

void ZulIApp::Finalize() {
  if (!QEL_ASSERT(mIsValid))
    return;
  mIsValid = false;
  dojob_drop_gapp();
  if (QEL_ASSERT(mHwndTop))
    m_top_window.Destroy();
  mHwndTop = nullptr;
  if (QEL_ASSERT(mWndClassName))
    UnregisterClassA(mWndClassName, GetModuleHandleW(nullptr));
}

LRESULT CALLBACK Proc_AppTopWnd(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (!WM_ZUL_SHUTDOWN_APP || msg != WM_ZUL_SHUTDOWN_APP)
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  shared_ptr<ZulIApp> app;
  if (gApp)
    app = gApp->lock();
  if (!QEL_ASSERT_MSG(app.valid(), "false"))
    return 0;
  app->Shutdown();
  return 0;
}
