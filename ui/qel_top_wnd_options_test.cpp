// The options dialog as the main window opens it from its menu: one dialog at a time, its
// commands reaching the window and, through it, the application.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/qel_app_constants.h"
#include "library/qel_profile.h"
#include "qel_lib/qel_assert_capture.h"
#include "res/resource.h"
#include "ui/qel_top_wnd.h"
#include "ui/testing/dialog_driver.h"

namespace {

using namespace dlg_testing;

ZulProfileKey Outputs() {
  return ZulProfileKey::Root_CurrentUser().GetSubKey(g_qel_settings_path).GetSubKey("0");
}

class CommandLog : public ZulIObject {
 public:
  void OnCmd(const qel_ui_cmd* cmd) { codes.push_back(cmd->m_cmd_id); }
  std::vector<int32_t> codes;
};

class TopWndOptionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    Outputs().Remove();
    log_ = shared_ptr<CommandLog>(new CommandLog);
    adapter_.Bind(log_, &CommandLog::OnCmd);
    wnd_ = shared_ptr<CMyTopWnd>(new CMyTopWnd);
    ASSERT_TRUE(wnd_->create(1));
    wnd_->m_ui_cmd_sink.Attach(&adapter_, 0);
  }
  void TearDown() override {
    wnd_->Finalize();
    Outputs().Remove();
  }

  HWND main() const { return wnd_->GetSafeHwnd(); }
  // The options dialog owned by the main window, if one is open.
  HWND Options() const {
    HWND dlg = FindWindowW(L"#32770", L"Options");
    return dlg && GetWindow(dlg, GW_OWNER) == main() ? dlg : nullptr;
  }
  void OpenFromMenu() {
    SendMessageW(main(), WM_COMMAND, MAKEWPARAM(ID_OPTIONS, 0), 0);
    pump_messages(Options());
  }
  static void Choose(HWND dlg, int id, const wchar_t* text) {
    HWND list = GetDlgItem(dlg, id);
    LRESULT index = SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(text));
    SendMessageW(list, CB_SETCURSEL, index, 0);
    SendMessageW(dlg, WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE), reinterpret_cast<LPARAM>(list));
  }
  static void Click(HWND dlg, int id) { SendMessageW(GetDlgItem(dlg, id), BM_CLICK, 0, 0); }
  std::wstring Caption(int id) const { return window_text(GetDlgItem(main(), id)); }
  // Opens a mode button's drop-down and gives the id of the item with the radio mark.
  UINT MarkedInDropDown(WORD button) {
    static UINT marked;
    marked = 0;
    UINT_PTR reader = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR, DWORD) {
      HWND popup = FindWindowW(L"#32768", nullptr);
      HMENU menu = popup ? reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0)) : 0;
      if (!menu)
        return;
      for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        if (GetMenuState(menu, i, MF_BYPOSITION) & MF_CHECKED)
          marked = GetMenuItemID(menu, i);
      }
      EndMenu();
    });
    SendMessageW(main(), WM_COMMAND, button, 0);
    KillTimer(nullptr, reader);
    return marked;
  }

  AssertCapture capture_;
  shared_ptr<CMyTopWnd> wnd_;
  shared_ptr<CommandLog> log_;
  ObserverAdapter<CommandLog, qel_ui_cmd_subject> adapter_;
};

TEST_F(TopWndOptionsTest, MenuOpensOneDialogAndBringsItBackToTheTop) {
  EXPECT_EQ(Options(), nullptr);
  OpenFromMenu();
  HWND dlg = Options();
  ASSERT_NE(dlg, nullptr);
  EXPECT_TRUE(IsWindowVisible(dlg));

  // Another window goes over it; the second request raises the same dialog.
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr,
                               nullptr, nullptr, nullptr);
  SetWindowPos(other, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  OpenFromMenu();
  EXPECT_EQ(Options(), dlg);
  HWND above = GetWindow(dlg, GW_HWNDPREV);
  while (above && !IsWindowVisible(above))
    above = GetWindow(above, GW_HWNDPREV);
  EXPECT_NE(above, other);
  DestroyWindow(other);

  // Closing the main window takes the dialog with it.
  wnd_->Finalize();
  EXPECT_FALSE(IsWindow(dlg));
  EXPECT_EQ(capture_.count(), 0u);
}

TEST_F(TopWndOptionsTest, DialogCommandsReachTheWindowAndTheApplication) {
  OpenFromMenu();
  HWND dlg = Options();
  ASSERT_NE(dlg, nullptr);
  EXPECT_EQ(Caption(kQelWndVideoButton), L"Picture In Picture");
  Click(dlg, IDC_OPTIONS_CHANGE);
  Click(dlg, IDC_OPTIONS_OPEN);
  EXPECT_EQ(log_->codes, (std::vector<int32_t>{kQelCmdChangeFolder, kQelCmdOpenFolder}));

  Choose(dlg, IDC_OPTIONS_VIDEO_MODE, L"Side By Side");
  Choose(dlg, IDC_OPTIONS_AUDIO_MODE, L"Speaker Only");
  Click(dlg, IDOK);
  EXPECT_FALSE(IsWindow(dlg));
  // The mode codes refresh the buttons; they are not the application's business.
  EXPECT_EQ(log_->codes, (std::vector<int32_t>{kQelCmdChangeFolder, kQelCmdOpenFolder}));
  EXPECT_EQ(Caption(kQelWndVideoButton), L"Side By Side");
  EXPECT_EQ(Caption(kQelWndAudioButton), L"Speaker Only");
  EXPECT_EQ(MarkedInDropDown(kQelWndVideoButton), kQelWndVideoSideBySide);
  EXPECT_EQ(MarkedInDropDown(kQelWndAudioButton), kQelWndAudioSpeaker);

  // A new request makes a fresh dialog on the stored settings, still heard by the window.
  OpenFromMenu();
  HWND again = Options();
  ASSERT_NE(again, nullptr);
  HWND video = GetDlgItem(again, IDC_OPTIONS_VIDEO_MODE);
  wchar_t shown[64] = {};
  SendMessageW(video, CB_GETLBTEXT, SendMessageW(video, CB_GETCURSEL, 0, 0),
               reinterpret_cast<LPARAM>(shown));
  EXPECT_STREQ(shown, L"Side By Side");
  Click(again, IDC_OPTIONS_OPEN);
  EXPECT_EQ(log_->codes.back(), kQelCmdOpenFolder);
  Click(again, IDCANCEL);
  EXPECT_FALSE(IsWindow(again));
  EXPECT_EQ(capture_.count(), 0u);
}

}  // namespace
