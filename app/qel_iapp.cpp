#include "app/qel_iapp.h"

#include <cstring>

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

ATOM register_wnd_cls(WNDPROC _proc, const char* _name) {
  if (!QEL_ASSERT(_proc && _name))
    return 0;
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  wc.style = CS_HREDRAW | CS_VREDRAW;
  wc.lpfnWndProc = _proc;
  wc.lpszClassName = _name;
  return RegisterClassExA(&wc);
}

HWND create_hidden_top_wnd(const char* class_name) {
  return CreateWindowExA(0, class_name, "", WS_POPUP | WS_DISABLED, 0, 0, 0, 0, nullptr, nullptr,
                         nullptr, nullptr);
}

ZulIApp::ZulIApp() {
  QEL_ASSERT(!gApp);
}

ZulIApp::~ZulIApp() {
  // An application dropped without Finalize leaves no stale gApp or window behind.
  if (gApp && (gApp->block() == get_detail() || gApp->block()->shared_count == 0))
    dojob_drop_gapp();
  if (mHwndTop) {
    ::DestroyWindow(mHwndTop);
    UnregisterClassA(mWndClassName, nullptr);
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
  register_wnd_cls(Proc_AppTopWnd, mWndClassName);
  mHwndTop = create_hidden_top_wnd(mWndClassName);
  if (!QEL_ASSERT(mHwndTop)) {
    UnregisterClassA(mWndClassName, nullptr);
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
    ::DestroyWindow(mHwndTop);
  mHwndTop = nullptr;
  if (QEL_ASSERT(mWndClassName))
    UnregisterClassA(mWndClassName, nullptr);
}

LRESULT CALLBACK Proc_AppTopWnd(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (!WM_ZUL_SHUTDOWN_APP || msg != WM_ZUL_SHUTDOWN_APP)
    return DefWindowProcA(hwnd, msg, wparam, lparam);
  shared_ptr<ZulIApp> app;
  if (gApp)
    app = gApp->lock();
  if (!QEL_ASSERT_MSG(app.valid(), "false"))
    return 0;
  app->Shutdown();
  return 0;
}
