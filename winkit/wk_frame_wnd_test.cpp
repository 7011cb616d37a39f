#include "winkit/wk_frame_wnd.h"

#include <gtest/gtest.h>

#include "winkit/wk_app.h"

namespace {

class CountingFrame : public WkFrameWnd {
 public:
  int user_messages = 0;
  int destroys = 0;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) override {
    if (msg == WM_USER)
      return ++user_messages;
    if (msg == WM_DESTROY)
      ++destroys;
    return WkFrameWnd::OnMessage(msg, wparam, lparam);
  }
};

constexpr RECT kRect = {10, 10, 110, 90};

bool quit_posted() {
  MSG msg;
  return PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE) != 0;
}

TEST(WkFrameWnd, MessagesReachTheOwningObject) {
  CountingFrame frame;
  ASSERT_TRUE(frame.CreateFrame(L"wk_test_frame", L"t", WS_OVERLAPPEDWINDOW, kRect));
  EXPECT_FALSE(frame.IsWindowVisible());
  EXPECT_EQ(SendMessageW(frame.m_hWnd, WM_USER, 0, 0), 1);
  EXPECT_FALSE(frame.CreateFrame(L"wk_test_frame", L"t", WS_OVERLAPPEDWINDOW, kRect));

  // A second window of the same class goes to its own object.
  CountingFrame other;
  ASSERT_TRUE(other.CreateFrame(L"wk_test_frame", L"u", WS_OVERLAPPEDWINDOW, kRect));
  SendMessageW(other.m_hWnd, WM_USER, 0, 0);
  EXPECT_EQ(frame.user_messages, 1);
  EXPECT_EQ(other.user_messages, 1);

  HWND hwnd = frame.m_hWnd;
  EXPECT_TRUE(frame.DestroyWindow());
  EXPECT_EQ(frame.m_hWnd, nullptr);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_EQ(frame.destroys, 1);
  EXPECT_FALSE(frame.DestroyWindow());
  EXPECT_FALSE(quit_posted());
}

TEST(WkFrameWnd, ObjectDestroysItsWindow) {
  HWND hwnd;
  {
    CountingFrame frame;
    ASSERT_TRUE(frame.CreateFrame(L"wk_test_frame", L"t", WS_OVERLAPPEDWINDOW, kRect));
    hwnd = frame.m_hWnd;
  }
  EXPECT_FALSE(IsWindow(hwnd));
}

TEST(WkFrameWnd, LosingTheMainWindowEndsTheLoop) {
  WkApp app;
  ASSERT_EQ(WkApp::Current(), &app);
  CountingFrame frame;
  ASSERT_TRUE(frame.CreateFrame(L"wk_test_frame", L"t", WS_OVERLAPPEDWINDOW, kRect));
  app.m_pMainWnd = &frame;
  frame.DestroyWindow();
  EXPECT_EQ(app.m_pMainWnd, nullptr);
  EXPECT_TRUE(quit_posted());
}

}  // namespace
