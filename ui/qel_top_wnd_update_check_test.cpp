// The main window's update check against the scripted server on 127.0.0.1: what the user
// sees after the checker has fetched a version document, or failed to.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "library/qel_app_constants.h"
#include "net/testing/port_agent.h"
#include "net/testing/test_servers.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/win.h"
#include "qel_lib/qel_assert_capture.h"
#include "res/resource.h"
#include "ui/qel_top_wnd.h"
#include "winkit/testing/window_probe.h"

using net_testing::RunFor;
using net_testing::RunUntil;

namespace {

// Sends the checker's request for the update host to a server on 127.0.0.1, with the
// document the test chose, and remembers what was asked for.
class RedirectAgent : public ZulHttpAgent {
 public:
  RedirectAgent(int port, std::u16string path, std::vector<std::u16string>* asked)
      : mPort(port), mPath(std::move(path)), mAsked(asked) {}
  bool Start(int32_t method,
             const std::u16string& host,
             int32_t port,
             const std::u16string& path,
             const ZulData& post_data) override {
    std::string port_text = std::to_string(port);
    mAsked->push_back(host + u":" + std::u16string(port_text.begin(), port_text.end()) + path);
    return ZulHttpAgent::Start(method, u"127.0.0.1", mPort, mPath, post_data);
  }

 private:
  int mPort;
  std::u16string mPath;
  std::vector<std::u16string>* mAsked;
};

// A port on 127.0.0.1 that nobody listens on.
int refused_port() {
  SOCKET s = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in a = {};
  a.sin_family = AF_INET;
  a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  bind(s, reinterpret_cast<sockaddr*>(&a), sizeof a);
  int len = sizeof a;
  getsockname(s, reinterpret_cast<sockaddr*>(&a), &len);
  closesocket(s);
  return ntohs(a.sin_port);
}

constexpr char kUpdateKey[] = "Software\\Corvelle Software\\Quorvantine for Msn\\update_checker";

// "first_check" as the registry holds it: -1 when missing.
int first_check_value() {
  DWORD v = 0, size = sizeof v;
  if (RegGetValueA(HKEY_CURRENT_USER, kUpdateKey, "first_check", RRF_RT_REG_DWORD, nullptr, &v,
                   &size) != ERROR_SUCCESS)
    return -1;
  return static_cast<int>(v);
}

void forget_first_check() {
  HKEY key;
  if (RegOpenKeyExA(HKEY_CURRENT_USER, kUpdateKey, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS)
    return;
  RegDeleteValueA(platform::ScopedRegKey(key).get(), "first_check");
}

BOOL CALLBACK collect_visible_dialog(HWND hwnd, LPARAM out) {
  wchar_t cls[32] = {};
  GetClassNameW(hwnd, cls, 32);
  if (IsWindowVisible(hwnd) && std::wstring(cls) == L"#32770")
    reinterpret_cast<std::vector<HWND>*>(out)->push_back(hwnd);
  return TRUE;
}

// Every dialog this thread shows: message boxes and the download dialog alike.
std::vector<HWND> visible_dialogs() {
  std::vector<HWND> found;
  EnumThreadWindows(GetCurrentThreadId(), collect_visible_dialog, reinterpret_cast<LPARAM>(&found));
  return found;
}

std::u16string version_doc(const std::string& version) {
  return DocPath("<recommended_version>" + version +
                 "</recommended_version>"
                 "<recommended_version_host>127.0.0.1</recommended_version_host>"
                 "<recommended_version_url>/setup.exe</recommended_version_url>");
}

class Listener : public ZulIObject {
 public:
  void OnUpdateEvt(const ZulUpdateEvt* e) { succeeded.push_back(e->mSucceeded); }
  ObserverAdapter<Listener, ZulUpdateSubject> adapter;
  std::vector<bool> succeeded;
};

// The real main window and its checker, whose requests go to 127.0.0.1.
class MainWindowUpdateCheck : public testing::Test {
 protected:
  void SetUp() override {
    forget_first_check();
    wnd_ = shared_ptr<CMyTopWnd>(new CMyTopWnd);
    ASSERT_TRUE(wnd_->create(1));
    checker_ = wnd_->GetUpdateChecker();
    ASSERT_TRUE(checker_.valid());
    listener_->adapter.Bind(listener_, &Listener::OnUpdateEvt);
    checker_->Attach(&listener_->adapter);
  }
  void TearDown() override {
    if (checker_.valid())
      checker_->Detach(&listener_->adapter);
    wnd_->Finalize();
    forget_first_check();
    EXPECT_EQ(capture_.count(), 0u) << (capture_.count() ? capture_.texts()[0] : "");
  }
  // Points the next checks at port with the document at path.
  void Serve(int port, const std::u16string& path) {
    checker_->SetAgentFactory([this, port, path] {
      return shared_ptr<ZulHttpAgent>(new RedirectAgent(port, path, &asked_));
    });
  }
  // Runs the loop until the check has ended, then a little longer for anything it shows.
  void Finish() {
    ASSERT_TRUE(RunUntil([this] { return !checker_->IsChecking(); }));
    RunFor(300);
  }
  const std::vector<bool>& events() const { return listener_->succeeded; }

  AssertCapture capture_;
  shared_ptr<CMyTopWnd> wnd_;
  shared_ptr<ZulUpdateChecker> checker_;
  shared_ptr<Listener> listener_{new Listener};
  std::vector<std::u16string> asked_;
};

TEST_F(MainWindowUpdateCheck, ANewerVersionOnTheServerOpensTheDownloadDialog) {
  QEL_NEED_SERVER(port, "scripted");
  Serve(port, version_doc("1.3.0.0"));
  checker_->CheckNow();
  HWND dlg = nullptr;
  ASSERT_TRUE(RunUntil([&] {
    dlg = FindWindowW(L"#32770", L"Quorvantine for Msn Upgrade");
    return dlg && IsWindowVisible(dlg);
  }));
  // The first check asks the update host on port 80 for the first-check document.
  EXPECT_EQ(asked_, std::vector<std::u16string>{
                        u"www.quorvantine.com:80/quorvantine_msn_version_first_check.xml"});
  EXPECT_EQ(first_check_value(), 0);
  EXPECT_EQ(WkReadDlgItemText(dlg, IDC_DOWNLOAD_LINE1),
            L"Quorvantine for Msn has a new version 1.3.0.0 now. ");
  EXPECT_EQ(WkReadDlgItemText(dlg, IDC_DOWNLOAD_LINE2), L"Do you want to upgrade?");
  EXPECT_EQ(WkReadDlgItemText(dlg, IDC_DOWNLOAD_YES), L"&Yes");
  EXPECT_EQ(WkReadDlgItemText(dlg, IDC_DOWNLOAD_NO), L"&No");
  EXPECT_EQ(visible_dialogs(), std::vector<HWND>{dlg}) << "no message box beside it";

  // The next check asks for the regular document; a second offer replaces the first dialog.
  Serve(port, version_doc("1.10.0.0"));
  checker_->CheckNow();
  ASSERT_TRUE(RunUntil([&] { return !IsWindow(dlg); }));
  Finish();
  EXPECT_EQ(asked_.back(), u"www.quorvantine.com:80/quorvantine_msn_version.xml");
  std::vector<HWND> shown = visible_dialogs();
  ASSERT_EQ(shown.size(), 1u);
  EXPECT_EQ(WkReadDlgItemText(shown[0], IDC_DOWNLOAD_LINE1),
            L"Quorvantine for Msn has a new version 1.10.0.0 now. ");

  SendMessageW(GetDlgItem(shown[0], IDC_DOWNLOAD_NO), BM_CLICK, 0, 0);
  EXPECT_TRUE(visible_dialogs().empty());
  EXPECT_EQ(events(), (std::vector<bool>{true, true}));
}

TEST_F(MainWindowUpdateCheck, TheRunningVersionOnTheServerShowsNothing) {
  QEL_NEED_SERVER(port, "scripted");
  for (const char* version : {"1.2.0.3", "1.2.0.2", "1.2"}) {
    Serve(port, version_doc(version));
    checker_->CheckNow();
    Finish();
    EXPECT_TRUE(visible_dialogs().empty()) << version;
  }
  EXPECT_EQ(events(), (std::vector<bool>{true, true, true}));
  EXPECT_FALSE(checker_->GetDownloadDialog().valid());
}

// Asked for or automatic, a check that cannot reach the server tells the user nothing.
TEST_F(MainWindowUpdateCheck, AFailedCheckShowsNothing) {
  Serve(refused_port(), version_doc("1.3.0.0"));
  checker_->CheckNow();
  Finish();
  EXPECT_EQ(events(), std::vector<bool>{false});
  EXPECT_TRUE(visible_dialogs().empty());

  // The automatic check, one period after Create, through the same timer as the 1000 days.
  checker_->Finalize();
  ASSERT_TRUE(checker_->Create(
      g_qel_site_addresses[kQelSiteUpdateHost].wide, g_qel_site_addresses[kQelSiteVersionPath].wide,
      g_qel_site_addresses[kQelSiteFirstCheckPath].wide, std::chrono::milliseconds(300), false));
  ASSERT_TRUE(RunUntil([this] { return events().size() == 2; }));
  Finish();
  EXPECT_EQ(events(), (std::vector<bool>{false, false}));
  EXPECT_TRUE(visible_dialogs().empty());
  EXPECT_EQ(first_check_value(), -1) << "a failure leaves the first check to come";
}

}  // namespace
