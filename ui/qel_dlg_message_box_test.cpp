#include "ui/qel_dlg_message_box.h"

#include <gtest/gtest.h>

#include <string>

#include "qel_lib/qel_assert.h"
#include "qel_lib/qel_ptr.h"
#include "res/resource.h"
#include "winkit/testing/window_probe.h"
#include "winkit/wk_frame_wnd.h"

namespace {

std::string g_report;
void keep_report(const char* text) {
  g_report = text;
}

class DlgMessageBoxTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(
        parent.CreateFrame(L"msgbox_test_parent", L"p", WS_OVERLAPPEDWINDOW, RECT{0, 0, 300, 200}));
    box = shared_ptr<DlgMessageBox>(new DlgMessageBox);
  }
  HWND item(int id) const { return GetDlgItem(box->GetSafeHwnd(), id); }
  std::wstring text(int id) const { return WkReadDlgItemText(box->GetSafeHwnd(), id); }

  WkFrameWnd parent;
  shared_ptr<DlgMessageBox> box;
};

TEST_F(DlgMessageBoxTest, ShowsTwoLinesTheWarningIconAndOnlyOk) {
  EXPECT_FALSE(box->IsCreated());
  ASSERT_TRUE(box->Create(L"First line", L"Second line", parent.m_hWnd, 16));
  ASSERT_TRUE(box->IsCreated());
  EXPECT_EQ(text(IDC_MSGBOX_LINE1), L"First line");
  EXPECT_EQ(text(IDC_MSGBOX_LINE2), L"Second line");
  EXPECT_TRUE(IsWindowVisible(item(IDC_MSGBOX_OK)));
  EXPECT_FALSE(IsWindowVisible(item(IDC_MSGBOX_CANCEL)));
  EXPECT_FALSE(IsWindowVisible(item(IDC_MSGBOX_RETRY)));
  EXPECT_TRUE(IsWindowVisible(item(IDC_MSGBOX_ICON)));
  EXPECT_NE(SendMessageW(item(IDC_MSGBOX_ICON), STM_GETICON, 0, 0), 0);
  EXPECT_EQ(GetParent(box->GetSafeHwnd()), parent.m_hWnd);
}

TEST_F(DlgMessageBoxTest, CreatedTwiceKeepsOneWindowWithTheLastTexts) {
  ASSERT_TRUE(box->Create(L"one", L"two", parent.m_hWnd, 16));
  HWND first = box->GetSafeHwnd();
  ASSERT_TRUE(box->Create(L"three", L"four", parent.m_hWnd, 16));
  EXPECT_EQ(box->GetSafeHwnd(), first);
  box->SetCaption(L"Failed to start recording.");
  HICON error = LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_HAND));
  box->SetIcon(error);
  EXPECT_EQ(text(IDC_MSGBOX_LINE1), L"three");
  EXPECT_EQ(text(IDC_MSGBOX_LINE2), L"four");
  EXPECT_EQ(WkReadControlText(first), L"Failed to start recording.");
  EXPECT_EQ(reinterpret_cast<HICON>(SendMessageW(item(IDC_MSGBOX_ICON), STM_GETICON, 0, 0)), error);
  box->SetIcon(nullptr);
  EXPECT_FALSE(IsWindowVisible(item(IDC_MSGBOX_ICON)));
  box->SetLines(L"five", nullptr);
  EXPECT_EQ(text(IDC_MSGBOX_LINE1), L"five");
  EXPECT_EQ(text(IDC_MSGBOX_LINE2), L"");
}

TEST_F(DlgMessageBoxTest, OkClosesItAndItCanComeBack) {
  ASSERT_TRUE(box->Create(L"one", L"two", parent.m_hWnd, 16));
  SendMessageW(box->GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(item(IDC_MSGBOX_OK)));
  EXPECT_FALSE(box->IsCreated());
  ASSERT_TRUE(box->Create(L"again", L"", parent.m_hWnd, 16));
  EXPECT_EQ(text(IDC_MSGBOX_LINE1), L"again");
  box->Destroy();
  EXPECT_FALSE(box->IsCreated());
  // On a box without a window every setter does nothing.
  box->SetLines(L"x", L"y");
  box->SetCaption(L"c");
  box->SetIcon(nullptr);
  EXPECT_FALSE(box->IsCreated());
}

TEST_F(DlgMessageBoxTest, WithoutAParentItIsNotCreated) {
  QelAssertSink previous = qel_set_assert_sink(keep_report);
  g_report.clear();
  EXPECT_FALSE(box->Create(L"one", L"two", nullptr, 16));
  qel_set_assert_sink(previous);
  EXPECT_FALSE(box->IsCreated());
  EXPECT_NE(g_report.find("assertion `_pParent' failed"), std::string::npos) << g_report;
}

}  // namespace
