#include "winkit/wk_wnd.h"

#include <gtest/gtest.h>

#include "winkit/testing/window_probe.h"
#include "winkit/wk_frame_wnd.h"
#include "winkit/wk_gdi.h"

namespace {

constexpr RECT kRect = {10, 10, 210, 110};
constexpr UINT kButtonId = 41;
constexpr UINT kStaticId = 42;

// A parent that records what reaches its own switch.
class Parent : public WkFrameWnd {
 public:
  int commands = 0;
  int draw_items = 0;
  int timers_seen = 0;
  UINT_PTR last_timer = 0;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) override {
    switch (msg) {
      case WM_COMMAND:
        ++commands;
        return 0;
      case WM_DRAWITEM:
        ++draw_items;
        return TRUE;
      case WM_TIMER:
        ++timers_seen;
        last_timer = wparam;
        return 0;
    }
    return WkFrameWnd::OnMessage(msg, wparam, lparam);
  }
};

// An owner-drawn button that draws itself and leaves its clicks to the parent.
class SelfDrawnButton : public WkWnd {
 public:
  int draws = 0;
  int own_messages = 0;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) override {
    if (msg == WM_USER + 1)
      return ++own_messages;
    return WkWnd::OnMessage(msg, wparam, lparam);
  }
  bool OnReflectedMessage(UINT msg, WPARAM, LPARAM lparam, LRESULT* result) override {
    if (msg != WM_DRAWITEM)
      return false;
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lparam);
    WkBrush red(CreateSolidBrush(RGB(255, 0, 0)));
    FillRect(item->hDC, &item->rcItem, red.get());
    ++draws;
    *result = TRUE;
    return true;
  }
};

// A label that answers its control-colour question itself.
class ColouredLabel : public WkWnd {
 public:
  WkBrush brush{CreateSolidBrush(RGB(0, 128, 0))};

 protected:
  bool OnReflectedMessage(UINT msg, WPARAM, LPARAM, LRESULT* result) override {
    if (msg != WM_CTLCOLORSTATIC)
      return false;
    *result = reinterpret_cast<LRESULT>(brush.get());
    return true;
  }
};

void pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

TEST(WkWnd, ParentNotificationsReachTheControlsObjectFirst) {
  Parent parent;
  ASSERT_TRUE(parent.CreateFrame(L"wk_test_parent", L"p", WS_OVERLAPPEDWINDOW, kRect));
  SelfDrawnButton button;
  ASSERT_TRUE(button.CreateControl(L"BUTTON", 0, L"b", WS_CHILD | WS_VISIBLE | BS_OWNERDRAW,
                                   RECT{0, 0, 40, 20}, parent.m_hWnd, kButtonId));
  EXPECT_EQ(WkWnd::FromHandle(button.m_hWnd), &button);
  EXPECT_EQ(button.GetDlgCtrlID(), static_cast<int>(kButtonId));
  EXPECT_EQ(SendMessageW(button.m_hWnd, WM_USER + 1, 0, 0), 1) << "the control's own switch";

  // Drawing goes to the button's object; its click still reaches the parent.
  WkPixels pixels = WkRenderClient(button.m_hWnd);
  EXPECT_EQ(button.draws, 1);
  EXPECT_EQ(parent.draw_items, 0);
  EXPECT_EQ(pixels.at(20, 10), RGB(255, 0, 0));
  SendMessageW(button.m_hWnd, BM_CLICK, 0, 0);
  EXPECT_EQ(parent.commands, 1);

  // A plain control without an object leaves its notifications to the parent.
  HWND plain = CreateWindowExW(0, L"BUTTON", L"x", WS_CHILD | BS_OWNERDRAW, 0, 0, 10, 10,
                               parent.m_hWnd, nullptr, nullptr, nullptr);
  WkRenderClient(plain);
  EXPECT_EQ(parent.draw_items, 1);
}

TEST(WkWnd, ControlColourAnsweredByTheControl) {
  Parent parent;
  ASSERT_TRUE(parent.CreateFrame(L"wk_test_parent", L"p", WS_OVERLAPPEDWINDOW, kRect));
  ColouredLabel label;
  ASSERT_TRUE(label.CreateControl(L"STATIC", 0, L"", WS_CHILD | WS_VISIBLE, RECT{0, 0, 30, 30},
                                  parent.m_hWnd, kStaticId));
  HDC dc = GetDC(label.m_hWnd);
  LRESULT answer = SendMessageW(parent.m_hWnd, WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
                                reinterpret_cast<LPARAM>(label.m_hWnd));
  ReleaseDC(label.m_hWnd, dc);
  EXPECT_EQ(reinterpret_cast<HBRUSH>(answer), label.brush.get());
}

TEST(WkWnd, SubclassedWindowIsHandedBackAndCreatedOnesDestroyed) {
  Parent parent;
  ASSERT_TRUE(parent.CreateFrame(L"wk_test_parent", L"p", WS_OVERLAPPEDWINDOW, kRect));
  HWND existing = CreateWindowExW(0, L"EDIT", L"kept", WS_CHILD, 0, 0, 50, 20, parent.m_hWnd,
                                  nullptr, nullptr, nullptr);
  HWND created;
  {
    SelfDrawnButton taken;
    ASSERT_TRUE(taken.SubclassWindow(existing));
    EXPECT_FALSE(taken.SubclassWindow(existing)) << "one object per window";
    EXPECT_EQ(SendMessageW(existing, WM_USER + 1, 0, 0), 1);
    EXPECT_EQ(taken.GetWindowText(), L"kept");
    SelfDrawnButton made;
    ASSERT_TRUE(made.CreateControl(L"BUTTON", 0, L"m", WS_CHILD, RECT{}, parent.m_hWnd, 9));
    created = made.m_hWnd;
  }
  EXPECT_TRUE(IsWindow(existing));
  EXPECT_EQ(WkWnd::FromHandle(existing), nullptr);
  EXPECT_EQ(SendMessageW(existing, WM_USER + 1, 0, 0), 0) << "the edit's own procedure again";
  EXPECT_EQ(WkReadControlText(existing), L"kept");
  EXPECT_FALSE(IsWindow(created));
}

TEST(WkWnd, DestroyedParentTakesSubclassedChildrenWithIt) {
  SelfDrawnButton button;
  {
    Parent parent;
    ASSERT_TRUE(parent.CreateFrame(L"wk_test_parent", L"p", WS_OVERLAPPEDWINDOW, kRect));
    ASSERT_TRUE(button.CreateControl(L"BUTTON", 0, L"b", WS_CHILD, RECT{}, parent.m_hWnd, 1));
  }
  EXPECT_EQ(button.m_hWnd, nullptr);
  EXPECT_FALSE(button.DestroyWindow());
}

TEST(WkWnd, TimersByIdReachTheWindow) {
  Parent parent;
  ASSERT_TRUE(parent.CreateFrame(L"wk_test_parent", L"p", WS_OVERLAPPEDWINDOW, kRect));
  ASSERT_TRUE(parent.SetTimer(4567, 10));
  DWORD until = GetTickCount() + 3000;
  while (!parent.timers_seen && GetTickCount() < until) {
    pump();
    Sleep(5);
  }
  EXPECT_EQ(parent.last_timer, 4567u);
  EXPECT_TRUE(parent.KillTimer(4567));
  EXPECT_FALSE(parent.KillTimer(4567)) << "no such timer any more";
}

}  // namespace
