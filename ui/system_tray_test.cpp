#include "ui/system_tray.h"

#include <gtest/gtest.h>

#include <string>

#include "winkit/testing/window_probe.h"
#include "winkit/wk_frame_wnd.h"

namespace {

constexpr UINT kCallback = 0x800A;
constexpr UINT kIconId = 2048;
constexpr WORD kOpenMainWindow = 32782;

class Owner : public WkFrameWnd {
 public:
  WPARAM last_command = 0;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) override {
    if (msg == WM_COMMAND) {
      last_command = wparam;
      return 0;
    }
    return WkFrameWnd::OnMessage(msg, wparam, lparam);
  }
};

void pump_for(DWORD ms) {
  DWORD until = GetTickCount() + ms;
  MSG msg;
  while (GetTickCount() < until) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&msg);
    Sleep(5);
  }
}

class SystemTrayTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(
        owner.CreateFrame(L"tray_test_owner", L"o", WS_OVERLAPPEDWINDOW, RECT{0, 0, 100, 100}));
    still = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_APPLICATION));
    blink = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_WARNING));
  }
  Owner owner;
  HICON still = nullptr;
  HICON blink = nullptr;
};

TEST_F(SystemTrayTest, IconComesAndGoesInTheShell) {
  {
    CSystemTray tray;
    ASSERT_TRUE(tray.Create(owner.m_hWnd, kCallback, L"Tip", still, kIconId));
    EXPECT_TRUE(tray.IsVisible());
    EXPECT_TRUE(WkShellHasIcon(owner.m_hWnd, kIconId));
    EXPECT_FALSE(tray.HideIcon());
    EXPECT_FALSE(WkShellHasIcon(owner.m_hWnd, kIconId));
    EXPECT_TRUE(tray.ShowIcon());
    EXPECT_TRUE(WkShellHasIcon(owner.m_hWnd, kIconId));
  }
  EXPECT_FALSE(WkShellHasIcon(owner.m_hWnd, kIconId)) << "the tray takes its icon along";
}

TEST_F(SystemTrayTest, HiddenAtCreationUntilShown) {
  CSystemTray tray;
  ASSERT_TRUE(tray.Create(owner.m_hWnd, kCallback, L"Tip", still, kIconId, true));
  EXPECT_FALSE(tray.IsVisible());
  EXPECT_FALSE(WkShellHasIcon(owner.m_hWnd, kIconId));
  EXPECT_TRUE(tray.ShowIcon());
}

TEST_F(SystemTrayTest, ShellRestartBringsTheIconBack) {
  CSystemTray tray;
  ASSERT_TRUE(tray.Create(owner.m_hWnd, kCallback, L"Tip", still, kIconId));
  NOTIFYICONDATAW nid = {};
  nid.cbSize = CSystemTray::kRecordSize;
  nid.hWnd = owner.m_hWnd;
  nid.uID = kIconId;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &nid));
  SendMessageW(tray.m_hWnd, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(WkShellHasIcon(owner.m_hWnd, kIconId));

  // A hidden icon stays away.
  tray.HideIcon();
  SendMessageW(tray.m_hWnd, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_FALSE(WkShellHasIcon(owner.m_hWnd, kIconId));
}

// The shell refuses to add an icon it already holds for that window and id. The tray then
// stays hidden, and adds its icon when shown again or when the shell announces itself.
TEST_F(SystemTrayTest, RefusedAddLeavesTheIconHiddenUntilItCanBeAdded) {
  NOTIFYICONDATAW held = {};
  held.cbSize = CSystemTray::kRecordSize;
  held.hWnd = owner.m_hWnd;
  held.uID = kIconId;
  ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &held));
  CSystemTray tray;
  ASSERT_TRUE(tray.Create(owner.m_hWnd, kCallback, L"Tip", still, kIconId));
  EXPECT_FALSE(tray.IsVisible());
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &held));
  EXPECT_FALSE(WkShellHasIcon(owner.m_hWnd, kIconId));
  EXPECT_TRUE(tray.ShowIcon());
  EXPECT_TRUE(WkShellHasIcon(owner.m_hWnd, kIconId));

  tray.HideIcon();
  ASSERT_TRUE(Shell_NotifyIconW(NIM_ADD, &held));
  EXPECT_FALSE(tray.ShowIcon());
  ASSERT_TRUE(Shell_NotifyIconW(NIM_DELETE, &held));
  SendMessageW(tray.m_hWnd, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(tray.IsVisible());
  EXPECT_TRUE(WkShellHasIcon(owner.m_hWnd, kIconId));
}

TEST_F(SystemTrayTest, TipIsCutToTheRecord) {
  CSystemTray tray;
  std::wstring long_tip(200, L'x');
  ASSERT_TRUE(tray.Create(owner.m_hWnd, kCallback, long_tip.c_str(), still, kIconId));
  EXPECT_EQ(tray.GetTooltipText(), std::wstring(63, L'x'));
  std::wstring straddling = std::wstring(62, L'a') + L"\U0001F600";
  EXPECT_TRUE(tray.SetTooltipText(straddling.c_str()));
  EXPECT_EQ(tray.GetTooltipText(), std::wstring(62, L'a'));
  EXPECT_TRUE(WkShellHasIcon(owner.m_hWnd, kIconId));
}

TEST_F(SystemTrayTest, AnimationStepsAndRestoresTheStillIcon) {
  CSystemTray tray;
  ASSERT_TRUE(tray.Create(owner.m_hWnd, kCallback, L"Tip", still, kIconId));
  EXPECT_FALSE(tray.Animate(20, -1)) << "no icon list";
  EXPECT_FALSE(tray.StopAnimation());
  HICON icons[] = {still, blink};
  tray.SetIconList(icons, 2);
  ASSERT_TRUE(tray.Animate(20, -1));
  bool blinked = false;
  for (int i = 0; i < 100 && !blinked; ++i) {
    pump_for(10);
    blinked = tray.GetIcon() == blink;
  }
  EXPECT_TRUE(blinked);
  EXPECT_TRUE(tray.StopAnimation());
  EXPECT_EQ(tray.GetIcon(), still);
  EXPECT_FALSE(tray.IsAnimating());
}

TEST_F(SystemTrayTest, AnimationWithADurationEndsByItself) {
  CSystemTray tray;
  ASSERT_TRUE(tray.Create(owner.m_hWnd, kCallback, L"Tip", still, kIconId));
  HICON icons[] = {blink, still};
  tray.SetIconList(icons, 2);
  ASSERT_TRUE(tray.Animate(50, 1));
  pump_for(1600);
  EXPECT_FALSE(tray.IsAnimating());
  EXPECT_EQ(tray.GetIcon(), still);
}

TEST_F(SystemTrayTest, DoubleClickPostsTheDefaultCommand) {
  CSystemTray tray;
  ASSERT_TRUE(tray.Create(owner.m_hWnd, kCallback, L"Tip", still, kIconId));
  tray.SetMenuDefaultItem(0, true);
  EXPECT_EQ(tray.OnTrayNotification(kIconId + 1, WM_LBUTTONDBLCLK), 0) << "not our icon";
  EXPECT_EQ(tray.OnTrayNotification(kIconId, WM_LBUTTONDBLCLK), 1);
  pump_for(50);
  EXPECT_EQ(LOWORD(owner.last_command), kOpenMainWindow);
  owner.last_command = 0;
  EXPECT_EQ(tray.OnTrayNotification(kIconId, WM_LBUTTONUP), 1);
  pump_for(50);
  EXPECT_EQ(owner.last_command, 0u) << "a single click does nothing here";
}

}  // namespace
