// The recording folder on a small volume, with the real program and a simulated messenger:
// below the start threshold neither an automatic start nor the user's Record reaches the
// engine, and the user is told why (a balloon, a box); a recording that fills the volume is
// stopped at the stop threshold as Stop stops it, filed and listed, with a balloon; the
// status bar follows the free space all along.
#include <gtest/gtest.h>

#include <cwchar>
#include <regex>
#include <string>

#include "app/testing/dest_dir_setting.h"
#include "app/testing/messenger_sim_process.h"
#include "app/testing/small_volume.h"
#include "library/qel_app_constants.h"
#include "res/resource.h"
#include "tools/soak/remote_list_view.h"
#include "ui/qel_ui_cmd.h"
#include "winkit/testing/remote_memory.h"
#include "winkit/testing/window_probe.h"
#include "winkit/testing/wine_balloon.h"

namespace {

using namespace messenger_e2e;
using namespace qel_testing;

constexpr uint64_t kMb = 1024 * 1024;
constexpr int kVolumeMb = 300;

// A DWORD of the settings (or its "0" key), put back as it was at the end.
class SavedSetting {
 public:
  SavedSetting(const char* sub_key, const char* name) : name_(name) {
    std::string path = std::string(g_qel_settings_path) + sub_key;
    RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key_);
    DWORD size = sizeof value_;
    had_ = RegQueryValueExA(key_, name_, nullptr, nullptr, reinterpret_cast<BYTE*>(&value_),
                            &size) == ERROR_SUCCESS;
  }
  ~SavedSetting() {
    if (had_)
      Set(value_);
    else
      Delete();
    RegCloseKey(key_);
  }
  void Set(DWORD value) {
    RegSetValueExA(key_, name_, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  }
  void Delete() { RegDeleteValueA(key_, name_); }
  bool Exists() const {
    return RegQueryValueExA(key_, name_, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
  }

 private:
  HKEY key_ = nullptr;
  const char* name_;
  DWORD value_ = 0;
  bool had_ = false;
};

std::wstring disk_status(HWND main) {
  return WkReadStatusText(GetDlgItem(main, IDC_STATUS_BAR), 1);
}

// The MB the status says are free; -1 when it names no MB.
long status_mb(const std::wstring& status) {
  std::wsmatch m;
  return std::regex_search(status, m, std::wregex(L"^(\\d+) MB free")) ? std::stol(m[1]) : -1;
}

// Whether the status names the volume's free MB now, give or take what a recording adds
// between the two readings.
bool status_follows(HWND main, const SmallVolume& volume, long slack_mb = 2) {
  long shown = status_mb(disk_status(main));
  long now = static_cast<long>(volume.free_bytes() / kMb);
  return shown >= 0 && shown >= now - slack_mb && shown <= now + slack_mb;
}

// The balloon's text, once one shows that starts so.
bool balloon_says(const std::wstring& start, std::wstring* shown) {
  return wait_until(
      [&] { return (*shown = WkShownBalloonText()).compare(0, start.size(), start) == 0; });
}

class DiskSpaceE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!volume_.ok())
      GTEST_SKIP() << "no small volume for the recording folder: " << volume_.why_not();
    ASSERT_TRUE(end_running_program());
    Program regserver(L"/Regserver");
    ASSERT_EQ(regserver.WaitExit(), 0);
    dest_dir_.Set(volume_.root() + L"records");
    legal_.Delete();
    start_.Delete();
    log_ = temp_dir() + L"qel_sim_engine_disk.log";
    DeleteFileW(log_.c_str());
  }
  void TearDown() override { DeleteFileW(log_.c_str()); }

  std::string Log() const { return read_shared_file(log_); }

  SmallVolume volume_{kVolumeMb};
  DestDirSetting dest_dir_;
  SavedSetting legal_{"", "legal_warning_showed"};
  SavedSetting start_{"", "record_start_min_free_mb"};
  SavedSetting auto_record_{"\\0", "auto_record"};
  std::wstring log_;
};

TEST_F(DiskSpaceE2eTest, LowSpaceRefusesRecordAndAFillingRecordingIsStoppedAndFiled) {
  auto_record_.Set(1);
  Program program;
  HWND main = nullptr;
  ASSERT_TRUE(wait_until([&] { return (main = main_wnd_of(program.pid())) != nullptr; }));
  ASSERT_TRUE(wait_until([&] { return status_follows(main, volume_); }))
      << narrow(disk_status(main));
  EXPECT_TRUE(
      std::regex_match(disk_status(main), std::wregex(L"\\d+ MB free, too little to record")))
      << narrow(disk_status(main));

  // The call's streams start the automatic recording five seconds later: refused in a balloon.
  Sim sim(L"--call --engine-size=640x480 \"--engine-log=" + log_ + L"\"");
  std::wstring shown;
  ASSERT_TRUE(balloon_says(L"Recording did not start: only ", &shown)) << narrow(shown);
  EXPECT_NE(shown.find(L"Free some space on it"), std::wstring::npos);
  auto_record_.Set(0);

  // 50 MB more taken: the status follows.
  ASSERT_TRUE(volume_.fill_until_free(volume_.free_bytes() - 50 * kMb));
  ASSERT_TRUE(wait_until([&] { return status_follows(main, volume_); }))
      << narrow(disk_status(main));

  // The user's Record: the box says how much is free and what to do.
  PostMessageW(main, WM_COMMAND, kQelWndRecord, 0);
  HWND box = nullptr;
  ASSERT_TRUE(wait_until([&] {
    return (box = FindWindowW(nullptr, L"Not enough disk space")) &&
           window_pid(box) == program.pid();
  }));
  std::wstring line1 = WkReadDlgItemText(box, IDC_MSGBOX_LINE1);
  EXPECT_TRUE(
      std::regex_match(line1, std::wregex(L"Recording did not start: only \\d+ MB is free\\.")))
      << narrow(line1);
  EXPECT_EQ(WkReadDlgItemText(box, IDC_MSGBOX_LINE2),
            L"The drive of the recording folder is almost full. Free some space on it, or choose "
            L"another recording folder, then record again.");
  EXPECT_EQ(Log().find("request_record"), std::string::npos) << "nothing reached the engine";
  EXPECT_FALSE(legal_.Exists()) << "no recording, no legal notice";
  RemoteListView list(GetDlgItem(main, IDC_HISTORY_LIST));
  EXPECT_EQ(list.Rows(), 0);
  PostMessageW(box, WM_COMMAND, IDOK, 0);

  // With room above a lowered start threshold the recording starts, and it is stopped once
  // less than 200 MB are left.
  start_.Set(250);
  ASSERT_TRUE(volume_.fill_until_free(270 * kMb));
  ASSERT_TRUE(wait_until([&] { return disk_status(main).find(L"of calls") != std::wstring::npos; }))
      << narrow(disk_status(main));
  legal_.Set(1);
  PostMessageW(main, WM_COMMAND, kQelWndRecord, 0);
  ASSERT_TRUE(wait_until([&] { return Log().find("request_stop") != std::string::npos; }, 60000))
      << Log();
  EXPECT_LT(volume_.free_bytes(), 200 * kMb);
  ASSERT_TRUE(balloon_says(L"The recording was stopped: the disk is almost full. Only ", &shown))
      << narrow(shown);
  EXPECT_NE(shown.find(L"is saved in your library."), std::wstring::npos);

  // Stopped as Stop stops it: the engine closed the file, the program tagged and listed it.
  ASSERT_TRUE(wait_until([&] { return list.Rows() == 1; })) << Log();
  std::string text = Log();
  size_t req = text.find("request_record ");
  ASSERT_NE(req, std::string::npos);
  std::string path = text.substr(req + 15, text.find_first_of("\r\n", req) - req - 15);
  EXPECT_EQ(narrow(list.Cell(0, 0)), path.substr(path.rfind('\\') + 1));
  EXPECT_TRUE(wait_until(
      [&] { return read_shared_file(widen(path + ".avi")).find("_qel") != std::string::npos; }));
  EXPECT_TRUE(wait_until([&] {
    return disk_status(main).find(L"too little to record") != std::wstring::npos;
  })) << narrow(disk_status(main));

  sim.Control(kSimQuit);
  EXPECT_EQ(sim.WaitExit(), 0);
  send_shutdown();
  EXPECT_EQ(program.WaitExit(), 0);
}

}  // namespace
