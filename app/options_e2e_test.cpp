// The options dialog of the real program, opened by the main window's Options command and
// driven through its controls: what the main window and the registry show afterwards.
#include <gtest/gtest.h>

#include <string>

#include "app/testing/program_runner.h"
#include "library/qel_app_constants.h"
#include "platform/win32/scoped_handle.h"
#include "res/resource.h"
#include "ui/qel_ui_cmd.h"
#include "ui/testing/dialog_driver.h"

namespace {

using namespace qel_testing;
using dlg_testing::press;
using dlg_testing::wait_for_window;
using dlg_testing::window_text;

std::string outputs_path() {
  return std::string(g_qel_settings_path) + "\\0";
}

void forget_outputs() {
  RegDeleteKeyA(HKEY_CURRENT_USER, outputs_path().c_str());
}

// -1 when the value is missing.
long stored(const char* name) {
  HKEY opened = nullptr;
  if (RegOpenKeyA(HKEY_CURRENT_USER, outputs_path().c_str(), &opened) != ERROR_SUCCESS)
    return -1;
  platform::ScopedRegKey key(opened);
  DWORD value = 0, size = sizeof value;
  LONG rc =
      RegQueryValueExA(key.get(), name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
  return rc == ERROR_SUCCESS ? static_cast<long>(value) : -1;
}

class OptionsE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(end_running_program());
    forget_outputs();
  }
  void TearDown() override {
    end_running_program();
    forget_outputs();
  }

  // Sends the menu's Options command and waits for the dialog the main window owns.
  static HWND OpenOptions() {
    PostMessageW(main_wnd(), WM_COMMAND, MAKEWPARAM(ID_OPTIONS, 0), 0);
    return wait_for_window([] {
      HWND dlg = FindWindowW(L"#32770", L"Options");
      return dlg && IsWindowVisible(dlg) && GetWindow(dlg, GW_OWNER) == main_wnd() ? dlg : nullptr;
    });
  }
  // Selects the list's item as the list itself reports a user's choice to its dialog.
  static void Choose(HWND dlg, HWND list, int index) {
    SendMessageW(list, CB_SETCURSEL, index, 0);
    PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  }
  static std::wstring Selected(HWND list) {
    wchar_t text[256] = {};
    SendMessageW(list, CB_GETLBTEXT, SendMessageW(list, CB_GETCURSEL, 0, 0),
                 reinterpret_cast<LPARAM>(text));
    return text;
  }
  // The two placement lists share one id: the corner list comes first.
  static HWND PlacementList(HWND dlg, int nth) {
    for (HWND c = GetWindow(dlg, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
      if (GetDlgCtrlID(c) == IDC_OPTIONS_LOCAL_POSITION && nth-- == 0)
        return c;
    }
    return nullptr;
  }
  static std::wstring Caption(int id) { return window_text(GetDlgItem(main_wnd(), id)); }
};

TEST_F(OptionsE2eTest, OkChangesTheModesButtonsAndRegistryCancelWritesNothingMore) {
  Program program;
  ASSERT_TRUE(wait_until(main_wnd_visible));
  EXPECT_EQ(Caption(kQelWndVideoButton), L"Picture In Picture");

  HWND dlg = OpenOptions();
  ASSERT_NE(dlg, nullptr);
  HWND video = GetDlgItem(dlg, IDC_OPTIONS_VIDEO_MODE);
  HWND audio = GetDlgItem(dlg, IDC_OPTIONS_AUDIO_MODE);
  EXPECT_EQ(Selected(video), L"Picture In Picture");
  EXPECT_EQ(Selected(audio), L"Both");
  HWND corner = PlacementList(dlg, 0);
  HWND side = PlacementList(dlg, 1);
  EXPECT_TRUE(IsWindowVisible(corner) && IsWindowEnabled(corner));
  // The same dialog comes back on a second request.
  EXPECT_EQ(OpenOptions(), dlg);

  Choose(dlg, video, 4);  // Side By Side
  Choose(dlg, audio, 1);  // Speaker Only
  EXPECT_TRUE(wait_until([&] { return IsWindowVisible(side) && !IsWindowVisible(corner); }, 5000));
  press(dlg, IDOK);
  ASSERT_TRUE(wait_until([&] { return !IsWindow(dlg); }, 5000));
  EXPECT_TRUE(wait_until([] { return Caption(kQelWndVideoButton) == L"Side By Side"; }, 5000));
  EXPECT_EQ(Caption(kQelWndAudioButton), L"Speaker Only");
  EXPECT_EQ(stored("output_video_settings"), 5);
  EXPECT_EQ(stored("output_audio_settings"), 3);
  EXPECT_EQ(stored("output_video_local_pos_SBS"), 6);

  // Cancel after a change of mode and a click on auto record: only the click is kept.
  dlg = OpenOptions();
  ASSERT_NE(dlg, nullptr);
  video = GetDlgItem(dlg, IDC_OPTIONS_VIDEO_MODE);
  EXPECT_EQ(Selected(video), L"Side By Side");
  Choose(dlg, video, 0);
  PostMessageW(GetDlgItem(dlg, IDC_OPTIONS_AUTO_RECORD), BM_CLICK, 0, 0);
  EXPECT_TRUE(wait_until([] { return stored("auto_record") == 1; }, 5000));
  press(dlg, IDCANCEL);
  ASSERT_TRUE(wait_until([&] { return !IsWindow(dlg); }, 5000));
  EXPECT_EQ(stored("output_video_settings"), 5);
  EXPECT_EQ(Caption(kQelWndVideoButton), L"Side By Side");
}

}  // namespace
