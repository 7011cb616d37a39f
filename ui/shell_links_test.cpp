// The links the windows open go through the real shell: the browser stand-in, registered as
// the handler of http addresses, reports what it was started with.
#include <gtest/gtest.h>

#include <string>

#include "net/qel_dlg_download_core.h"
#include "net/testing/port_agent.h"
#include "net/testing/test_servers.h"
#include "qel_lib/qel_assert_capture.h"
#include "res/resource.h"
#include "ui/dlg_download.h"
#include "ui/qel_dlg_about.h"
#include "ui/testing/port_download.h"
#include "winkit/testing/shell_browser_capture.h"
#include "winkit/testing/window_probe.h"
#include "winkit/wk_frame_wnd.h"

using net_testing::RunUntil;

namespace {

class ShellLinks : public testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(browser_.installed()); }
  void TearDown() override {
    EXPECT_EQ(capture_.count(), 0u) << (capture_.count() ? capture_.texts()[0] : "");
  }

  AssertCapture capture_;
  ShellBrowserCapture browser_{WkWindowsPath(QEL_BROWSER_SIM)};
};

// A server that goes away mid-download: the failure phase's link opens the download's own
// address in the browser and the dialog closes.
TEST_F(ShellLinks, TheFailedDownloadsLinkOpensItsAddress) {
  QEL_NEED_SERVER(port, "scripted");
  dlg_testing::PortDownload download = dlg_testing::start_port_download(port, u"/reset/2048/1000");
  ASSERT_TRUE(download.hwnd);
  HWND hwnd = download.hwnd;
  shared_ptr<DlgDownloadCore>& core = download.core;
  ASSERT_TRUE(RunUntil([&] { return core->phase() == phase_download_failed; }));
  EXPECT_EQ(WkReadControlText(hwnd), L"Download Error");
  EXPECT_EQ(WkReadDlgItemText(hwnd, IDC_DOWNLOAD_LINK), L"http://127.0.0.1/reset/2048/1000");

  SendMessageW(GetDlgItem(hwnd, IDC_DOWNLOAD_LINK), BM_CLICK, 0, 0);
  EXPECT_EQ(browser_.Wait(), "http://127.0.0.1/reset/2048/1000");
  EXPECT_FALSE(IsWindow(hwnd));
  DeleteFileW(reinterpret_cast<const wchar_t*>(core->file_name().c_str()));
}

TEST_F(ShellLinks, TheAboutBoxsHomePageOpensInTheBrowser) {
  WkFrameWnd parent;
  ASSERT_TRUE(
      parent.CreateFrame(L"shell_links_parent", L"p", WS_OVERLAPPEDWINDOW, RECT{0, 0, 300, 200}));
  shared_ptr<DlgAbout> about(new DlgAbout);
  ASSERT_TRUE(about->Create(parent.m_hWnd));
  SendMessageW(GetDlgItem(about->GetSafeHwnd(), IDC_ABOUT_LINK), BM_CLICK, 0, 0);
  EXPECT_EQ(browser_.Wait(), "http://www.quorvantine.com");
  EXPECT_TRUE(about->IsCreated()) << "the box stays open";
}

}  // namespace
