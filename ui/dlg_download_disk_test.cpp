// The download dialog on a real temporary file under Wine: what the user's Cancel leaves on
// disk, and that nobody else may write the file while it arrives.
#include <gtest/gtest.h>

#include <string>

#include "net/testing/test_servers.h"
#include "platform/win32/scoped_handle.h"
#include "qel_lib/qel_assert_capture.h"
#include "res/resource.h"
#include "ui/testing/port_download.h"
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
  dlg_testing::PortDownload download =
      dlg_testing::start_port_download(port, u"/chunks/1000,1000,48");
  ASSERT_TRUE(download.hwnd);
  HWND hwnd = download.hwnd;
  shared_ptr<DlgDownloadCore>& core = download.core;
  ASSERT_TRUE(RunUntil(
      [&] { return WkReadDlgItemText(hwnd, IDC_DOWNLOAD_LINE2) == L"48% of 2 KB downloaded."; }));

  std::wstring file = reinterpret_cast<const wchar_t*>(core->file_name().c_str());
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  EXPECT_EQ(file.rfind(std::wstring(temp) + L".ZulInstaller-", 0), 0u) << file;
  EXPECT_EQ(file.substr(file.size() - 4), L".exe");
  platform::ScopedFileHandle writer(CreateFileW(file.c_str(), GENERIC_WRITE,
                                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                                OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(writer) << "others may write the file while it arrives";

  SendMessageW(GetDlgItem(hwnd, IDC_DOWNLOAD_NO), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindow(hwnd));
  RunFor(800);  // the rest of the reply would have come by now
  EXPECT_EQ(file_size(file), 1000u);
  {
    platform::ScopedFileHandle alone(
        CreateFileW(file.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr));
    EXPECT_TRUE(alone) << "the dialog still holds the file";
  }
  DeleteFileW(file.c_str());
  EXPECT_EQ(capture.count(), 0u) << (capture.count() ? capture.texts()[0] : "");
}

}  // namespace
