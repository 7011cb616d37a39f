// The download dialog on a real temporary file under Wine: what the user's Cancel leaves on
// disk, and that nobody else may write the file while it arrives.
#include <gtest/gtest.h>

#include <string>

#include "net/qel_dlg_download_core.h"
#include "net/testing/port_agent.h"
#include "net/testing/test_servers.h"
#include "qel_lib/qel_assert_capture.h"
#include "res/resource.h"
#include "ui/dlg_download.h"
#include "winkit/testing/window_probe.h"

using net_testing::RunFor;
using net_testing::RunUntil;

namespace {

DWORD file_size(const std::wstring& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data))
    return ~0u;
  return data.nFileSizeLow;
}

TEST(DlgDownloadOnDisk, CancelLeavesThePartialFileClosedAndHearsNoMore) {
  QEL_NEED_SERVER(port, "scripted");
  AssertCapture capture;
  const std::u16string path = u"/chunks/1000,1000,48";
  qel_dlg_download_texts texts{u"Quorvantine for Msn", u"1.3.0.0", u"127.0.0.1", path, u""};
  auto window = std::make_unique<DlgDownload>(texts);
  DlgDownload* dlg = window.get();
  DlgDownloadCore::Args args{texts.product_name, texts.version, texts.host, 80, path, u"1.2.0.3"};
  shared_ptr<DlgDownloadCore> core(
      new DlgDownloadCore(args, std::move(window), qel_platform_download_system(),
                          [port] { return shared_ptr<ZulHttpAgent>(new PortAgent(port)); }));
  ASSERT_TRUE(core->Create());
  HWND hwnd = dlg->m_hWnd;
  SendMessageW(GetDlgItem(hwnd, IDC_DOWNLOAD_YES), BM_CLICK, 0, 0);
  ASSERT_TRUE(RunUntil(
      [&] { return WkReadDlgItemText(hwnd, IDC_DOWNLOAD_LINE2) == L"48% of 2 KB downloaded."; }));

  std::wstring file = reinterpret_cast<const wchar_t*>(core->file_name().c_str());
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  EXPECT_EQ(file.rfind(std::wstring(temp) + L".ZulInstaller-", 0), 0u) << file;
  EXPECT_EQ(file.substr(file.size() - 4), L".exe");
  HANDLE writer = CreateFileW(file.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                              nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_EQ(writer, INVALID_HANDLE_VALUE) << "others may write the file while it arrives";
  if (writer != INVALID_HANDLE_VALUE)
    CloseHandle(writer);

  SendMessageW(GetDlgItem(hwnd, IDC_DOWNLOAD_NO), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindow(hwnd));
  RunFor(800);  // the rest of the reply would have come by now
  EXPECT_EQ(file_size(file), 1000u);
  HANDLE alone = CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  EXPECT_NE(alone, INVALID_HANDLE_VALUE) << "the dialog still holds the file";
  if (alone != INVALID_HANDLE_VALUE)
    CloseHandle(alone);
  DeleteFileW(file.c_str());
  EXPECT_EQ(capture.count(), 0u) << (capture.count() ? capture.texts()[0] : "");
}

}  // namespace
