// Shows the about box and the message box on screen for a while, for scripts/screenshots; does
// nothing unless QEL_SCREENSHOT_HOLD_MS is set.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>

#include "qel_lib/qel_ptr.h"
#include "res/resource.h"
#include "ui/qel_dlg_about.h"
#include "ui/qel_dlg_message_box.h"
#include "ui/qel_l10n_strings.h"
#include "winkit/wk_frame_wnd.h"

namespace {

void print_rect(const char* name, HWND hwnd) {
  RECT r;
  GetWindowRect(hwnd, &r);
  std::printf("%s %ld %ld %ld %ld\n", name, r.left, r.top, r.right - r.left, r.bottom - r.top);
  std::fflush(stdout);
}

TEST(DlgScreenshot, AboutBoxAndMessageBoxOnScreen) {
  const char* hold = std::getenv("QEL_SCREENSHOT_HOLD_MS");
  if (!hold)
    GTEST_SKIP() << "only for screenshots";
  WkFrameWnd parent;
  ASSERT_TRUE(parent.CreateFrame(L"shot_parent", L"p", WS_OVERLAPPEDWINDOW, RECT{0, 0, 10, 10}));
  shared_ptr<DlgAbout> about(new DlgAbout);
  ASSERT_TRUE(about->Create(parent.m_hWnd));
  SetWindowPos(about->GetSafeHwnd(), nullptr, 40, 40, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  shared_ptr<DlgMessageBox> box(new DlgMessageBox);
  const wchar_t* caption = qel_l10n_get_string(IDS_RECORD_FAILED);
  ASSERT_TRUE(
      box->Create(caption, qel_l10n_get_string(IDS_RECORD_FAILED_DETAIL), parent.m_hWnd, 16));
  box->SetCaption(caption);
  box->SetIcon(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_HAND)));
  SetWindowPos(box->GetSafeHwnd(), nullptr, 40, 300, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
  print_rect("about", about->GetSafeHwnd());
  print_rect("msgbox", box->GetSafeHwnd());
  DWORD until = GetTickCount() + std::atoi(hold);
  MSG msg;
  while (GetTickCount() < until) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(20);
  }
}

}  // namespace
