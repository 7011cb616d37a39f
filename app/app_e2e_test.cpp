// Drives the real quorvantine_msn.exe: starts it the ways a user, the logon entry and COM
// do, and checks its windows, exit codes and the auto-start setting.
#include <gtest/gtest.h>

#include <string>

#include "app/testing/auto_start_setting.h"
#include "app/testing/program_runner.h"
#include "app/testing/wine_tray.h"

namespace {

using namespace qel_testing;

class AppE2eTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(end_running_program()); }
  void TearDown() override { end_running_program(); }
  void SetEnable(DWORD v) { auto_start_.Set(v); }
  long GetEnable() { return auto_start_.Get(); }
  // Starts the program and waits until its main window shows.
  void ExpectManualStart(Program& p) {
    ASSERT_TRUE(p.started());
    EXPECT_TRUE(wait_until(main_wnd_visible)) << "main window never showed";
  }

  AutoStartSetting auto_start_;
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
  // The window was closed last time: an automatic start keeps it in the tray.
  auto_start_.SetMainWindowShown(0);
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

// The icon in the shell's notification area: its tip shows under the cursor, and a right
// click passed on by the shell opens the tray menu, whose Exit ends the program.
TEST_F(AppE2eTest, TrayIconShowsItsTipAndItsMenuExitsTheProgram) {
  SetEnable(1);
  Program p(L"/start_context user_manual");
  ExpectManualStart(p);
  HWND icon = nullptr;
  ASSERT_TRUE(wait_until([&] { return (icon = WineTray::FindIcon(kTrayTip)) != nullptr; }));

  WineTray::Click(icon, WM_RBUTTONDOWN, WM_RBUTTONUP);
  const DWORD pid = window_pid(main_wnd());
  HWND menu = nullptr;
  ASSERT_TRUE(wait_until([&] { return (menu = open_popup_menu(pid)) != nullptr; }));
  PostMessageW(menu, WM_CHAR, L'x', 0);
  EXPECT_EQ(p.WaitExit(), 0);
  EXPECT_EQ(GetEnable(), 0) << "Exit switches the start at logon off";
  EXPECT_EQ(WineTray::FindIcon(kTrayTip), nullptr) << "the icon goes with the program";
}

}  // namespace
