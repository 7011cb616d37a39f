#include "ui/ox_tool_tip_ctrl.h"

#include <gtest/gtest.h>

#include <commctrl.h>

#include "winkit/wk_frame_wnd.h"

namespace {

constexpr UINT kRecordId = 32780;
constexpr UINT kStopId = 32776;

// Answers the text request the way the main window does: by control id, into the buffer.
class Owner : public WkFrameWnd {
 public:
  int requests = 0;
  UINT_PTR last_id = 0;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) override {
    if (msg == WM_NOTIFY && reinterpret_cast<NMHDR*>(lparam)->code == TTN_NEEDTEXTW) {
      auto* info = reinterpret_cast<NMTTDISPINFOW*>(lparam);
      ++requests;
      last_id = info->hdr.idFrom;
      if (info->hdr.idFrom == kRecordId)
        wcscpy(info->szText, L"Record");
      return 0;
    }
    return WkFrameWnd::OnMessage(msg, wparam, lparam);
  }
};

MSG mouse(HWND hwnd, UINT message, int x, int y) {
  MSG msg = {};
  msg.hwnd = hwnd;
  msg.message = message;
  msg.lParam = MAKELPARAM(x, y);
  return msg;
}

MSG mouse_move(HWND hwnd, int x, int y) {
  return mouse(hwnd, WM_MOUSEMOVE, x, y);
}

class ToolTipTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(
        owner.CreateFrame(L"tip_test_owner", L"o", WS_OVERLAPPEDWINDOW, RECT{0, 0, 300, 200}));
    record = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE, 10, 10, 60, 50, owner.m_hWnd,
                             nullptr, nullptr, nullptr);
    stop = CreateWindowExW(0, L"BUTTON", L"", WS_CHILD | WS_VISIBLE, 80, 10, 60, 50, owner.m_hWnd,
                           nullptr, nullptr, nullptr);
    ASSERT_TRUE(tip.Create(owner.m_hWnd));
    ASSERT_TRUE(tip.AddTool(record, LPSTR_TEXTCALLBACKW, nullptr, kRecordId));
    ASSERT_TRUE(tip.AddTool(stop, LPSTR_TEXTCALLBACKW, nullptr, kStopId));
  }
  Owner owner;
  HWND record = nullptr;
  HWND stop = nullptr;
  COXToolTipCtrl tip;
};

TEST_F(ToolTipTest, TextIsAskedFromTheOwnerByToolId) {
  MSG over_record = mouse_move(record, 5, 5);
  tip.RelayEvent(&over_record);
  ASSERT_NE(tip.GetCurrentTool(), nullptr);
  EXPECT_EQ(tip.GetCurrentTool()->id, kRecordId);
  EXPECT_EQ(owner.requests, 0) << "nothing is asked before the tip shows";
  EXPECT_TRUE(tip.ShowTip());
  EXPECT_EQ(owner.last_id, kRecordId);
  EXPECT_EQ(tip.GetShownText(), L"Record");
  EXPECT_TRUE(tip.IsShowing());

  // The owner does not answer for Stop here: no tip at all.
  MSG over_stop = mouse_move(stop, 5, 5);
  tip.RelayEvent(&over_stop);
  EXPECT_FALSE(tip.IsShowing()) << "moving to another tool hides the old tip";
  EXPECT_FALSE(tip.ShowTip());
  EXPECT_EQ(owner.last_id, kStopId);
}

TEST_F(ToolTipTest, ShowsAfterTheInitialDelayAndLeavesWithTheCursor) {
  tip.SetDelays(30, 5000, 30);
  MSG over_record = mouse_move(record, 5, 5);
  tip.RelayEvent(&over_record);
  DWORD until = GetTickCount() + 2000;
  MSG msg;
  while (!tip.IsShowing() && GetTickCount() < until) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageW(&msg);
    Sleep(5);
  }
  ASSERT_TRUE(tip.IsShowing());
  RECT rect;
  GetWindowRect(tip.m_hWnd, &rect);
  POINT cursor;
  GetCursorPos(&cursor);
  EXPECT_TRUE(rect.top == cursor.y + 20 || rect.bottom == cursor.y) << "below the cursor";

  // Off every tool (onto the owner's own client area) the tip goes away.
  MSG over_owner = mouse_move(owner.m_hWnd, 250, 150);
  tip.RelayEvent(&over_owner);
  EXPECT_FALSE(tip.IsShowing());
  EXPECT_EQ(tip.GetCurrentTool(), nullptr);
}

TEST_F(ToolTipTest, FixedTextsRectanglesAndClicks) {
  RECT left_half = {0, 0, 30, 50};
  HWND panel = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 150, 10, 60, 50,
                               owner.m_hWnd, nullptr, nullptr, nullptr);
  ASSERT_TRUE(tip.AddTool(panel, L"Fixed", &left_half, 7));
  MSG right_part = mouse_move(panel, 40, 5);
  tip.RelayEvent(&right_part);
  EXPECT_EQ(tip.GetCurrentTool(), nullptr) << "outside the tool's rectangle";
  MSG left_part = mouse_move(panel, 10, 5);
  tip.RelayEvent(&left_part);
  ASSERT_TRUE(tip.ShowTip());
  EXPECT_EQ(tip.GetShownText(), L"Fixed");
  EXPECT_EQ(owner.requests, 0);
  MSG click = mouse(panel, WM_LBUTTONDOWN, 10, 5);
  tip.RelayEvent(&click);
  EXPECT_FALSE(tip.IsShowing());
  tip.DelTool(panel, 7);
  EXPECT_EQ(tip.GetToolCount(), 2);
}

}  // namespace
