#include "ui/qel_top_wnd_core.h"

namespace {

constexpr wchar_t kClassName[] = L"Quorvantine-msn-main-wnd";
constexpr wchar_t kTitle[] = L"Quorvantine Video Recorder for MSN";
constexpr RECT kDefaultRect = {200, 200, 713, 637};
constexpr WORD kCmdOpenMainWindow = 32782;
constexpr int kMainIconId = 143;

}  // namespace

bool CMyTopWndCore::create(int show_mode) {
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kMainIconId));
  if (!CreateFrame(kClassName, kTitle, WS_OVERLAPPEDWINDOW, kDefaultRect, icon))
    return false;
  if (show_mode == 0)
    dojob_show_and_activate();
  return true;
}

void CMyTopWndCore::dojob_show_and_activate() {
  if (IsIconic(m_hWnd))
    ShowWindow(SW_RESTORE);
  else
    ShowWindow(SW_SHOWNORMAL);
  SetForegroundWindow(m_hWnd);
}

LRESULT CMyTopWndCore::OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_COMMAND:
      if (LOWORD(wparam) == kCmdOpenMainWindow) {
        dojob_show_and_activate();
        return 0;
      }
      break;
    case WM_CLOSE:
      // The program lives on in the background; closing only hides the window.
      ShowWindow(SW_HIDE);
      return 0;
  }
  return WkFrameWnd::OnMessage(msg, wparam, lparam);
}
