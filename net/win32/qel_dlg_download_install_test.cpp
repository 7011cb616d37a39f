// The download dialog's state machine with the real system side under Wine: installers made
// and signed by the fixture (net/testdata/installer), served by nginx, verified with
// Authenticode and the signer chain against a test root in the user's root store.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/qel_dlg_download_core.h"
#include "net/testing/fake_download_view.h"
#include "net/testing/port_agent.h"
#include "net/testing/test_servers.h"
#include "platform/installer.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/win.h"
#include "qel_lib/qel_assert_capture.h"

#include <wincrypt.h>

using net_testing::RunUntil;

namespace {

std::wstring widen(const std::string& s) {
  return std::wstring(s.begin(), s.end());
}

// The fixture's folder of installers, as a Windows path.
std::wstring installers_folder() {
  const char* ports = std::getenv("QEL_NET_SERVERS");
  std::string dir = ports ? ports : "";
  dir = dir.substr(0, dir.rfind('/')) + "/www/installers";
  std::wstring w = L"Z:" + widen(dir);
  for (wchar_t& c : w)
    if (c == L'/')
      c = L'\\';
  return w;
}

bool exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

std::vector<BYTE> read_all(const std::wstring& path) {
  std::vector<BYTE> bytes;
  platform::ScopedFileHandle h(
      CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!h)
    return bytes;
  bytes.resize(GetFileSize(h.get(), nullptr));
  DWORD got = 0;
  ReadFile(h.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  bytes.resize(got);
  return bytes;
}

// The test root in the current user's root store for the lifetime of the object. Wine writes
// the store back (where the chain engine reads it) only when it is committed.
class TestRoot {
 public:
  explicit TestRoot(const std::wstring& der_path) {
    std::vector<BYTE> der = read_all(der_path);
    store_ = CertOpenStore(CERT_STORE_PROV_SYSTEM_W, 0, 0, CERT_SYSTEM_STORE_CURRENT_USER, L"ROOT");
    added_ = store_ && !der.empty() &&
             CertAddEncodedCertificateToStore(store_, X509_ASN_ENCODING, der.data(),
                                              static_cast<DWORD>(der.size()),
                                              CERT_STORE_ADD_REPLACE_EXISTING, &cert_) &&
             CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);
  }
  ~TestRoot() {
    if (cert_) {
      CertDeleteCertificateFromStore(cert_);  // frees the context too
      CertControlStore(store_, 0, CERT_STORE_CTRL_COMMIT, nullptr);
    }
    if (store_)
      CertCloseStore(store_, 0);
  }
  bool added() const { return added_; }

 private:
  HCERTSTORE store_ = nullptr;
  PCCERT_CONTEXT cert_ = nullptr;
  bool added_ = false;
};

struct Download {
  Download(int port, const std::string& name) {
    auto v = std::make_unique<FakeDownloadView>(&record);
    view = v.get();
    DlgDownloadCore::Args args{u"Quorvantine for Msn",
                               u"1.3.0.0",
                               u"127.0.0.1",
                               80,
                               u"/installers/" + std::u16string(name.begin(), name.end()),
                               u"1.2.0.3"};
    core = shared_ptr<DlgDownloadCore>(
        new DlgDownloadCore(args, std::move(v), qel_platform_download_system(),
                            [port] { return shared_ptr<ZulHttpAgent>(new PortAgent(port)); }));
  }
  // Yes in phase 1, then the download to its end.
  bool Fetch() {
    if (!core->Create())
      return false;
    view->Press(dlg_download_cmd_yes);
    bool ended = RunUntil([&] { return core->phase() > phase_downloading || !record.window; });
    path = reinterpret_cast<const wchar_t*>(core->file_name().c_str());
    return ended;
  }
  DownloadViewRecord record;
  FakeDownloadView* view;
  shared_ptr<DlgDownloadCore> core;
  std::wstring path;
};

bool wait_for(const std::wstring& path, unsigned ms) {
  return RunUntil([&] { return exists(path); }, ms);
}

void expect_started(Download& d) {
  ASSERT_EQ(d.core->phase(), phase_install_confirm);
  std::wstring path = d.path;
  ASSERT_TRUE(exists(path));
  // Held from the check until the start: nobody may write, rename or delete it.
  platform::ScopedFileHandle writer(CreateFileW(
      path.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, 0, nullptr));
  EXPECT_FALSE(writer);
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
  EXPECT_FALSE(MoveFileW(path.c_str(), (path + L".moved").c_str()));
  EXPECT_FALSE(DeleteFileW(path.c_str()));
  d.view->Press(dlg_download_cmd_yes);
  EXPECT_FALSE(d.record.window);
  EXPECT_TRUE(wait_for(path + L".ran", 15000)) << "installer not started";
}

std::string narrow(const std::u16string& s) {
  return std::string(s.begin(), s.end());
}

// What the platform reads from each file pins every refusal to its own reason.
void expect_facts(const std::wstring& folder) {
  struct Case {
    const char* name;
    bool trust, chain, policy, usage;
    const char* organization;
    const char* version;
  } cases[] = {
      {"good", true, true, true, true, "Corvelle Software", "1.3.0.0"},
      {"unsigned", false, false, false, false, "", "1.3.0.0"},
      {"tampered", false, true, true, true, "Corvelle Software", "1.3.0.0"},
      {"untrusted_root", true, false, false, true, "Corvelle Software", "1.3.0.0"},
      {"other_organisation", true, true, true, true, "Other Software", "1.3.0.0"},
      {"expired", true, false, false, true, "Corvelle Software", "1.3.0.0"},
      {"not_for_code_signing", true, false, false, false, "Corvelle Software", "1.3.0.0"},
      {"not_newer", true, true, true, true, "Corvelle Software", "1.2.0.3"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::wstring w = folder + L"\\" + widen(c.name) + L".exe";
    std::u16string path(reinterpret_cast<const char16_t*>(w.c_str()));
    platform::InstallerFile held = platform::installer_hold(path);
    ASSERT_NE(held, nullptr);
    platform::InstallerFacts f;
    EXPECT_TRUE(platform::installer_inspect(held, path, &f));
    platform::installer_close(held);
    EXPECT_EQ(f.trust_status == 0, c.trust) << std::hex << f.trust_status;
    EXPECT_EQ(f.chain_status == 0, c.chain) << std::hex << f.chain_status;
    EXPECT_EQ(f.policy_status == 0, c.policy) << std::hex << f.policy_status;
    EXPECT_EQ(f.code_signing_usage, c.usage);
    EXPECT_EQ(narrow(f.organization), c.organization);
    EXPECT_EQ(narrow(f.file_version), c.version);
    EXPECT_EQ(DlgDownloadCore::IsAcceptable(f, u"1.2.0.3"), std::string(c.name) == "good");
  }
}

TEST(InstallerVerification, OnlyTheGenuineNewerInstallerStarts) {
  QEL_NEED_SERVER(port, "nginx");
  AssertCapture capture;
  std::wstring folder = installers_folder();
  ASSERT_TRUE(exists(folder + L"\\good.exe")) << "the installer fixture did not run";
  TestRoot root(folder + L"\\test_root.der");
  ASSERT_TRUE(root.added());
  expect_facts(folder);

  for (const char* name : {"unsigned", "tampered", "untrusted_root", "other_organisation",
                           "expired", "not_for_code_signing", "not_newer"}) {
    SCOPED_TRACE(name);
    Download d(port, std::string(name) + ".exe");
    ASSERT_TRUE(d.Fetch());
    EXPECT_EQ(d.core->phase(), phase_download_failed);
    EXPECT_TRUE(d.record.not_verified);
    ASSERT_FALSE(d.path.empty());
    EXPECT_FALSE(exists(d.path)) << "refused file left on disk";
    d.view->Press(dlg_download_cmd_no);
    EXPECT_FALSE(exists(d.path + L".ran"));
  }

  {
    SCOPED_TRACE("genuine");
    Download d(port, "good.exe");
    ASSERT_TRUE(d.Fetch());
    expect_started(d);
  }

  {
    // A temporary folder under a name with a space: the quoted path starts the right file,
    // not "<temp>\Ann.exe".
    SCOPED_TRACE("space in the temporary folder");
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    std::wstring base = temp;
    std::wstring spaced = base + L"Ann Lee\\";
    CreateDirectoryW(spaced.c_str(), nullptr);
    std::wstring decoy = base + L"Ann.exe";
    ASSERT_TRUE(CopyFileW((folder + L"\\good.exe").c_str(), decoy.c_str(), FALSE));
    SetEnvironmentVariableW(L"TMP", spaced.c_str());
    SetEnvironmentVariableW(L"TEMP", spaced.c_str());
    Download d(port, "good.exe");
    ASSERT_TRUE(d.Fetch());
    SetEnvironmentVariableW(L"TMP", base.c_str());
    SetEnvironmentVariableW(L"TEMP", base.c_str());
    EXPECT_EQ(d.path.rfind(spaced, 0), 0u);
    expect_started(d);
    EXPECT_FALSE(exists(decoy + L".ran"));
    DeleteFileW(decoy.c_str());
  }
  EXPECT_EQ(capture.count(), 0u) << (capture.count() ? capture.texts()[0] : "");
}

}  // namespace
