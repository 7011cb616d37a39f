#include "app/qel_ui_top_wnd.h"

#include "app/qel_app.h"
#include "app/qel_iapp.h"
#include "library/qel_app_constants.h"
#include "qel_lib/qel_assert.h"
#include "ui/qel_top_wnd.h"

UINT g_WM_ZUL_SHOW_UI = 0;
HWND g_hwnd_ui_top = nullptr;

namespace {
platform::HiddenWindow* g_ui_top_window = nullptr;
}  // namespace

UINT qel_register_ui_wm() {
  if (!g_WM_ZUL_SHOW_UI)
    g_WM_ZUL_SHOW_UI = RegisterWindowMessageA(g_qel_wm_show_ui_name);
  QEL_ASSERT_MSG(g_WM_ZUL_SHOW_UI, "g_WM_ZUL_SHOW_UI");
  return g_WM_ZUL_SHOW_UI;
}

bool qel_create_ui_top_wnd() {
  if (!g_ui_top_window)
    g_ui_top_window = new platform::HiddenWindow;
  g_hwnd_ui_top =
      create_hidden_top_wnd(g_ui_top_window, wndproc_ui_top_wnd, g_qel_ui_top_wnd_class);
  return QEL_ASSERT(g_hwnd_ui_top);
}

void qel_destroy_ui_top_wnd() {
  delete g_ui_top_window;
  g_ui_top_window = nullptr;
  g_hwnd_ui_top = nullptr;
  UnregisterClassA(g_qel_ui_top_wnd_class, GetModuleHandleW(nullptr));
}

bool qel_send_show_ui(WPARAM wparam) {
  HWND running = FindWindowA(g_qel_ui_top_wnd_class, nullptr);
  UINT msg = qel_register_ui_wm();
  if (!running || !msg)
    return false;
  SendMessageA(running, msg, wparam, 0);
  return true;
}

LRESULT CALLBACK wndproc_ui_top_wnd(HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
  if (!g_WM_ZUL_SHOW_UI || msg != g_WM_ZUL_SHOW_UI)
    return DefWindowProcW(hwnd, msg, wparam, lparam);
  shared_ptr<CMyTopWnd> top_wnd;
  if (shared_ptr<c_quorvantine_app> app = qel_get_app(); app.valid())
    top_wnd = app->GetTopWnd();
  HWND main_wnd = top_wnd.valid() ? top_wnd->GetSafeHwnd() : nullptr;
  if (!QEL_ASSERT_MSG(main_wnd, "top_wnd.m_hWnd"))
    return 0;
  if (wparam)
    PostMessageW(main_wnd, WM_COMMAND, MAKEWPARAM(kQelWndOpenMainWindow, 0), 0);
  else
    ::ShowWindow(main_wnd, SW_HIDE);
  return 0;
}
