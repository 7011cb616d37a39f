// Changing the recording folder in the real program, through the real folder dialog as a
// user does it: the dialog is found, the folder typed into its field and OK or Cancel pressed.
#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win.h"
// The list view messages need the Windows types first.
#include <commctrl.h>

#include "app/testing/dest_dir_setting.h"
#include "app/testing/program_runner.h"
#include "library/avi_test_builder.h"
#include "library/qel_app_constants.h"
#include "library/recording_test_util.h"
#include "platform/win32/scoped_handle.h"
#include "res/resource.h"
#include "ui/qel_ui_cmd.h"
#include "ui/testing/dialog_driver.h"

namespace {

using namespace qel_testing;
using dlg_testing::find_message_box;
using dlg_testing::press;
using dlg_testing::wait_for_window;
using dlg_testing::window_text;

constexpr wchar_t kDialogTitle[] = L"Select a folder to save your recordings:";
constexpr wchar_t kBoxTitle[] = L"This directory is not accessible";
constexpr UINT kHistoryComboId = 0x600;

std::wstring wide(const std::u16string& s) {
  return std::wstring(s.begin(), s.end());
}

void forget_folder_history() {
  HKEY key = nullptr;
  if (RegOpenKeyA(HKEY_CURRENT_USER, g_qel_settings_path, &key) != ERROR_SUCCESS)
    return;
  RegDeleteKeyA(platform::ScopedRegKey(key).get(), "FolderHistory");
}

class FolderChangeE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(end_running_program());
    forget_folder_history();
    rec_test::write_bytes(first_.native("a.avi"), avi_test::build({}));
    for (const char* name : {"b.avi", "c.avi"})
      rec_test::write_bytes(second_.native(name), avi_test::build({}));
    dest_dir_.Set(wide(first_.u16()));
  }
  void TearDown() override {
    end_running_program();
    forget_folder_history();
  }

  static int Rows() {
    return static_cast<int>(
        SendMessageW(GetDlgItem(main_wnd(), IDC_HISTORY_LIST), LVM_GETITEMCOUNT, 0, 0));
  }
  // The first part of the status bar (WM_GETTEXT reads it from another process).
  static std::wstring Status() { return window_text(GetDlgItem(main_wnd(), IDC_STATUS_BAR)); }

  // Clicks "change..." and waits for the folder dialog, set up and owned by the main window.
  static HWND OpenFolderDialog() {
    PostMessageW(GetDlgItem(main_wnd(), kQelWndChangeFolder), BM_CLICK, 0, 0);
    return WaitForFolderDialog();
  }
  static HWND WaitForFolderDialog() {
    return wait_for_window([] {
      HWND dlg = FindWindowW(L"#32770", kDialogTitle);
      bool ready = dlg && GetPropW(dlg, L"CXFolderDialog") && IsWindowVisible(dlg);
      return ready && GetWindow(dlg, GW_OWNER) == main_wnd() ? dlg : nullptr;
    });
  }
  // Types the folder into the dialog's field and presses OK; true when the dialog closed.
  static bool Choose(const std::u16string& folder, HWND dlg = OpenFolderDialog()) {
    if (!dlg)
      return false;
    SetWindowTextW(GetDlgItem(dlg, kHistoryComboId), wide(folder).c_str());
    press(dlg, IDOK);
    return wait_until([&] { return !IsWindow(dlg); }, 5000);
  }

  DestDirSetting dest_dir_;
  rec_test::ScratchFolder first_{"e2e_first"};
  rec_test::ScratchFolder second_{"e2e_second"};
};

TEST_F(FolderChangeE2eTest, CancelAndTheSameFolderChangeNothing) {
  Program program;
  ASSERT_TRUE(wait_until(main_wnd_visible));
  ASSERT_TRUE(wait_until([] { return Rows() == 1; }));
  std::wstring status = Status();

  HWND dlg = OpenFolderDialog();
  ASSERT_NE(dlg, nullptr);
  // It opens on the current folder.
  EXPECT_EQ(window_text(GetDlgItem(dlg, kHistoryComboId)), wide(first_.u16()));
  press(dlg, IDCANCEL);
  EXPECT_TRUE(wait_until([&] { return !IsWindow(dlg); }, 5000));

  ASSERT_TRUE(Choose(first_.u16()));
  Sleep(500);
  EXPECT_EQ(FindWindowW(nullptr, kBoxTitle), nullptr);
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(Status(), status);
  EXPECT_EQ(dest_dir_.Get(), wide(first_.u16()));
}

TEST_F(FolderChangeE2eTest, ReadOnlyFolderIsReportedAndTheOldFolderStays) {
  rec_test::ReadOnlyFolder read_only;
  if (!read_only.ok())
    GTEST_SKIP() << "no immutable folders on this file system";
  Program program;
  ASSERT_TRUE(wait_until(main_wnd_visible));
  ASSERT_TRUE(wait_until([] { return Rows() == 1; }));

  ASSERT_TRUE(Choose(read_only.path()));
  HWND box = wait_for_window([] { return FindWindowW(nullptr, kBoxTitle); }, 5000);
  ASSERT_NE(box, nullptr);
  EXPECT_EQ(window_text(GetDlgItem(box, IDC_MSGBOX_LINE1)),
            L"Failed to use the directory \"" + wide(read_only.path()) + L"\":");
  EXPECT_EQ(window_text(GetDlgItem(box, IDC_MSGBOX_LINE2)),
            L"Can not create new file in this directory.");
  press(box, IDOK);
  EXPECT_TRUE(wait_until([&] { return !IsWindow(box); }, 5000));
  EXPECT_EQ(Rows(), 1);
  EXPECT_EQ(dest_dir_.Get(), wide(first_.u16()));
}

TEST_F(FolderChangeE2eTest, NewFolderIsListedAndKeptAfterARestart) {
  {
    Program program;
    ASSERT_TRUE(wait_until(main_wnd_visible));
    ASSERT_TRUE(wait_until([] { return Rows() == 1; }));
    ASSERT_TRUE(Choose(second_.u16()));
    EXPECT_TRUE(wait_until([] { return Rows() == 2; }, 5000));
    EXPECT_EQ(Status(), L"2 files, 0 minutes recorded");
    EXPECT_EQ(dest_dir_.Get(), wide(second_.u16()));
    send_shutdown();
    EXPECT_EQ(program.WaitExit(), 0);
  }
  Program again;
  ASSERT_TRUE(wait_until(main_wnd_visible));
  EXPECT_TRUE(wait_until([] { return Rows() == 2; }));
  EXPECT_EQ(Status(), L"2 files, 0 minutes recorded");
  // The dialog remembers the choice at the top of its history.
  HWND dlg = OpenFolderDialog();
  ASSERT_NE(dlg, nullptr);
  HWND combo = GetDlgItem(dlg, kHistoryComboId);
  ASSERT_GE(SendMessageW(combo, CB_GETCOUNT, 0, 0), 1);
  wchar_t first_item[2048] = {};
  SendMessageW(combo, CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(first_item));
  EXPECT_EQ(first_item, wide(second_.u16()));
  press(dlg, IDCANCEL);
  EXPECT_TRUE(wait_until([&] { return !IsWindow(dlg); }, 5000));
}

TEST_F(FolderChangeE2eTest, ChangeInTheOptionsDialogShowsTheNewFolderThere) {
  Program program;
  ASSERT_TRUE(wait_until(main_wnd_visible));
  ASSERT_TRUE(wait_until([] { return Rows() == 1; }));
  PostMessageW(main_wnd(), WM_COMMAND, MAKEWPARAM(ID_OPTIONS, 0), 0);
  HWND options = wait_for_window([] { return FindWindowW(L"#32770", L"Options"); });
  ASSERT_NE(options, nullptr);
  HWND folder = FindWindowExW(options, nullptr, L"Edit", nullptr);
  EXPECT_EQ(window_text(folder), wide(first_.u16()));

  PostMessageW(GetDlgItem(options, IDC_OPTIONS_CHANGE), BM_CLICK, 0, 0);
  ASSERT_TRUE(Choose(second_.u16(), WaitForFolderDialog()));
  EXPECT_TRUE(wait_until([] { return Rows() == 2; }, 5000));
  EXPECT_TRUE(wait_until([&] { return window_text(folder) == wide(second_.u16()); }, 5000));
  press(options, IDCANCEL);
  EXPECT_TRUE(wait_until([&] { return !IsWindow(options); }, 5000));
  EXPECT_EQ(dest_dir_.Get(), wide(second_.u16()));
}

}  // namespace
