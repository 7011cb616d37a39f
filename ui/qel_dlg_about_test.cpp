#include "ui/qel_dlg_about.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "qel_lib/qel_ptr.h"
#include "res/resource.h"
#include "ui/qel_l10n_strings.h"
#include "winkit/testing/window_probe.h"
#include "winkit/wk_frame_wnd.h"

namespace {

class DlgAboutTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(
        parent.CreateFrame(L"about_test_parent", L"p", WS_OVERLAPPEDWINDOW, RECT{0, 0, 300, 200}));
    about = shared_ptr<DlgAbout>(new DlgAbout);
    // No browser in tests: the shell call is recorded instead.
    about->GetDlg()->SetLinkOpener([this](const std::wstring& address) {
      opened.push_back(address);
      return true;
    });
  }
  std::wstring text(int id) const { return WkReadDlgItemText(about->GetSafeHwnd(), id); }

  WkFrameWnd parent;
  shared_ptr<DlgAbout> about;
  std::vector<std::wstring> opened;
};

TEST_F(DlgAboutTest, ShowsBannerVersionNoticeAndHomePage) {
  ASSERT_TRUE(about->Create(parent.m_hWnd));
  EXPECT_EQ(WkReadControlText(about->GetSafeHwnd()), L"About");
  EXPECT_EQ(text(IDC_ABOUT_VERSION), L"Version 1.2.0.3");
  EXPECT_EQ(text(IDC_ABOUT_NOTICE), qel_l10n_get_string(IDS_OWNER_NOTICE));
  EXPECT_FALSE(text(IDC_ABOUT_NOTICE).empty());
  EXPECT_EQ(text(IDC_ABOUT_HOME_PAGE_LABEL), L"Home Page:");
  EXPECT_EQ(text(IDC_ABOUT_BLANK), L"   ");
  EXPECT_EQ(text(IDC_ABOUT_LINK), L"http://www.quorvantine.com");
  HWND picture = GetDlgItem(about->GetSafeHwnd(), IDC_ABOUT_PICTURE);
  EXPECT_NE(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
}

TEST_F(DlgAboutTest, LinkIsBlueAndOpensTheHomePageThroughTheShell) {
  ASSERT_TRUE(about->Create(parent.m_hWnd));
  HWND link = GetDlgItem(about->GetSafeHwnd(), IDC_ABOUT_LINK);
  WkPixels pixels = WkRenderClient(link);
  EXPECT_GT(pixels.count(RGB(0, 0, 224)), 0);
  EXPECT_GT(pixels.count(RGB(255, 255, 255)), pixels.width * pixels.height / 2)
      << "white background";
  SendMessageW(link, BM_CLICK, 0, 0);
  ASSERT_EQ(opened.size(), 1u);
  EXPECT_EQ(opened[0], L"http://www.quorvantine.com");
  EXPECT_TRUE(about->IsCreated()) << "the box stays open";
}

TEST_F(DlgAboutTest, EnterOnTheFocusedLinkOpensItInsteadOfClosingTheBox) {
  ASSERT_TRUE(about->Create(parent.m_hWnd));
  HWND link = GetDlgItem(about->GetSafeHwnd(), IDC_ABOUT_LINK);
  SetFocus(link);
  MSG enter = {};
  enter.hwnd = link;
  enter.message = WM_KEYDOWN;
  enter.wParam = VK_RETURN;
  EXPECT_TRUE(IsDialogMessageW(about->GetSafeHwnd(), &enter));
  EXPECT_EQ(opened.size(), 1u);
  EXPECT_TRUE(about->IsCreated());
}

TEST_F(DlgAboutTest, SecondRequestReusesTheWindowAndOkCloses) {
  ASSERT_TRUE(about->Create(parent.m_hWnd));
  HWND first = about->GetSafeHwnd();
  ASSERT_TRUE(about->Create(parent.m_hWnd));
  EXPECT_EQ(about->GetSafeHwnd(), first);
  SendMessageW(first, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
  EXPECT_FALSE(about->IsCreated());
  ASSERT_TRUE(about->Create(parent.m_hWnd)) << "created again after it was closed";
  SendMessageW(GetDlgItem(about->GetSafeHwnd(), IDC_ABOUT_LINK), BM_CLICK, 0, 0);
  EXPECT_EQ(opened.size(), 1u) << "the link works in the new window too";
}

}  // namespace
