#include "net/qel_dlg_download_core.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "net/testing/fake_download_view.h"
#include "net/testing/port_agent.h"
#include "net/testing/test_servers.h"
#include "qel_lib/qel_assert_capture.h"

using net_testing::RunFor;
using net_testing::RunUntil;

namespace {

// What the fake system saw; it outlives the dialog that owns it.
struct Record : DownloadViewRecord {
  std::string calls;  // the system calls in order
  std::map<std::u16string, std::string> files;
  std::u16string held;
  std::vector<std::string> urls;
  platform::InstallerFacts facts;
  // Applied at the second inspection (just before the start): a file swapped meanwhile.
  bool swap_before_start = false;
};

class FakeSystem : public DlgDownloadSystem {
 public:
  explicit FakeSystem(Record* r) : r_(r) {}
  bool CreateTmpFile(std::u16string* path) override {
    Call("create");
    *path = u"C:\\Users\\Ann Lee\\Temp\\.ZulInstaller-1-2.exe";
    r_->files[*path];
    open_ = *path;
    return true;
  }
  bool WriteTmpFile(const void* data, uint32_t len) override {
    if (!r_->calls.ends_with("write"))
      Call("write");
    r_->files[open_].append(static_cast<const char*>(data), len);
    return true;
  }
  void CloseTmpFile() override {
    if (!open_.empty())
      Call("close");
    open_.clear();
  }
  bool Hold(const std::u16string& path) override {
    Call("hold");
    r_->held = path;
    return r_->files.count(path) != 0;
  }
  bool IsHeld() const override { return !r_->held.empty(); }
  bool Inspect(const std::u16string& path, platform::InstallerFacts* facts) override {
    Call("inspect");
    if (r_->held != path)
      return false;
    *facts = r_->facts;
    if (inspections_++ == 1 && r_->swap_before_start)
      facts->trust_status = -2146869232;  // TRUST_E_BAD_DIGEST
    return true;
  }
  bool StartInstaller(const std::u16string& path) override {
    Call(r_->held == path ? "start" : "start-unheld");
    return true;
  }
  void Release() override {
    if (!r_->held.empty())
      Call("release");
    r_->held.clear();
  }
  bool DeleteTmpFile(const std::u16string& path) override {
    Call("delete");
    return r_->files.erase(path) != 0;
  }
  bool OpenWebAddress(const std::string& url) override {
    Call("url");
    r_->urls.push_back(url);
    return true;
  }

 private:
  void Call(const char* name) {
    if (!r_->calls.empty())
      r_->calls += " ";
    r_->calls += name;
  }
  Record* r_;
  std::u16string open_;
  int inspections_ = 0;
};

platform::InstallerFacts good_facts() {
  platform::InstallerFacts f;
  f.trust_status = 0;
  f.chain_status = 0;
  f.policy_status = 0;
  f.code_signing_usage = true;
  f.organization = u"Corvelle Software";
  f.file_version = u"1.3.0.0";
  return f;
}

// One dialog on fakes, downloading from the scripted server at path.
struct Dialog {
  Dialog(int port, const std::u16string& path) {
    record.facts = good_facts();
    auto v = std::make_unique<FakeDownloadView>(&record);
    view = v.get();
    DlgDownloadCore::Args args{
        u"Quorvantine for Msn", u"1.3.0.0", u"127.0.0.1", 80, path, u"1.2.0.3"};
    core = shared_ptr<DlgDownloadCore>(
        new DlgDownloadCore(args, std::move(v), std::make_unique<FakeSystem>(&record),
                            [port] { return shared_ptr<ZulHttpAgent>(new PortAgent(port)); }));
  }
  void Press(dlg_download_ui_cmd c) { view->Press(c); }
  bool WaitPhaseAfter2() {
    return RunUntil([&] { return core->phase() > phase_downloading || !record.window; }, 20000);
  }
  // Opens the dialog, answers Yes and runs until the download is over.
  ::testing::AssertionResult Download() {
    if (!core->Create())
      return ::testing::AssertionFailure() << "not created";
    Press(dlg_download_cmd_yes);
    if (!WaitPhaseAfter2())
      return ::testing::AssertionFailure() << "still in phase " << core->phase();
    return ::testing::AssertionSuccess();
  }
  Record record;
  FakeDownloadView* view;
  shared_ptr<DlgDownloadCore> core;
};

TEST(DlgDownloadCore, DownloadsVerifiesAndStartsTheInstaller) {
  QEL_NEED_SERVER(port, "scripted");
  AssertCapture capture;
  Dialog d(port, u"/chunks/1000,1000,48");
  ASSERT_TRUE(d.core->Create());
  EXPECT_EQ(d.core->phase(), phase_upgrade_confirm);
  d.Press(dlg_download_cmd_yes);
  EXPECT_EQ(d.core->phase(), phase_downloading);
  ASSERT_TRUE(d.WaitPhaseAfter2());
  EXPECT_EQ(d.record.progress,
            (std::vector<std::string>{"48% of 2 KB", "97% of 2 KB", "100% of 2 KB"}));
  EXPECT_EQ(d.record.phases, (std::vector<int>{1, 2, 3}));
  const std::string& bytes = d.record.files[d.core->file_name()];
  ASSERT_EQ(bytes.size(), 2048u);
  for (size_t i = 0; i < bytes.size(); ++i)
    ASSERT_EQ(static_cast<unsigned char>(bytes[i]), i % 251) << i;
  EXPECT_EQ(d.record.calls, "create write close hold inspect");
  d.Press(dlg_download_cmd_yes);
  // Checked again just before the start, and held from the first check until after it.
  EXPECT_EQ(d.record.calls, "create write close hold inspect inspect start release");
  EXPECT_FALSE(d.record.window);
  EXPECT_EQ(capture.count(), 0u);
}

// A server that sends more than it announced fills the file only to the announced length.
TEST(DlgDownloadCore, BytesPastTheAnnouncedLengthNeverReachTheFile) {
  QEL_NEED_SERVER(port, "scripted");
  AssertCapture capture;
  Dialog d(port, u"/over/" + DocPath(std::string(300, 'i')).substr(5) + u"/5000000");
  ASSERT_TRUE(d.Download());
  EXPECT_EQ(d.core->phase(), phase_install_confirm);
  EXPECT_EQ(d.record.files[d.core->file_name()], std::string(300, 'i'));
  EXPECT_EQ(capture.count(), 0u);
}

// Each way an installer can fall short: refused, deleted, never started.
TEST(DlgDownloadCore, RefusesInstallersThatFailAnyCheck) {
  QEL_NEED_SERVER(port, "scripted");
  struct Case {
    const char* name;
    void (*spoil)(platform::InstallerFacts*);
  } cases[] = {
      {"unsigned or changed", [](platform::InstallerFacts* f) { f->trust_status = -2146762496; }},
      {"untrusted root", [](platform::InstallerFacts* f) { f->chain_status = 0x20; }},
      {"policy", [](platform::InstallerFacts* f) { f->policy_status = -2146762487; }},
      {"not for code signing", [](platform::InstallerFacts* f) { f->code_signing_usage = false; }},
      {"other organisation", [](platform::InstallerFacts* f) { f->organization = u"Corvelle"; }},
      {"same version", [](platform::InstallerFacts* f) { f->file_version = u"1.2.0.3"; }},
      {"older version", [](platform::InstallerFacts* f) { f->file_version = u"1.1.9.9"; }},
      {"no version", [](platform::InstallerFacts* f) { f->file_version.clear(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    AssertCapture capture;
    Dialog d(port, u"/chunks/10,10");
    c.spoil(&d.record.facts);
    ASSERT_TRUE(d.Download());
    EXPECT_EQ(d.core->phase(), phase_download_failed);
    EXPECT_TRUE(d.record.not_verified);
    EXPECT_EQ(d.record.calls, "create write close hold inspect release delete");
    EXPECT_TRUE(d.record.files.empty());
    EXPECT_EQ(capture.count(), 0u);
  }
}

TEST(DlgDownloadCore, NewerVersionsCountAsNumbers) {
  platform::InstallerFacts f = good_facts();
  f.file_version = u"1.10.0.0";
  EXPECT_TRUE(DlgDownloadCore::IsAcceptable(f, u"1.2.0.3"));
  f.file_version = u"1.2.0.4";
  EXPECT_TRUE(DlgDownloadCore::IsAcceptable(f, u"1.2.0.3"));
}

TEST(DlgDownloadCore, FileSwappedBeforeYesIsNotStarted) {
  QEL_NEED_SERVER(port, "scripted");
  AssertCapture capture;
  Dialog d(port, u"/chunks/10,10");
  d.record.swap_before_start = true;
  ASSERT_TRUE(d.Download());
  ASSERT_EQ(d.core->phase(), phase_install_confirm);
  d.Press(dlg_download_cmd_yes);
  EXPECT_EQ(d.core->phase(), phase_download_failed);
  EXPECT_TRUE(d.record.not_verified);
  EXPECT_EQ(d.record.calls, "create write close hold inspect inspect release delete");
  EXPECT_TRUE(d.record.window);
}

TEST(DlgDownloadCore, NoAndEscapeInPhaseOneCloseWithoutDownloading) {
  Dialog d(1, u"/never");
  ASSERT_TRUE(d.core->Create());
  d.Press(dlg_download_cmd_no);
  EXPECT_FALSE(d.record.window);
  EXPECT_EQ(d.record.calls, "");
  EXPECT_EQ(d.record.phases, std::vector<int>{1});
}

TEST(DlgDownloadCore, CancelDuringTheDownloadKeepsThePartialFileAndHearsNoMore) {
  QEL_NEED_SERVER(port, "scripted");
  AssertCapture capture;
  Dialog d(port, u"/chunks/1000,1000,48");
  ASSERT_TRUE(d.core->Create());
  d.Press(dlg_download_cmd_yes);
  ASSERT_TRUE(RunUntil([&] { return !d.record.progress.empty(); }));
  d.Press(dlg_download_cmd_no);
  EXPECT_FALSE(d.record.window);
  EXPECT_EQ(d.record.calls, "create write close");
  RunFor(800);
  EXPECT_EQ(d.record.progress.size(), 1u);
  EXPECT_EQ(d.record.files.size(), 1u);
  EXPECT_EQ(d.record.files.begin()->second.size(), 1000u);
  EXPECT_EQ(capture.count(), 0u);
}

TEST(DlgDownloadCore, ServerGoingAwayOffersTheLink) {
  QEL_NEED_SERVER(port, "scripted");
  AssertCapture capture;
  Dialog d(port, u"/reset/5000/1000");
  ASSERT_TRUE(d.Download());
  EXPECT_EQ(d.core->phase(), phase_download_failed);
  EXPECT_FALSE(d.record.not_verified);
  d.Press(dlg_download_cmd_link);
  EXPECT_EQ(d.record.urls, std::vector<std::string>{"http://127.0.0.1/reset/5000/1000"});
  EXPECT_FALSE(d.record.window);
  EXPECT_EQ(capture.count(), 0u);
}

TEST(DlgDownloadCore, OversizedAnnouncementFailsBeforeAnyByteIsWritten) {
  QEL_NEED_SERVER(port, "scripted");
  Dialog d(port, u"/announce/536870913");
  ASSERT_TRUE(d.Download());
  EXPECT_EQ(d.core->phase(), phase_download_failed);
  EXPECT_EQ(d.record.calls, "");
}

TEST(DlgDownloadCore, NonOkStatusClosesTheWindowSilently) {
  QEL_NEED_SERVER(port, "scripted");
  AssertCapture capture;
  Dialog d(port, u"/not-found");
  ASSERT_TRUE(d.Download());
  EXPECT_FALSE(d.record.window);
  EXPECT_EQ(d.core->phase(), phase_downloading);
  EXPECT_EQ(d.record.calls, "");
  EXPECT_TRUE(capture.Has("DlgDownloadCore::OnHttpAgentEvt", "false"));
}

TEST(DlgDownloadCore, ReplyWithoutLengthStaysDownloading) {
  QEL_NEED_SERVER(port, "scripted");
  Dialog d(port, u"/no-length");
  ASSERT_TRUE(d.core->Create());
  d.Press(dlg_download_cmd_yes);
  RunFor(600);
  EXPECT_EQ(d.core->phase(), phase_downloading);
  EXPECT_TRUE(d.record.window);
  d.Press(dlg_download_cmd_no);
  EXPECT_FALSE(d.record.window);
}

TEST(DlgDownloadCore, CommandsAndEventsOutOfPhaseAreReportedAndIgnored) {
  AssertCapture capture;
  Dialog d(1, u"/never");
  ASSERT_TRUE(d.core->Create());
  d.Press(dlg_download_cmd_link);
  EXPECT_TRUE(capture.Has("DlgDownloadCore::on_dlg_ui_cmd", "m_phase == phase_download_failed"));
  d.Press(static_cast<dlg_download_ui_cmd>(9));
  EXPECT_TRUE(capture.Has("DlgDownloadCore::on_dlg_ui_cmd", "false"));
  d.Press(dlg_download_cmd_none);
  ZulHttpAgentEvt content;
  content.mType = ZulHttpAgentEvt::kContent;
  content.mContentLen = 3;
  content.mContent.Append("abc", 3);
  d.core->OnHttpAgentEvt(&content);
  EXPECT_TRUE(capture.Has("DlgDownloadCore::OnHttpAgentEvt", "m_phase == phase_downloading"));
  EXPECT_EQ(d.record.calls, "");
  EXPECT_EQ(d.core->phase(), phase_upgrade_confirm);
  EXPECT_TRUE(d.record.window);
}

}  // namespace
