// Drives the real quorvantine_msn.exe: starts it the ways a user, the logon entry and COM
// do, and checks its windows, exit codes and the auto-start setting.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "library/qel_app_constants.h"
#include "platform/win32/win.h"

namespace {

constexpr char kEnable[] = "sys_auto_start_enable";
constexpr wchar_t kMainTitle[] = L"Quorvantine Video Recorder for MSN";
constexpr DWORD kWaitMs = 20000;

std::wstring exe_path() {
  wchar_t self[MAX_PATH];
  DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring dir(self, n);
  return dir.substr(0, dir.find_last_of(L"\\/") + 1) + L"quorvantine_msn.exe";
}

bool wait_until(const std::function<bool()>& done, DWORD timeout_ms = kWaitMs) {
  for (DWORD waited = 0; waited < timeout_ms; waited += 50) {
    if (done())
      return true;
    Sleep(50);
  }
  return done();
}

HWND app_top_wnd() {
  return FindWindowA(g_qel_app_top_wnd_class, nullptr);
}
HWND main_wnd() {
  return FindWindowW(nullptr, kMainTitle);
}
bool main_wnd_visible() {
  return IsWindowVisible(main_wnd()) != 0;
}

void send_shutdown();

// One started program; ends it by force if a test leaves it running.
class Program {
 public:
  explicit Program(const std::wstring& args) {
    std::wstring cmd = L"\"" + exe_path() + L"\" " + args;
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    started_ = CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                              &si, &pi_) != 0;
  }
  ~Program() {
    if (!started_)
      return;
    // A killed program would leave its COM class registered with Wine, and engines could
    // not reach the next one: ask it to end first.
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
      send_shutdown();
      WaitForSingleObject(pi_.hProcess, 5000);
    }
    if (WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT) {
      TerminateProcess(pi_.hProcess, 99);
      WaitForSingleObject(pi_.hProcess, 5000);
    }
    CloseHandle(pi_.hThread);
    CloseHandle(pi_.hProcess);
  }
  bool started() const { return started_; }
  // The exit code, or -1 when it did not end in time.
  long WaitExit(DWORD timeout_ms = kWaitMs) {
    if (WaitForSingleObject(pi_.hProcess, timeout_ms) != WAIT_OBJECT_0)
      return -1;
    DWORD code = 0;
    GetExitCodeProcess(pi_.hProcess, &code);
    return static_cast<long>(code);
  }
  bool Running() { return WaitForSingleObject(pi_.hProcess, 0) == WAIT_TIMEOUT; }

 private:
  PROCESS_INFORMATION pi_ = {};
  bool started_ = false;
};

// Asks the running instance to end, as an installer would.
void send_shutdown() {
  HWND top = app_top_wnd();
  if (!top)
    return;
  DWORD_PTR result = 0;
  SendMessageTimeoutA(top, RegisterWindowMessageA(g_qel_wm_shutdown_app_name), 0, 0,
                      SMTO_ABORTIFHUNG, 10000, &result);
}

class AppE2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(wait_until([] {
      send_shutdown();
      return !app_top_wnd();
    }));
    RegCreateKeyA(HKEY_CURRENT_USER, g_qel_settings_path, &key_);
  }
  void TearDown() override {
    send_shutdown();
    wait_until([] { return !app_top_wnd(); });
    RegCloseKey(key_);
  }
  void SetEnable(DWORD v) {
    RegSetValueExA(key_, kEnable, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&v), sizeof v);
  }
  long GetEnable() {
    DWORD v = 0, size = sizeof v;
    if (RegQueryValueExA(key_, kEnable, nullptr, nullptr, reinterpret_cast<BYTE*>(&v), &size))
      return -1;
    return static_cast<long>(v);
  }
  // Starts the program and waits until its main window shows.
  void ExpectManualStart(Program& p) {
    ASSERT_TRUE(p.started());
    EXPECT_TRUE(wait_until(main_wnd_visible)) << "main window never showed";
  }

  HKEY key_ = nullptr;
};

TEST_F(AppE2eTest, ShutdownMessageFromAnotherProcessEndsWithExitCodeZero) {
  SetEnable(0);
  Program p(L"/start_context user_manual");
  ExpectManualStart(p);
  EXPECT_EQ(GetEnable(), 1);
  ASSERT_NE(app_top_wnd(), nullptr);
  send_shutdown();
  EXPECT_EQ(p.WaitExit(), 0);
  EXPECT_EQ(app_top_wnd(), nullptr);
  EXPECT_EQ(main_wnd(), nullptr);
}

// A second start hands over to the running instance: by the user it shows the first
// instance's window, automatically it shows nothing; either way the second process exits.
TEST_F(AppE2eTest, SecondStartHandsOverToTheRunningInstance) {
  Program first(L"");
  ExpectManualStart(first);
  HWND first_main = main_wnd();
  // Closing only hides the window.
  PostMessageW(first_main, WM_CLOSE, 0, 0);
  ASSERT_TRUE(wait_until([] { return !main_wnd_visible(); }));

  Program automatic(L"/start_context sys_auto");
  EXPECT_EQ(automatic.WaitExit(), 0);
  Sleep(300);
  EXPECT_FALSE(main_wnd_visible());

  Program manual(L"/start_context user_manual");
  EXPECT_EQ(manual.WaitExit(), 0);
  EXPECT_TRUE(wait_until(main_wnd_visible));
  EXPECT_EQ(main_wnd(), first_main);
  EXPECT_TRUE(first.Running());
}

TEST_F(AppE2eTest, AutomaticStartWithAutoStartOffExitsWithoutAnyWindow) {
  for (const wchar_t* args :
       {L"/start_context sys_auto", L"/skype_extra_context 8", L"/start_contextsys_auto"}) {
    SetEnable(0);
    Program p(args);
    ASSERT_TRUE(p.started());
    bool window_seen = false;
    wait_until([&] {
      window_seen = window_seen || app_top_wnd() || main_wnd();
      return !p.Running();
    });
    EXPECT_EQ(p.WaitExit(), 0) << "args: " << testing::PrintToString(std::wstring(args));
    EXPECT_FALSE(window_seen);
    EXPECT_EQ(GetEnable(), 0);
  }
  // A start by the user switches the automatic start back on.
  Program manual(L"");
  ExpectManualStart(manual);
  EXPECT_EQ(GetEnable(), 1);
}

TEST_F(AppE2eTest, AutomaticStartWithAutoStartOnRunsHidden) {
  SetEnable(1);
  Program p(L"/start_context sys_auto");
  ASSERT_TRUE(wait_until([] { return main_wnd() != nullptr; }));
  Sleep(300);
  EXPECT_FALSE(main_wnd_visible());
  // A later start by the user brings it up.
  Program manual(L"");
  EXPECT_EQ(manual.WaitExit(), 0);
  EXPECT_TRUE(wait_until(main_wnd_visible));
}

TEST_F(AppE2eTest, RegisterSwitchesExitWithoutCreatingTheApplication) {
  for (const wchar_t* args : {L"/Regserver", L"-RegServer", L"/Register", L"/Unregserver",
                              L"-unregister", L"/start_context user_manual /Regserver"}) {
    SetEnable(0);
    Program p(args);
    ASSERT_TRUE(p.started());
    EXPECT_EQ(p.WaitExit(), 0);
    // A created application would have switched the automatic start back on.
    EXPECT_EQ(GetEnable(), 0) << testing::PrintToString(std::wstring(args));
    EXPECT_EQ(app_top_wnd(), nullptr);
  }
}

// Each of these is a start by the user: the window shows and the automatic start is on again.
TEST_F(AppE2eTest, CommandLinesThatCountAsManualStarts) {
  for (const wchar_t* args :
       {L"-Embedding", L"/Embedding", L"/start_context user_manualx", L"/start_context sys_autox",
        L"start_context sys_auto", L"/start_context_x sys_auto", L"/skype_extra_context 7",
        L"/skype_extra_context -8", L"/start_contextuser_manual"}) {
    SetEnable(0);
    Program p(args);
    ExpectManualStart(p);
    EXPECT_EQ(GetEnable(), 1) << testing::PrintToString(std::wstring(args));
    send_shutdown();
    EXPECT_EQ(p.WaitExit(), 0);
  }
}

}  // namespace
