// The setup program as a user runs it, in a Wine prefix of its own: what lands on disk and in
// the registry, the installed program serving the engine, and the uninstaller ending it and
// taking everything away but the user's recordings.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>

#include "app/testing/auto_start_setting.h"
#include "app/testing/com_registration.h"
#include "app/testing/program_runner.h"
#include "installer/testing/installation.h"
#include "library/qel_app_constants.h"
#include "platform/win32/verify_trust.h"
#include "platform/win32/win.h"
#include "res/product_version.h"
#include "tools/engine_sim/avi_writer.h"
#include "winkit/testing/window_probe.h"

#include <shlobj.h>
#include <wintrust.h>

#include <softpub.h>

namespace fs = std::filesystem;

namespace {

using namespace qel_testing;

constexpr wchar_t kRecordingName[] = L"2026-03-01 10-20-30.avi";
constexpr int kMessageBoxText = 0xFFFF;
constexpr UINT kTrayIconId = 2048;

bool tray_icon_shown() {
  return WkShellHasIcon(main_wnd(), kTrayIconId);
}

// A recording folder outside the installation, with a recording and a note of the user's in
// it, and the settings pointing at it.
class UserFiles {
 public:
  UserFiles()
      : dir_(fs::path(temp_dir()) / ("qel-installer-" + std::to_string(GetCurrentProcessId()))) {
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    AviWriter avi;
    EXPECT_TRUE(avi.Open((dir_ / kRecordingName).wstring(), 32, 24));
    for (int i = 0; i < 3; ++i)
      avi.WriteFrame();
    EXPECT_TRUE(avi.Close());
    std::ofstream(dir_ / "my notes.txt") << "kept";
    std::wstring path = dir_.wstring();
    set_user_binary(kSettingsCacheKey, L"dest_dir", path.data(), path.size() * sizeof(wchar_t));
  }
  ~UserFiles() {
    std::error_code ec;
    fs::remove_all(dir_, ec);
  }
  // Every file's contents by name.
  std::map<std::wstring, std::string> Snapshot() const {
    std::map<std::wstring, std::string> files;
    for (const fs::directory_entry& e : fs::directory_iterator(dir_)) {
      std::ifstream in(e.path(), std::ios::binary);
      files[e.path().filename().wstring()].assign(std::istreambuf_iterator<char>(in), {});
    }
    return files;
  }

 private:
  fs::path dir_;
};

class InstallerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    CoInitialize(nullptr);
    ASSERT_TRUE(fs::exists(setup_path())) << "scripts/package builds it";
    ASSERT_TRUE(remove_any_installation());
  }
  void TearDown() override {
    end_running_program();
    remove_any_installation();
    CoUninitialize();
  }
  static void ExpectProgramFiles(const std::wstring& dir, bool present) {
    for (const wchar_t* name : kInstalledFiles)
      EXPECT_EQ(fs::exists(fs::path(dir) / name), present) << narrow(dir) << " " << narrow(name);
  }
  static void ExpectRegisteredAt(const std::wstring& dir) {
    EXPECT_EQ(value(std::wstring(L"CLSID\\") + kAppClsid + L"\\LocalServer32"),
              dir + L"\\quorvantine_msn.exe");
    EXPECT_EQ(value(std::wstring(L"CLSID\\") + kUiClsid + L"\\LocalServer32"),
              dir + L"\\quorvantine_msn.exe");
    EXPECT_EQ(value(std::wstring(L"CLSID\\") + kPsClsid + L"\\InprocServer32"),
              dir + L"\\quorvantine_msn_ps.dll");
  }
  // After the waiting uninstall: it runs from the folder, so it cannot remove itself before a
  // restart, nor the folder while it is in it. Nothing else may be left.
  static void ExpectNothingInstalled(const std::wstring& dir) {
    for (const wchar_t* name : kInstalledFiles) {
      std::wstring path = dir + L"\\" + name;
      if (std::wstring(name) == L"uninstall.exe")
        EXPECT_TRUE(removed_or_pending(path));
      else
        EXPECT_FALSE(fs::exists(path)) << narrow(path);
    }
    if (fs::exists(dir)) {
      for (const fs::directory_entry& e : fs::directory_iterator(dir))
        EXPECT_EQ(e.path().filename(), L"uninstall.exe");
    }
    for (const std::wstring& key : registered_keys())
      EXPECT_FALSE(key_exists(key)) << narrow(key);
    EXPECT_EQ(uninstall_value(L"DisplayName"), L"<none>");
    EXPECT_FALSE(fs::exists(start_menu_shortcut()));
    EXPECT_EQ(run_value(), L"<none>");
    std::error_code ec;
    fs::remove_all(dir, ec);
  }
};

TEST_F(InstallerTest, SilentInstallPutsTheProgramInPlaceAndRegistersIt) {
  ASSERT_EQ(run_setup(L"/S"), 0);
  const std::wstring dir = default_install_dir();
  ExpectProgramFiles(dir, true);
  ExpectRegisteredAt(dir);
  EXPECT_EQ(value(std::wstring(L"AppID\\") + kAppId), L"quorvantine_msn");

  // The version the entry shows is the one the program carries.
  EXPECT_EQ(file_version(dir + L"\\quorvantine_msn.exe"), widen(QEL_VERSION_TEXT));
  EXPECT_EQ(file_version(setup_path()), widen(QEL_VERSION_TEXT));
  EXPECT_EQ(uninstall_value(L"DisplayName"), L"Quorvantine for Msn");
  EXPECT_EQ(uninstall_value(L"DisplayVersion"), L"1.2.0.3");
  EXPECT_EQ(uninstall_value(L"Publisher"), L"Corvelle Software");
  EXPECT_EQ(uninstall_value(L"InstallLocation"), dir);
  EXPECT_EQ(uninstall_value(L"UninstallString"), L"\"" + dir + L"\\uninstall.exe\"");
  EXPECT_EQ(uninstall_value(L"QuietUninstallString"), L"\"" + dir + L"\\uninstall.exe\" /S");
  EXPECT_EQ(uninstall_value(L"DisplayIcon"), dir + L"\\quorvantine_msn.exe,0");
  EXPECT_EQ(uninstall_dword(L"NoModify"), 1);
  EXPECT_EQ(uninstall_dword(L"NoRepair"), 1);
  long size_kb = uninstall_dword(L"EstimatedSize");
  EXPECT_GE(size_kb,
            static_cast<long>(fs::file_size(fs::path(dir) / "quorvantine_msn.exe") / 1024));
  EXPECT_LT(size_kb, 64 * 1024);

  EXPECT_EQ(shortcut_target(start_menu_shortcut()), dir + L"\\quorvantine_msn.exe");
  EXPECT_EQ(run_value(), L"\"" + dir + L"\\quorvantine_msn.exe\" /start_context sys_auto");
  // Setup, uninstaller and program carry a signature that Windows checks.
  EXPECT_EQ(platform::verify_trust(nullptr, (dir + L"\\quorvantine_msn.exe").c_str()),
            ERROR_SUCCESS);
  EXPECT_EQ(platform::verify_trust(nullptr, setup_path().c_str()), ERROR_SUCCESS);
  EXPECT_EQ(platform::verify_trust(nullptr, (dir + L"\\uninstall.exe").c_str()), ERROR_SUCCESS);
  EXPECT_EQ(app_top_wnd(), nullptr) << "a silent install starts nothing";

  // The entry's own quiet uninstall, as the system runs it: the uninstaller works from a copy
  // and takes the whole folder away.
  ScopedProcess uninstall = start_command_line(uninstall_value(L"QuietUninstallString"));
  ASSERT_TRUE(uninstall.started());
  EXPECT_TRUE(wait_until([&] { return !fs::exists(dir); }));
  // The entry goes after the files.
  EXPECT_TRUE(wait_until([] { return uninstall_value(L"DisplayName") == L"<none>"; }));
  EXPECT_FALSE(key_exists(std::wstring(L"CLSID\\") + kAppClsid));
}

TEST_F(InstallerTest, SetupByHandOffersToStartTheProgramAtTheEnd) {
  Process setup(setup_path(), L"");
  HWND window = wait_for_dialog(setup.pid(), IDOK);
  ASSERT_NE(window, nullptr);
  press(window, IDOK);  // "Install" on the folder page
  ASSERT_TRUE(wait_until([&] { return control_text(window, IDOK) == L"&Finish"; }));
  EXPECT_EQ(app_top_wnd(), nullptr);
  press(window, IDOK);  // with "Run Quorvantine for Msn" ticked, as it comes
  EXPECT_EQ(setup.WaitExit(), 0);
  ASSERT_TRUE(wait_until(main_wnd_visible));
  EXPECT_EQ(process_image(window_pid(main_wnd())),
            default_install_dir() + L"\\quorvantine_msn.exe");
  EXPECT_TRUE(wait_until(tray_icon_shown));
}

// The logon start runs the "Run" value as a command line. Setup writes it quoted, as the
// program does; the unquoted form of earlier versions names the same file under
// "Program Files". Either way the program knows it was started at logon.
TEST_F(InstallerTest, LogonEntryStartsTheInstalledProgramInTheTray) {
  ASSERT_EQ(run_setup(L"/S"), 0);
  const std::wstring exe = default_install_dir() + L"\\quorvantine_msn.exe";
  const std::wstring quoted = run_value();
  ASSERT_EQ(quoted, L"\"" + exe + L"\" /start_context sys_auto");
  AutoStartSetting auto_start;
  for (const std::wstring& command : {quoted, exe + L" /start_context sys_auto"}) {
    SCOPED_TRACE(narrow(command));
    auto_start.Set(0);
    ScopedProcess off = start_command_line(command);
    ASSERT_TRUE(off.started());
    EXPECT_EQ(off.WaitExit(), 0) << "switched off, a logon start ends at once";
    EXPECT_EQ(main_wnd(), nullptr);
    EXPECT_EQ(auto_start.Get(), 0);

    auto_start.Set(1);
    auto_start.SetMainWindowShown(0);
    ScopedProcess on = start_command_line(command);
    ASSERT_TRUE(on.started());
    ASSERT_TRUE(wait_until([] { return main_wnd() != nullptr; }));
    EXPECT_EQ(process_image(window_pid(main_wnd())), exe);
    EXPECT_TRUE(wait_until(tray_icon_shown));
    EXPECT_FALSE(main_wnd_visible()) << "the window stays in the tray";
    send_shutdown();
    EXPECT_EQ(on.WaitExit(), 0);
  }
}

TEST_F(InstallerTest, InstalledProgramServesTheEngineAndUninstallEndsIt) {
  UserFiles user;
  ASSERT_EQ(run_setup(L"/S"), 0);
  const std::wstring dir = default_install_dir();

  // The engine reaches the installed program through the registered classes and proxy/stub.
  fs::path log = fs::path(temp_dir()) / "qel-installer-engine.log";
  fs::remove(log);
  Process engine(
      engine_client_path(),
      L"--engine-registered-ps --engine-webcam=1,1 --engine-log=\"" + log.wstring() + L"\"");
  ASSERT_TRUE(wait_until([] { return main_wnd() != nullptr; }));
  DWORD pid = window_pid(main_wnd());
  EXPECT_EQ(process_image(pid), dir + L"\\quorvantine_msn.exe");
  EXPECT_TRUE(wait_until(tray_icon_shown));
  EXPECT_TRUE(wait_until([&] { return fs::exists(log) && fs::file_size(log) > 0; }));

  // A second start by hand shows the first instance and ends.
  ShowWindow(main_wnd(), SW_HIDE);
  ASSERT_TRUE(wait_until([] { return !main_wnd_visible(); }));
  EXPECT_EQ(Program(L"/start_context user_manual", dir + L"\\").WaitExit(), 0);
  EXPECT_TRUE(wait_until(main_wnd_visible));
  EXPECT_EQ(window_pid(main_wnd()), pid);
  PostMessageW(FindWindowW(L"qel-engine-client", nullptr), WM_CLOSE, 0, 0);
  EXPECT_EQ(engine.WaitExit(), 0);

  // The uninstaller ends the running program through its shutdown message (exit code 0).
  ScopedProcess program(pid);
  auto before = user.Snapshot();
  EXPECT_EQ(run_uninstaller(dir, L"/S"), 0);
  EXPECT_EQ(program.WaitExit(), 0);
  EXPECT_EQ(app_top_wnd(), nullptr);
  ExpectNothingInstalled(dir);
  EXPECT_EQ(user.Snapshot(), before);
  EXPECT_TRUE(user_key_exists(kSettingsCacheKey)) << "settings stay unless asked for";
  fs::remove(log);
}

TEST_F(InstallerTest, UpgradeKeepsSettingsRecordingsAndTheUsersLogonChoice) {
  UserFiles user;
  ASSERT_EQ(run_setup(L"/S"), 0);
  const std::wstring dir = default_install_dir();
  DWORD auto_record = 1;
  set_user_binary(kSettingsProfileKey, L"auto_record", &auto_record, sizeof auto_record, REG_DWORD);
  set_run_value(L"");  // the user switched the start at logon off

  // The running old version is asked to end, for its files are in use.
  Program running(L"/start_context user_manual", dir + L"\\");
  ASSERT_TRUE(wait_until([] { return main_wnd() != nullptr; }));
  auto before = user.Snapshot();
  ASSERT_EQ(run_setup(L"/S"), 0);
  EXPECT_EQ(running.WaitExit(), 0);
  ExpectProgramFiles(dir, true);
  ExpectRegisteredAt(dir);
  EXPECT_EQ(user_dword(kSettingsProfileKey, L"auto_record"), 1);
  EXPECT_EQ(run_value(), L"");
  EXPECT_EQ(user.Snapshot(), before);

  // Asked to, the uninstaller also removes the settings, never the recordings.
  EXPECT_EQ(run_uninstaller(dir, L"/S /RemoveSettings"), 0);
  ExpectNothingInstalled(dir);
  EXPECT_FALSE(user_key_exists(kSettingsKey));
  EXPECT_EQ(user.Snapshot(), before);
}

TEST_F(InstallerTest, InstallsIntoAPathWithSpacesAndNonAsciiLetters) {
  const std::wstring dir = program_files() + L"\\Corvelle Prüfung Ωμέγα\\Quorvantine för Msn";
  ASSERT_EQ(run_setup(L"/S /D=" + dir), 0);
  ExpectProgramFiles(dir, true);
  ExpectRegisteredAt(dir);
  EXPECT_EQ(uninstall_value(L"InstallLocation"), dir);
  {
    Program program(L"/start_context user_manual", dir + L"\\");
    ASSERT_TRUE(wait_until(main_wnd_visible));
    EXPECT_EQ(process_image(window_pid(main_wnd())), dir + L"\\quorvantine_msn.exe");
    EXPECT_EQ(run_uninstaller(dir, L"/S"), 0);
    EXPECT_EQ(program.WaitExit(), 0);
  }
  ExpectNothingInstalled(dir);
}

TEST_F(InstallerTest, FailedRegistrationFailsTheInstallAndLeavesNothing) {
  // A class key the program may not write, as for a user without the rights to register.
  ReadOnlyClassKey denied(L"quorvantine_msn.co_qel_app_msn.1");
  long code = run_setup(L"/S");
  EXPECT_NE(code, 0);
  EXPECT_NE(code, -1) << "setup must end";
  const std::wstring dir = default_install_dir();
  ExpectProgramFiles(dir, false);
  EXPECT_EQ(uninstall_value(L"DisplayName"), L"<none>");
  EXPECT_FALSE(fs::exists(start_menu_shortcut()));
  EXPECT_EQ(value(std::wstring(L"CLSID\\") + kAppClsid + L"\\LocalServer32"), L"<none>");
}

TEST_F(InstallerTest, UninstallChangesNothingWhileTheProgramDoesNotEnd) {
  ASSERT_EQ(run_setup(L"/S"), 0);
  const std::wstring dir = default_install_dir();
  auto hung = std::make_unique<HungTopWindow>();
  EXPECT_NE(run_uninstaller(dir, L"/S"), 0);
  EXPECT_TRUE(hung->exists());
  ExpectProgramFiles(dir, true);
  ExpectRegisteredAt(dir);
  EXPECT_NE(uninstall_value(L"DisplayName"), L"<none>");
  EXPECT_TRUE(fs::exists(start_menu_shortcut()));

  // A user uninstalling is told, and can retry once the program is gone.
  Process uninstaller(dir + L"\\uninstall.exe", L"_?=" + dir);
  HWND window = wait_for_dialog(uninstaller.pid(), IDOK);
  ASSERT_NE(window, nullptr);
  press(window, IDOK);  // "Uninstall" on the page that offers to remove the settings
  HWND box = wait_for_dialog(uninstaller.pid(), kMessageBoxText);
  ASSERT_NE(box, nullptr);
  EXPECT_NE(control_text(box, kMessageBoxText).find(L"does not respond"), std::wstring::npos)
      << narrow(control_text(box, kMessageBoxText));
  ExpectProgramFiles(dir, true);
  hung.reset();
  press(box, IDRETRY);
  EXPECT_TRUE(wait_until([] { return uninstall_value(L"DisplayName") == L"<none>"; }));
  // The page ignores a click on its button until the work is done and the button enabled.
  ASSERT_TRUE(wait_until([&] {
    return IsWindowEnabled(GetDlgItem(window, IDOK)) && control_text(window, IDOK) == L"&Close";
  }));
  press(window, IDOK);  // "Close"
  EXPECT_EQ(uninstaller.WaitExit(), 0);
  ExpectNothingInstalled(dir);
}

TEST_F(InstallerTest, ChangedSetupFailsTheSignatureCheck) {
  fs::path copy = fs::path(temp_dir()) / "qel-tampered-setup.exe";
  fs::copy_file(setup_path(), copy, fs::copy_options::overwrite_existing);
  {
    std::fstream f(copy, std::ios::in | std::ios::out | std::ios::binary);
    f.seekg(4096);
    char c = 0;
    f.get(c);
    f.seekp(4096);
    f.put(static_cast<char>(c ^ 0x5a));
  }
  EXPECT_EQ(platform::verify_trust(nullptr, copy.c_str()), static_cast<LONG>(TRUST_E_BAD_DIGEST));
  fs::remove(copy);
}

}  // namespace
