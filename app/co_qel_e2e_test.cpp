// The recording engine and the program across processes: the real quorvantine_msn.exe and
// the engine stand-in (engine_client.exe), checked through the engine's event log, the main
// window's controls, the recording folder and the registry; and the COM registration.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "app/qel_com_ps.h"
#include "app/testing/auto_start_setting.h"
#include "app/testing/com_registration.h"
#include "app/testing/program_runner.h"
#include "app/testing/wine_tray.h"
#include "library/qel_app_constants.h"
#include "library/qel_avi_file.h"
#include "library/qel_profile.h"
#include "platform/testing/recycle_bin.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/win.h"
// The list's messages and the shell's icon record need the Windows types first.
#include <commctrl.h>
#include <shellapi.h>

#include "res/resource.h"
#include "ui/qel_ui_cmd.h"
#include "winkit/testing/window_probe.h"

namespace fs = std::filesystem;

namespace {

using namespace qel_testing;

// What the main window shows, read through its controls as another process reads them:
// the rows of the history list, and the file total at the start of the status bar (-1
// when the window does not answer).
long rows() {
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(GetDlgItem(main_wnd(), IDC_HISTORY_LIST), LVM_GETITEMCOUNT, 0, 0,
                           SMTO_ABORTIFHUNG, 5000, &count))
    return -1;
  return static_cast<long>(count);
}

long total_files() {
  HWND status = GetDlgItem(main_wnd(), IDC_STATUS_BAR);
  wchar_t text[128] = {};
  DWORD_PTR copied = 0;
  if (!status || !SendMessageTimeoutW(status, WM_GETTEXT, 128, reinterpret_cast<LPARAM>(text),
                                      SMTO_ABORTIFHUNG, 5000, &copied))
    return -1;
  return wcstol(text, nullptr, 10);
}

// The engine's event log: one line per event.
class EngineLog {
 public:
  explicit EngineLog(fs::path path) : path_(std::move(path)) { fs::remove(path_); }
  std::vector<std::string> lines() const {
    std::vector<std::string> out;
    std::ifstream in(path_);
    for (std::string line; std::getline(in, line);)
      out.push_back(line);
    return out;
  }
  // The first line starting with prefix after `skip` earlier ones, waiting for it.
  std::string Wait(const std::string& prefix, int skip = 0) const {
    std::string found;
    wait_until([&] {
      int seen = 0;
      for (const std::string& l : lines())
        if (l.rfind(prefix, 0) == 0 && seen++ == skip)
          return !(found = l).empty();
      return false;
    });
    return found;
  }
  int Count(const std::string& prefix) const {
    int n = 0;
    for (const std::string& l : lines())
      n += l.rfind(prefix, 0) == 0;
    return n;
  }
  std::wstring arg() const { return L"--engine-log=\"" + path_.wstring() + L"\""; }
  const fs::path& path() const { return path_; }

 private:
  fs::path path_;
};

class ComE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(end_running_program());
    dir_ = fs::path(temp_dir()) / ("qel-com-e2e-" + std::to_string(GetCurrentProcessId()));
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "records");
    records_ = (dir_ / "records").wstring();
    // The program records into our folder; the user's folder comes back afterwards.
    ZulProfileValue dest = DestDir();
    uint32_t count = 0;
    had_dest_ = dest.GetBinary(saved_dest_, sizeof saved_dest_, &count);
    saved_dest_len_ = count;
    dest.SetBinary(records_.data(), static_cast<uint32_t>(records_.size() * 2));
  }
  void TearDown() override {
    end_running_program();
    // Killed while it ends, the program could leave its class registered in Wine.
    if (program_) {
      EXPECT_EQ(program_->WaitExit(), 0);
    }
    std::error_code ec;
    fs::remove_all(dir_, ec);
    if (had_dest_) {
      DestDir().SetBinary(saved_dest_, saved_dest_len_);
    } else {
      HKEY cache = nullptr;
      std::string path = std::string(g_qel_settings_path) + "\\avi_file_info_cache";
      if (RegOpenKeyExA(HKEY_CURRENT_USER, path.c_str(), 0, KEY_SET_VALUE, &cache) == 0)
        RegDeleteValueA(platform::ScopedRegKey(cache).get(), "dest_dir");
    }
  }
  static ZulProfileValue DestDir() {
    return ZulProfileKey::Root_CurrentUser()
        .GetSubKey(g_qel_settings_path)
        .GetSubKey("avi_file_info_cache")
        .GetValue("dest_dir");
  }
  // Starts the program by hand and waits for its main window.
  void StartProgram() {
    program_ = std::make_unique<Program>();
    ASSERT_TRUE(wait_until([] { return main_wnd() != nullptr; }));
  }
  std::unique_ptr<Process> StartEngine(const EngineLog& log, const std::wstring& args = L"") {
    auto engine =
        std::make_unique<Process>(bin_dir() + L"engine_client.exe", log.arg() + L" " + args);
    EXPECT_TRUE(engine->started());
    return engine;
  }
  void Command(WORD id) { PostMessageW(main_wnd(), WM_COMMAND, id, 0); }

  fs::path dir_;
  std::wstring records_;
  bool had_dest_ = false;
  uint8_t saved_dest_[4096] = {};
  uint32_t saved_dest_len_ = 0;
  std::unique_ptr<Program> program_;
};

TEST_F(ComE2eTest, RecordingRunsFromStreamsToTheLibrary) {
  StartProgram();
  EXPECT_TRUE(wait_until([] { return total_files() == 0; }));
  EngineLog log(dir_ / "engine.log");
  auto engine = StartEngine(log, L"--engine-webcam=2,1 --engine-audio=1,0 --engine-discard");
  ASSERT_FALSE(log.Wait("streams").empty());

  Command(kQelWndRecord);
  std::string request = log.Wait("request_record ");
  std::regex name(
      std::regex_replace(narrow(records_), std::regex(R"([\\.^$|()\[\]{}*+?])"), R"(\$&)") +
      R"(\\\d{4}-\d\d-\d\d \d\d-\d\d-\d\d)");
  EXPECT_TRUE(std::regex_match(request.substr(15), name)) << request;
  std::string started = log.Wait("started ");
  ASSERT_FALSE(started.empty());
  int64_t start_time = std::stoll(started.substr(8));

  Command(kQelWndStop);
  EXPECT_FALSE(log.Wait("request_stop").empty());
  std::string stopped = log.Wait("stopped ");
  ASSERT_FALSE(stopped.empty());
  EXPECT_TRUE(wait_until([] { return rows() == 1; }));
  EXPECT_EQ(total_files(), 1);

  std::wstring avi = widen(request.substr(15)) + L".avi";
  EXPECT_EQ(narrow(avi) + " " + narrow(avi) + ".discard.tmp", stopped.substr(8));
  ASSERT_TRUE(fs::exists(avi));
  EXPECT_FALSE(fs::exists(avi + L".discard.tmp"));
  test_env::RecycleBin bin;
  EXPECT_TRUE(bin.holds(avi + L".discard.tmp")) << "the discarded file goes to the bin";
  bin.remove(avi + L".discard.tmp");
  // The chunk and the registry cache entry, as a later start of the program reads them.
  ZulProfileKey cache = ZulProfileKey::Root_CurrentUser()
                            .GetSubKey(g_qel_settings_path)
                            .GetSubKey("avi_file_info_cache");
  qel_avi_file from_chunk;
  ASSERT_TRUE(from_chunk.create(as_u16(avi.c_str()), cache));
  ASSERT_TRUE(from_chunk.dojob_read_qel_chunk());
  EXPECT_EQ(from_chunk.get_qel_chunk_version(), 2);
  EXPECT_EQ(from_chunk.get_start_time(), start_time);
  qel_avi_file from_cache;
  ASSERT_TRUE(from_cache.create(as_u16(avi.c_str()), cache));
  ASSERT_TRUE(from_cache.load_from_registry());
  EXPECT_EQ(from_cache.get_start_time(), start_time);
  EXPECT_TRUE(from_cache.get_has_video());
  EXPECT_TRUE(from_cache.get_has_audio());
}

// A refusing engine and a dead one both leave the main window without streams; the program
// keeps answering and serves the next engine.
TEST_F(ComE2eTest, RefusingOrDeadEnginesResetTheStreamsAndTheNextIsServed) {
  StartProgram();
  EngineLog refusing_log(dir_ / "refusing.log");
  auto refusing = StartEngine(refusing_log, L"--engine-fail-request");
  ASSERT_FALSE(refusing_log.Wait("streams").empty());
  Command(kQelWndRecord);
  EXPECT_FALSE(refusing_log.Wait("request_record ").empty());
  EXPECT_EQ(refusing_log.Count("started"), 0);
  PostMessageW(FindWindowW(L"qel-engine-client", nullptr), WM_CLOSE, 0, 0);
  EXPECT_EQ(refusing->WaitExit(), 0);

  EngineLog dead_log(dir_ / "dead.log");
  auto dead = StartEngine(dead_log);
  ASSERT_FALSE(dead_log.Wait("streams").empty());
  dead->Kill();
  Command(kQelWndRecord);
  EXPECT_TRUE(wait_until([] { return total_files() == 0; })) << "the program still answers";

  EngineLog next_log(dir_ / "next.log");
  auto next = StartEngine(next_log);
  ASSERT_FALSE(next_log.Wait("streams").empty());
  Command(kQelWndRecord);
  EXPECT_FALSE(next_log.Wait("started ").empty());
  Command(kQelWndStop);
  EXPECT_FALSE(next_log.Wait("stopped ").empty());
  EXPECT_TRUE(wait_until([] { return total_files() == 1; }));
  EXPECT_EQ(next_log.Count("request_record"), 1);
}

constexpr UINT kTrayIconId = 2048;

// The message boxes the main window owns: its own top-level windows with the box's first line.
std::vector<HWND> message_boxes(HWND owner) {
  struct Found {
    HWND owner;
    std::vector<HWND> boxes;
  } found = {owner, {}};
  EnumWindows(
      [](HWND wnd, LPARAM param) -> BOOL {
        auto* f = reinterpret_cast<Found*>(param);
        if (GetWindow(wnd, GW_OWNER) == f->owner && GetDlgItem(wnd, 2006))
          f->boxes.push_back(wnd);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&found));
  return found.boxes;
}

TEST_F(ComE2eTest, TrayIconFollowsTheEngineTheShellAndTheRecording) {
  StartProgram();
  HWND main = main_wnd();
  EXPECT_TRUE(wait_until([&] { return WkShellHasIcon(main, kTrayIconId); }));
  EngineLog log(dir_ / "tray.log");
  auto engine = StartEngine(log);
  ASSERT_FALSE(log.Wait("streams").empty());
  HWND control = FindWindowW(L"qel-engine-client", nullptr);
  PostMessageW(control, WM_APP + 5, 0, 0);
  EXPECT_EQ(log.Wait("tray_hidden"), "tray_hidden ok");
  EXPECT_FALSE(WkShellHasIcon(main, kTrayIconId));
  PostMessageW(control, WM_APP + 5, 1, 0);
  EXPECT_EQ(log.Wait("tray_shown"), "tray_shown ok");
  EXPECT_TRUE(WkShellHasIcon(main, kTrayIconId));

  // The shell starts again without the icon and announces itself.
  NOTIFYICONDATAW nid = {};
  nid.cbSize = NOTIFYICONDATAW_V1_SIZE;
  nid.hWnd = main;
  nid.uID = kTrayIconId;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &nid));
  PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(wait_until([&] { return WkShellHasIcon(main, kTrayIconId); }));

  // What the shell shows of the icon: it blinks while the recording runs, and the still icon
  // stays once it stops. The middle of the icon tells them apart.
  HWND icon = nullptr;
  ASSERT_TRUE(wait_until([&] { return (icon = WineTray::FindIcon(kTrayTip)) != nullptr; }));
  auto middle = [&] { return WineTray::MiddlePixel(icon); };
  const COLORREF still = middle();
  Command(kQelWndRecord);
  ASSERT_FALSE(log.Wait("started ").empty());
  EXPECT_TRUE(wait_until([&] { return middle() != still; }, 3000)) << "it blinks";
  EXPECT_TRUE(wait_until([&] { return middle() == still; }, 3000)) << "and blinks back";
  Command(kQelWndStop);
  ASSERT_FALSE(log.Wait("stopped ").empty());
  EXPECT_TRUE(WkShellHasIcon(main, kTrayIconId));
  Sleep(600);
  for (int i = 0; i < 8; ++i, Sleep(150))
    EXPECT_EQ(middle(), still) << "no blink after the stop";
}

// The shell refuses to add the program's icon while it holds one of that window and id (here
// the test's). The program runs on without its icon and adds it once the engine shows it
// again or the shell announces itself again.
TEST_F(ComE2eTest, RefusedTrayIconIsAddedWhenShownAgainOrWhenTheShellReturns) {
  StartProgram();
  HWND main = main_wnd();
  ASSERT_TRUE(wait_until([&] { return WkShellHasIcon(main, kTrayIconId); }));
  EngineLog log(dir_ / "refused.log");
  auto engine = StartEngine(log);
  ASSERT_FALSE(log.Wait("streams").empty());
  HWND control = FindWindowW(L"qel-engine-client", nullptr);
  NOTIFYICONDATAW held = {};
  held.cbSize = NOTIFYICONDATAW_V1_SIZE;
  held.hWnd = main;
  held.uID = kTrayIconId;
  const UINT taskbar_created = RegisterWindowMessageW(L"TaskbarCreated");
  auto announce_shell = [&] {
    SendMessageTimeoutW(HWND_BROADCAST, taskbar_created, 0, 0, SMTO_ABORTIFHUNG, 5000, nullptr);
  };

  PostMessageW(control, WM_APP + 5, 0, 0);
  EXPECT_EQ(log.Wait("tray_hidden"), "tray_hidden ok");
  ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &held));
  PostMessageW(control, WM_APP + 5, 1, 0);
  EXPECT_EQ(log.Wait("tray_shown"), "tray_shown ok");
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &held));
  EXPECT_FALSE(WkShellHasIcon(main, kTrayIconId));
  EXPECT_EQ(rows(), 0) << "the program still answers";
  PostMessageW(control, WM_APP + 5, 1, 0);
  EXPECT_EQ(log.Wait("tray_shown", 1), "tray_shown ok");
  EXPECT_TRUE(WkShellHasIcon(main, kTrayIconId));

  // The shell comes back without the icon, but refuses it once more.
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &held));
  ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &held));
  announce_shell();
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &held));
  EXPECT_FALSE(WkShellHasIcon(main, kTrayIconId));
  announce_shell();
  EXPECT_TRUE(wait_until([&] { return WkShellHasIcon(main, kTrayIconId); }));
}

TEST_F(ComE2eTest, FileThatCannotBeCreatedIsReportedInTheMessageBox) {
  StartProgram();
  EngineLog log(dir_ / "failed.log");
  auto engine = StartEngine(log, L"--engine-start-failed=1");
  ASSERT_FALSE(log.Wait("streams").empty());
  Command(kQelWndRecord);
  HWND main = main_wnd();
  // The first manual recording may show the legal notice first, in the same box.
  ASSERT_TRUE(wait_until([&] {
    std::vector<HWND> boxes = message_boxes(main);
    return boxes.size() == 1 && WkReadControlText(boxes[0]) == L"Failed to start recording.";
  }));
  HWND box = message_boxes(main)[0];
  EXPECT_EQ(WkReadDlgItemText(box, 2006), L"Failed to start recording.");
  EXPECT_EQ(WkReadDlgItemText(box, 2007),
            L"The recording file cannot be created. Please make sure the recording folder "
            L"exists and is accessible.");
  EXPECT_EQ(GetParent(box), main_wnd());
  // A second failure keeps the one box.
  Command(kQelWndRecord);
  EXPECT_TRUE(wait_until([&] { return log.Count("start_failed") == 2; }));
  EXPECT_EQ(message_boxes(main), std::vector<HWND>{box});
}

// Registration: "/Regserver" and "/Unregserver" write and remove exactly the keys of
// the COM classes; a start by COM for the engine is a start by the user.

class RegistrationTest : public ::testing::Test {
 protected:
  void SetUp() override { auto_start_.Set(0); }
  void TearDown() override { Program(L"/Unregserver").WaitExit(); }
  long GetEnable() { return auto_start_.Get(); }
  AutoStartSetting auto_start_;
};

TEST_F(RegistrationTest, RegserverWritesTheScriptsAndUnregserverRemovesThem) {
  ASSERT_EQ(Program(L"/Regserver").WaitExit(), 0);
  EXPECT_EQ(GetEnable(), 0) << "registering must not create the application";
  EXPECT_EQ(app_top_wnd(), nullptr);

  std::wstring module = bin_dir() + L"quorvantine_msn.exe";
  std::wstring app = std::wstring(L"CLSID\\") + kAppClsid;
  std::wstring ui = std::wstring(L"CLSID\\") + kUiClsid;
  EXPECT_EQ(value(std::wstring(L"AppID\\") + kAppId), L"quorvantine_msn");
  EXPECT_EQ(value(L"AppID\\quorvantine_msn.EXE", L"AppID"), kAppId);
  EXPECT_EQ(value(L"quorvantine_msn.co_qel_app_msn.1"), L"co_qel_app_msn Class");
  EXPECT_EQ(value(L"quorvantine_msn.co_qel_app_msn.1\\CLSID"), kAppClsid);
  EXPECT_EQ(value(L"quorvantine_msn.co_qel_app_msn"), L"co_qel_app_msn Class");
  EXPECT_EQ(value(L"quorvantine_msn.co_qel_app_msn\\CLSID"), kAppClsid);
  EXPECT_EQ(value(L"quorvantine_msn.co_qel_app_msn\\CurVer"), L"quorvantine_msn.co_qel_app_msn.1");
  EXPECT_EQ(value(app), L"co_qel_app_msn Class");
  EXPECT_EQ(value(app + L"\\ProgID"), L"quorvantine_msn.co_qel_app_msn.1");
  EXPECT_EQ(value(app + L"\\VersionIndependentProgID"), L"quorvantine_msn.co_qel_app_msn");
  EXPECT_EQ(value(app + L"\\LocalServer32"), module);
  EXPECT_EQ(value(app, L"AppID"), kAppId);
  EXPECT_EQ(value(app + L"\\TypeLib"), L"{BD40E13B-B699-4BB6-8323-906271DEF887}");
  EXPECT_EQ(value(L"test_qel_ui.QelUI.1"), L"QelUI Class");
  EXPECT_EQ(value(L"test_qel_ui.QelUI.1\\CLSID"), kUiClsid);
  EXPECT_EQ(value(L"test_qel_ui.QelUI\\CurVer"), L"test_qel_ui.QelUI.1");
  EXPECT_EQ(value(ui), L"QelUI Class");
  EXPECT_EQ(value(ui + L"\\ProgID"), L"test_qel_ui.QelUI.1");
  EXPECT_EQ(value(ui + L"\\VersionIndependentProgID"), L"test_qel_ui.QelUI");
  EXPECT_TRUE(key_exists(ui + L"\\Programmable"));
  EXPECT_EQ(value(ui + L"\\LocalServer32"), module);
  EXPECT_EQ(value(ui, L"AppID"), kAppId);
  EXPECT_EQ(value(ui + L"\\TypeLib"), L"{AD40E13B-B699-4BB6-8323-906271DEF887}");
  // The proxy/stub DLL, for engines that do not bring their own.
  for (const wchar_t* iid : kInterfaces)
    EXPECT_EQ(value(std::wstring(L"Interface\\") + iid + L"\\ProxyStubClsid32"), kPsClsid);

  ASSERT_EQ(Program(L"-Unregserver").WaitExit(), 0);
  for (const std::wstring& key : registered_keys())
    EXPECT_FALSE(key_exists(key)) << testing::PrintToString(key);
  EXPECT_TRUE(key_exists(L"AppID"));
  EXPECT_TRUE(key_exists(L"CLSID"));
  EXPECT_EQ(GetEnable(), 0);
}

TEST_F(RegistrationTest, StartByComForTheEngineCountsAsAStartByTheUser) {
  ASSERT_EQ(Program(L"/Regserver").WaitExit(), 0);
  ASSERT_EQ(app_top_wnd(), nullptr);
  EngineLog log(fs::path(temp_dir()) / "qel-com-embedding.log");
  // The engine marshals through the registered proxy/stub DLL, as one built elsewhere would.
  Process engine(bin_dir() + L"engine_client.exe", log.arg() + L" --engine-registered-ps");
  EXPECT_TRUE(wait_until(main_wnd_visible))
      << "COM starts the program, shown as for a start by hand";
  EXPECT_EQ(GetEnable(), 1);
  EXPECT_FALSE(log.Wait("streams").empty());
  EXPECT_TRUE(wait_until([] { return total_files() >= 0; })) << "the program answers";
  PostMessageW(FindWindowW(L"qel-engine-client", nullptr), WM_CLOSE, 0, 0);
  EXPECT_EQ(engine.WaitExit(), 0);
  send_shutdown();
  EXPECT_TRUE(wait_until([] { return !app_top_wnd(); }));
  fs::remove(log.path());
}

}  // namespace
