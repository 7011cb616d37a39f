#include <gtest/gtest.h>

#include "qel_lib/qel_assert_capture.h"
#include "res/resource.h"
#include "ui/qel_top_wnd.h"

namespace {

ZulUpdateEvt offer(bool succeeded, const char16_t* version) {
  ZulUpdateEvt e;
  e.mSucceeded = succeeded;
  e.mRecommendedVersion = version;
  e.mRecommendedVersionHost = u"www.quorvantine.com";
  e.mRecommendedVersionUrl = u"/setup.exe";
  return e;
}

TEST(MainWindowUpdate, OffersTheDownloadOnlyForANewerVersion) {
  AssertCapture capture;
  shared_ptr<CMyTopWnd> wnd(new CMyTopWnd);
  ASSERT_TRUE(wnd->create(1));
  const shared_ptr<ZulUpdateChecker>& checker = wnd->GetUpdateChecker();
  ASSERT_TRUE(checker.valid());
  EXPECT_FALSE(checker->IsChecking());  // 1000 days, no check at start

  for (const char16_t* version : {u"1.2.0.3", u"1.2.0.2", u"1.1"}) {
    ZulUpdateEvt e = offer(true, version);
    wnd->OnUpdateEvt(&e);
  }
  ZulUpdateEvt failed = offer(false, u"9.0");
  wnd->OnUpdateEvt(&failed);
  EXPECT_FALSE(checker->GetDownloadDialog().valid());

  // A text comparison would rank 1.10 below 1.2.0.3.
  ZulUpdateEvt newer = offer(true, u"1.10.0.0");
  wnd->OnUpdateEvt(&newer);
  ASSERT_TRUE(checker->GetDownloadDialog().valid());
  DlgDownloadCore* dlg = checker->GetDownloadDialog().get();
  EXPECT_EQ(dlg->phase(), phase_upgrade_confirm);
  HWND hwnd = FindWindowW(nullptr, L"Quorvantine for Msn Upgrade");
  ASSERT_NE(hwnd, nullptr);
  EXPECT_TRUE(IsWindowVisible(hwnd));

  wnd->Finalize();
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(wnd->GetUpdateChecker().valid());
  EXPECT_EQ(capture.count(), 0u) << (capture.count() ? capture.texts()[0] : "");
}

}  // namespace
