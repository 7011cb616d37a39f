#include "winkit/wk_app.h"

#include <algorithm>

#include <commctrl.h>

#include "winkit/wk_command_line_info.h"
#include "winkit/wk_frame_wnd.h"

namespace {
WkApp* g_current_app = nullptr;
}  // namespace

WkApp::WkApp() {
  if (!g_current_app)
    g_current_app = this;
}

WkApp::~WkApp() {
  if (g_current_app == this)
    g_current_app = nullptr;
}

WkApp* WkApp::Current() {
  return g_current_app;
}

int WkApp::Run() {
  MSG msg = {};
  for (;;) {
    BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0 || got == -1)
      break;
    if (PreTranslateMessage(&msg))
      continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  m_exit_code = static_cast<int>(msg.wParam);
  return ExitInstance();
}

bool WkApp::PreTranslateMessage(MSG* msg) {
  if (m_pMainWnd && m_pMainWnd->PreTranslateMessage(msg))
    return true;
  for (HWND dialog : m_dialogs)
    if (msg->hwnd && (msg->hwnd == dialog || IsChild(dialog, msg->hwnd)))
      return IsDialogMessageW(dialog, msg) != 0;
  return false;
}

void WkApp::AddModelessDialog(HWND dialog) {
  if (dialog && std::find(m_dialogs.begin(), m_dialogs.end(), dialog) == m_dialogs.end())
    m_dialogs.push_back(dialog);
}

void WkApp::RemoveModelessDialog(HWND dialog) {
  m_dialogs.erase(std::remove(m_dialogs.begin(), m_dialogs.end(), dialog), m_dialogs.end());
}

bool WkInitCommonControls() {
  INITCOMMONCONTROLSEX init = {
      sizeof init, ICC_WIN95_CLASSES | ICC_STANDARD_CLASSES | ICC_LINK_CLASS | ICC_USEREX_CLASSES};
  return InitCommonControlsEx(&init) != 0;
}

int WkWinMain(HINSTANCE instance, int show_command) {
  WkApp* app = WkApp::Current();
  if (!app)
    return 1;
  WkInitCommonControls();
  app->m_hInstance = instance;
  app->m_lpCmdLine = WkSkipProgramName(GetCommandLineW());
  app->m_nCmdShow = show_command;
  if (!app->InitInstance()) {
    if (app->m_pMainWnd)
      app->m_pMainWnd->DestroyWindow();
    return app->ExitInstance();
  }
  return app->Run();
}
