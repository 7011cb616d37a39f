// The recording folder on a small volume, with the real program and a simulated messenger:
// below the start threshold neither an automatic start nor the user's Record reaches the
// engine and the user is told why (a balloon, a box); a recording that fills the volume is
// stopped at the stop threshold as Stop stops it, filed and listed, with a balloon; the status
// bar follows the free space.
#include <gtest/gtest.h>

#include <cstdlib>
#include <regex>
#include <string>

#include "app/testing/dest_dir_setting.h"
#include "app/testing/messenger_sim_process.h"
#include "app/testing/small_volume.h"
#include "library/qel_app_constants.h"
#include "res/resource.h"
#include "tools/soak/remote_list_view.h"
#include "ui/qel_ui_cmd.h"
#include "winkit/testing/window_probe.h"

namespace {

using namespace messenger_e2e;
using namespace qel_testing;

constexpr uint64_t kMb = 1024 * 1024;

// A DWORD of the settings key (or a key below it), put back as it was at the end.
class SavedSetting {
 public:
  SavedSetting(const std::string& sub_key, const char* name) : name_(name) {
    RegCreateKeyA(HKEY_CURRENT_USER, (g_qel_settings_path + sub_key).c_str(), &key_);
    DWORD size = sizeof value_;
    had_ =
        !RegQueryValueExA(key_, name_, nullptr, nullptr, reinterpret_cast<BYTE*>(&value_), &size);
    RegDeleteValueA(key_, name_);
  }
  ~SavedSetting() {
    had_ ? Set(value_) : void(RegDeleteValueA(key_, name_));
    RegCloseKey(key_);
  }
  void Set(DWORD v) { RegSetValueExA(key_, name_, 0, REG_DWORD, reinterpret_cast<BYTE*>(&v), 4); }
  bool Exists() const { return !RegQueryValueExA(key_, name_, nullptr, nullptr, nullptr, nullptr); }

 private:
  HKEY key_ = nullptr;
  const char* name_;
  DWORD value_ = 0;
  bool had_ = false;
};

class DiskSpaceE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!volume_.why_not().empty())
      GTEST_SKIP() << "no small volume for the recording folder: " << volume_.why_not();
    ASSERT_TRUE(end_running_program());
    ASSERT_EQ(Program(L"/Regserver").WaitExit(), 0);
    dest_dir_.Set(volume_.root() + L"records");
    DeleteFileW(log_.c_str());
  }
  void TearDown() override { DeleteFileW(log_.c_str()); }

  std::string Log() const { return read_shared_file(log_); }
  std::wstring DiskStatus() const { return WkReadStatusText(GetDlgItem(main_, IDC_STATUS_BAR), 1); }
  // Whether the status names the MB the volume has free now.
  bool StatusFollows() const {
    std::wsmatch m;
    std::wstring status = DiskStatus();
    long now = static_cast<long>(volume_.free_bytes() / kMb);
    return std::regex_search(status, m, std::wregex(L"^(\\d+) MB free")) &&
           std::abs(std::stol(m[1]) - now) <= 2;
  }
  // The balloon's text, once one shows that starts so.
  std::wstring Balloon(const std::wstring& start) const {
    std::wstring text;
    wait_until([&] { return (text = WkShownBalloonText()).rfind(start, 0) == 0; });
    return text;
  }

  SmallVolume volume_{300};
  DestDirSetting dest_dir_;
  SavedSetting legal_{"", "legal_warning_showed"};
  SavedSetting start_{"", "record_start_min_free_mb"};
  SavedSetting auto_record_{"\\0", "auto_record"};
  std::wstring log_ = temp_dir() + L"qel_sim_engine_disk.log";
  HWND main_ = nullptr;
};

TEST_F(DiskSpaceE2eTest, LowSpaceRefusesRecordAndAFillingRecordingIsStoppedAndFiled) {
  auto_record_.Set(1);
  Program program;
  ASSERT_TRUE(wait_until([&] { return (main_ = main_wnd_of(program.pid())) != nullptr; }));
  ASSERT_TRUE(wait_until([&] { return StatusFollows(); })) << narrow(DiskStatus());
  EXPECT_TRUE(std::regex_match(DiskStatus(), std::wregex(L"\\d+ MB free, too little to record")));

  // The call's streams start the automatic recording five seconds later: refused in a balloon.
  Sim sim(L"--call --engine-size=640x480 \"--engine-log=" + log_ + L"\"");
  std::wstring said = Balloon(L"Recording did not start: only ");
  EXPECT_NE(said.find(L"Free some space on it"), std::wstring::npos) << narrow(said);
  auto_record_.Set(0);
  ASSERT_TRUE(volume_.fill_until_free(volume_.free_bytes() - 50 * kMb));
  ASSERT_TRUE(wait_until([&] { return StatusFollows(); })) << narrow(DiskStatus());

  // The user's Record: the box says how much is free and what to do; nothing else changes.
  PostMessageW(main_, WM_COMMAND, kQelWndRecord, 0);
  HWND box = nullptr;
  ASSERT_TRUE(wait_until([&] { return (box = FindWindowW(nullptr, L"Not enough disk space")); }));
  EXPECT_TRUE(std::regex_match(WkReadDlgItemText(box, IDC_MSGBOX_LINE1),
                               std::wregex(L"Recording did not start: only \\d+ MB is free\\.")));
  EXPECT_EQ(WkReadDlgItemText(box, IDC_MSGBOX_LINE2).substr(0, 49),
            L"The drive of the recording folder is almost full.");
  EXPECT_EQ(Log().find("request_record"), std::string::npos) << "nothing reached the engine";
  EXPECT_FALSE(legal_.Exists()) << "no recording, no legal notice";
  RemoteListView list(GetDlgItem(main_, IDC_HISTORY_LIST));
  EXPECT_EQ(list.Rows(), 0);
  PostMessageW(box, WM_COMMAND, IDOK, 0);

  // Above a lowered start threshold the recording starts; below 200 MB it is stopped.
  start_.Set(250);
  legal_.Set(1);
  ASSERT_TRUE(volume_.fill_until_free(270 * kMb));
  ASSERT_TRUE(wait_until([&] { return DiskStatus().find(L"of calls") != std::wstring::npos; }))
      << narrow(DiskStatus());
  PostMessageW(main_, WM_COMMAND, kQelWndRecord, 0);
  ASSERT_TRUE(wait_until([&] { return Log().find("request_stop") != std::string::npos; }, 60000))
      << Log();
  EXPECT_LT(volume_.free_bytes(), 200 * kMb);
  said = Balloon(L"The recording was stopped: the disk is almost full. Only ");
  EXPECT_NE(said.find(L"is saved in your library."), std::wstring::npos) << narrow(said);

  // As Stop stops it: the engine closed the file, the program tagged and listed it.
  ASSERT_TRUE(wait_until([&] { return list.Rows() == 1; })) << Log();
  std::string text = Log();
  size_t at = text.find("request_record ") + 15;
  std::string path = text.substr(at, text.find_first_of("\r\n", at) - at);
  EXPECT_EQ(narrow(list.Cell(0, 0)), path.substr(path.rfind('\\') + 1));
  EXPECT_NE(read_shared_file(widen(path + ".avi")).find("_qel"), std::string::npos);
  EXPECT_TRUE(wait_until([&] { return DiskStatus().find(L"too little") != std::wstring::npos; }));
}

}  // namespace
