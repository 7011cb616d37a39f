#include "ui/dlg_download.h"

#include <gtest/gtest.h>

#include <commctrl.h>
#include <objidl.h>

#include <gdiplus.h>

#include <string>
#include <vector>

#include "net/qel_dlg_download_core.h"
#include "net/testing/scripted_socket.h"
#include "platform/event_loop.h"
#include "qel_lib/qel_assert_capture.h"
#include "res/resource.h"
#include "ui/qel_l10n_strings.h"
#include "winkit/testing/window_probe.h"

namespace {

// Accepts every installer; remembers what was asked.
class AcceptingSystem : public DlgDownloadSystem {
 public:
  explicit AcceptingSystem(std::vector<std::string>* calls) : calls_(calls) {}
  bool CreateTmpFile(std::u16string* path) override {
    *path = u"C:\\fake\\.ZulInstaller-1-2.exe";
    return true;
  }
  bool WriteTmpFile(const void*, uint32_t) override { return true; }
  void CloseTmpFile() override {}
  bool Hold(const std::u16string&) override { return held_ = true; }
  bool IsHeld() const override { return held_; }
  bool Inspect(const std::u16string&, platform::InstallerFacts* f) override {
    f->trust_status = f->policy_status = 0;
    f->chain_status = 0;
    f->code_signing_usage = true;
    f->organization = u"Corvelle Software";
    f->file_version = u"1.3.0.0";
    return true;
  }
  bool StartInstaller(const std::u16string&) override {
    calls_->push_back("start");
    return true;
  }
  void Release() override { held_ = false; }
  bool DeleteTmpFile(const std::u16string&) override { return true; }
  bool OpenWebAddress(const std::string& url) override {
    calls_->push_back("open " + url);
    return true;
  }

 private:
  std::vector<std::string>* calls_;
  bool held_ = false;
};

std::string narrow(const std::wstring& s) {
  return std::string(s.begin(), s.end());
}

// Notes the progress line and bar each time the state machine sets them.
class RecordingDialog : public DlgDownload {
 public:
  using DlgDownload::DlgDownload;
  void set_progress(int32_t percent, int32_t total_kb) override {
    DlgDownload::set_progress(percent, total_kb);
    shown.push_back(
        narrow(WkReadDlgItemText(m_hWnd, IDC_DOWNLOAD_LINE2)) + " " +
        std::to_string(SendDlgItemMessageW(m_hWnd, IDC_DOWNLOAD_PROGRESS, PBM_GETPOS, 0, 0)));
  }
  std::vector<std::string> shown;
};

// The dialog window on the real state machine, its agent on a scripted socket.
struct Dialog {
  explicit Dialog(const std::u16string& path = u"/setup.exe") {
    const wchar_t* exit_first = qel_l10n_get_string(IDS_EXIT_MSN_FIRST);
    qel_dlg_download_texts texts{
        u"Quorvantine for Msn", u"1.3.0.0", u"www.quorvantine.com", path,
        exit_first ? std::u16string(exit_first, exit_first + wcslen(exit_first)) : u""};
    auto window = std::make_unique<RecordingDialog>(texts);
    dlg = window.get();
    DlgDownloadCore::Args args{texts.product_name, texts.version, texts.host, 80, path, u"1.2.0.3"};
    core = shared_ptr<DlgDownloadCore>(new DlgDownloadCore(
        args, std::move(window), std::make_unique<AcceptingSystem>(&calls), [this] {
          return shared_ptr<ZulHttpAgent>(new ZulHttpAgent([this] {
            socket = shared_ptr<ScriptedSocket>(new ScriptedSocket);
            return ZulAsyncSocket(shared_ptr<ZulMyCAsyncSocketEx>(socket));
          }));
        }));
  }
  HWND hwnd() const { return dlg->m_hWnd; }
  std::string Text(int id) const { return narrow(WkReadDlgItemText(hwnd(), id)); }
  bool Visible(int id) const { return IsWindowVisible(GetDlgItem(hwnd(), id)) != 0; }
  std::string Caption() const {
    wchar_t buf[256] = {};
    GetWindowTextW(hwnd(), buf, 256);
    return narrow(buf);
  }
  void Click(int id) { SendMessageW(GetDlgItem(hwnd(), id), BM_CLICK, 0, 0); }
  // A key the way the message loop hands it to a modeless dialog.
  void Key(WPARAM vk) {
    MSG msg{};
    msg.hwnd = GetFocus();
    msg.message = WM_KEYDOWN;
    msg.wParam = vk;
    if (!IsDialogMessageW(hwnd(), &msg))
      DispatchMessageW(&msg);
  }
  void Connect() {
    socket->FireConnect();
    socket->FireSend();
  }

  RecordingDialog* dlg;
  shared_ptr<DlgDownloadCore> core;
  shared_ptr<ScriptedSocket> socket;
  std::vector<std::string> calls;
};

// With QEL_SCREENSHOTS set to a folder, the window as shown on screen goes there as a PNG.
void screenshot(HWND hwnd, const char* name) {
  const char* dir = std::getenv("QEL_SCREENSHOTS");
  if (!dir)
    return;
  UpdateWindow(hwnd);
  platform::run_loop_until([] { return false; }, 200);
  RECT r;
  GetWindowRect(hwnd, &r);
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, r.right - r.left, r.bottom - r.top);
  HGDIOBJ old = SelectObject(mem, bmp);
  BitBlt(mem, 0, 0, r.right - r.left, r.bottom - r.top, screen, r.left, r.top, SRCCOPY);
  SelectObject(mem, old);
  Gdiplus::GdiplusStartupInput input;
  ULONG_PTR token = 0;
  Gdiplus::GdiplusStartup(&token, &input, nullptr);
  {
    Gdiplus::Bitmap image(bmp, nullptr);
    CLSID png = {0x557cf406, 0x1a04, 0x11d3, {0x9a, 0x73, 0x00, 0x00, 0xf8, 0x1e, 0xf3, 0x2e}};
    std::string path = std::string(dir) + "/" + name + ".png";
    std::wstring wpath(path.begin(), path.end());
    image.Save(wpath.c_str(), &png, nullptr);
  }
  Gdiplus::GdiplusShutdown(token);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
}

TEST(DlgDownloadWindow, WalksThroughTheDownloadAsTheUserSeesIt) {
  AssertCapture capture;
  Dialog d;
  ASSERT_TRUE(d.core->Create());
  ASSERT_TRUE(IsWindowVisible(d.hwnd()));
  EXPECT_EQ(d.Caption(), "Quorvantine for Msn Upgrade");
  EXPECT_EQ(d.Text(IDC_DOWNLOAD_LINE1), "Quorvantine for Msn has a new version 1.3.0.0 now. ");
  EXPECT_EQ(d.Text(IDC_DOWNLOAD_LINE2), "Do you want to upgrade?");
  EXPECT_EQ(d.Text(IDC_DOWNLOAD_YES) + "|" + d.Text(IDC_DOWNLOAD_NO), "&Yes|&No");
  EXPECT_TRUE(d.Visible(IDC_DOWNLOAD_ICON));
  EXPECT_FALSE(d.Visible(IDC_DOWNLOAD_PROGRESS));
  EXPECT_FALSE(d.Visible(IDC_DOWNLOAD_LINK));
  screenshot(d.hwnd(), "download-1-upgrade");

  d.Click(IDC_DOWNLOAD_YES);
  ASSERT_EQ(d.core->phase(), phase_downloading);
  EXPECT_EQ(d.Caption(), "Downloading Quorvantine for Msn 1.3.0.0...");
  EXPECT_FALSE(d.Visible(IDC_DOWNLOAD_YES));
  EXPECT_EQ(d.Text(IDC_DOWNLOAD_NO), "Cancel");
  EXPECT_TRUE(d.Visible(IDC_DOWNLOAD_PROGRESS));
  d.Connect();
  d.socket->Deliver("HTTP/1.1 200 OK\r\nContent-Length: 2048\r\n\r\n");
  for (size_t n : {1000, 1000, 48}) {
    d.socket->Deliver(std::string(n, 'x'));
    if (d.dlg->shown.size() == 2)
      screenshot(d.hwnd(), "download-2-progress");
  }
  EXPECT_EQ(d.dlg->shown,
            (std::vector<std::string>{"48% of 2 KB downloaded. 48", "97% of 2 KB downloaded. 97",
                                      "100% of 2 KB downloaded. 100"}));

  ASSERT_EQ(d.core->phase(), phase_install_confirm);
  EXPECT_EQ(d.Caption(), "Upgrade Quorvantine for Msn");
  EXPECT_EQ(d.Text(IDC_DOWNLOAD_LINE1),
            "A new version 1.3.0.0 has been downloaded. Do you want to install it now?");
  EXPECT_EQ(d.Text(IDC_DOWNLOAD_LINE2), "Please exit MSN firstly before installation.");
  EXPECT_TRUE(d.Visible(IDC_DOWNLOAD_YES));
  EXPECT_FALSE(d.Visible(IDC_DOWNLOAD_PROGRESS));
  screenshot(d.hwnd(), "download-3-install");
  d.Key(VK_RETURN);  // Enter is Yes
  EXPECT_EQ(d.calls, std::vector<std::string>{"start"});
  EXPECT_FALSE(IsWindow(d.hwnd()));
  EXPECT_EQ(capture.count(), 0u);
}

TEST(DlgDownloadWindow, EscapeAndTheCloseBoxAnswerNo) {
  Dialog escape;
  ASSERT_TRUE(escape.core->Create());
  HWND hwnd = escape.hwnd();
  SetFocus(GetDlgItem(hwnd, IDC_DOWNLOAD_NO));
  escape.Key(VK_ESCAPE);
  EXPECT_FALSE(IsWindow(hwnd));
  EXPECT_FALSE(escape.socket.valid());  // no download was started

  Dialog close;
  ASSERT_TRUE(close.core->Create());
  close.Click(IDC_DOWNLOAD_YES);
  shared_ptr<ScriptedSocket> live = close.socket;
  hwnd = close.hwnd();
  SendMessageW(hwnd, WM_SYSCOMMAND, SC_CLOSE, 0);  // cancels the download
  EXPECT_TRUE(platform::run_loop_until([&] { return !IsWindow(hwnd); }, 5000));
  EXPECT_TRUE(live->closed);
}

TEST(DlgDownloadWindow, AFailedDownloadOffersTheLink) {
  AssertCapture capture;
  Dialog d(u"/files/setup.exe");
  ASSERT_TRUE(d.core->Create());
  d.Click(IDC_DOWNLOAD_YES);
  d.Connect();
  d.socket->Deliver("HTTP/1.1 200 OK\r\nContent-Length: 2048\r\n\r\n" + std::string(100, 'x'));
  d.socket->PeerClose();
  ASSERT_EQ(d.core->phase(), phase_download_failed);
  EXPECT_EQ(d.Caption(), "Download Error");
  EXPECT_TRUE(d.Visible(IDC_DOWNLOAD_LINK));
  EXPECT_FALSE(d.Visible(IDC_DOWNLOAD_LINE2));
  EXPECT_FALSE(d.Visible(IDC_DOWNLOAD_YES));
  EXPECT_EQ(d.Text(IDC_DOWNLOAD_LINK), "http://www.quorvantine.com/files/setup.exe");
  screenshot(d.hwnd(), "download-4-failed");
  d.Click(IDC_DOWNLOAD_LINK);
  EXPECT_EQ(d.calls, std::vector<std::string>{"open http://www.quorvantine.com/files/setup.exe"});
  EXPECT_FALSE(IsWindow(d.hwnd()));
  EXPECT_EQ(capture.count(), 0u);
}

}  // namespace
