#include "platform/installer.h"

#include "platform/win32/win.h"

#include <bcrypt.h>
#include <shellapi.h>
#include <softpub.h>
#include <wincrypt.h>
#include <wintrust.h>

#include <string>
#include <vector>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/verify_trust.h"

namespace platform {

struct InstallerFileTag {
  ScopedFileHandle handle;
};

namespace {

constexpr DWORD kTempPathChars = 26000;
constexpr int kCreateAttempts = 64;

std::u16string temp_folder() {
  std::vector<wchar_t> buf(kTempPathChars);
  DWORD n = GetTempPathW(kTempPathChars, buf.data());
  if (n == 0 || n >= kTempPathChars)
    return u"c:\\";
  return as_u16(buf.data());
}

std::u16string to_u16(const std::string& ascii) {
  return std::u16string(ascii.begin(), ascii.end());
}

bool random_number(int* out) {
  uint32_t r = 0;
  if (BCryptGenRandom(nullptr, reinterpret_cast<PUCHAR>(&r), sizeof r,
                      BCRYPT_USE_SYSTEM_PREFERRED_RNG) != 0)
    return false;
  *out = static_cast<int>(r & 0x7fffffff);
  return true;
}

struct CertStoreTraits {
  using Handle = HCERTSTORE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { CertCloseStore(h, 0); }
};
struct CryptMsgTraits {
  using Handle = HCRYPTMSG;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { CryptMsgClose(h); }
};
struct CertContextTraits {
  using Handle = PCCERT_CONTEXT;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { CertFreeCertificateContext(h); }
};
struct ChainTraits {
  using Handle = PCCERT_CHAIN_CONTEXT;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { CertFreeCertificateChain(h); }
};

// The certificate that signed the file, found in the signature's own store.
ScopedHandle<CertContextTraits> signer_certificate(const std::u16string& path,
                                                   ScopedHandle<CertStoreTraits>* store) {
  HCERTSTORE raw_store = nullptr;
  HCRYPTMSG raw_msg = nullptr;
  DWORD encoding = 0, content = 0, format = 0;
  if (!CryptQueryObject(CERT_QUERY_OBJECT_FILE, as_wide(path.c_str()),
                        CERT_QUERY_CONTENT_FLAG_PKCS7_SIGNED_EMBED, CERT_QUERY_FORMAT_FLAG_BINARY,
                        0, &encoding, &content, &format, &raw_store, &raw_msg, nullptr))
    return {};
  store->reset(raw_store);
  ScopedHandle<CryptMsgTraits> msg(raw_msg);
  DWORD size = 0;
  if (!CryptMsgGetParam(msg.get(), CMSG_SIGNER_INFO_PARAM, 0, nullptr, &size) || size == 0)
    return {};
  std::vector<BYTE> buf(size);
  if (!CryptMsgGetParam(msg.get(), CMSG_SIGNER_INFO_PARAM, 0, buf.data(), &size))
    return {};
  auto* signer = reinterpret_cast<CMSG_SIGNER_INFO*>(buf.data());
  CERT_INFO wanted = {};
  wanted.Issuer = signer->Issuer;
  wanted.SerialNumber = signer->SerialNumber;
  return ScopedHandle<CertContextTraits>(
      CertFindCertificateInStore(store->get(), X509_ASN_ENCODING | PKCS_7_ASN_ENCODING, 0,
                                 CERT_FIND_SUBJECT_CERT, &wanted, nullptr));
}

void check_chain(PCCERT_CONTEXT cert, HCERTSTORE extra, InstallerFacts* facts) {
  LPSTR usage = const_cast<LPSTR>(szOID_PKIX_KP_CODE_SIGNING);
  CERT_CHAIN_PARA para = {};
  para.cbSize = sizeof para;
  para.RequestedUsage.dwType = USAGE_MATCH_TYPE_AND;
  para.RequestedUsage.Usage.cUsageIdentifier = 1;
  para.RequestedUsage.Usage.rgpszUsageIdentifier = &usage;
  PCCERT_CHAIN_CONTEXT raw = nullptr;
  if (!CertGetCertificateChain(nullptr, cert, nullptr, extra, &para, 0, nullptr, &raw))
    return;
  ScopedHandle<ChainTraits> chain(raw);
  facts->chain_status = chain.get()->TrustStatus.dwErrorStatus;
  CERT_CHAIN_POLICY_PARA policy = {};
  policy.cbSize = sizeof policy;
  CERT_CHAIN_POLICY_STATUS status = {};
  status.cbSize = sizeof status;
  if (CertVerifyCertificateChainPolicy(CERT_CHAIN_POLICY_AUTHENTICODE, chain.get(), &policy,
                                       &status))
    facts->policy_status = static_cast<int32_t>(status.dwError);
}

// Only an explicit code-signing purpose counts: a certificate without the extension does not.
bool has_code_signing_usage(PCCERT_CONTEXT cert) {
  DWORD size = 0;
  if (!CertGetEnhancedKeyUsage(cert, CERT_FIND_EXT_ONLY_ENHKEY_USAGE_FLAG, nullptr, &size))
    return false;
  std::vector<BYTE> buf(size);
  auto* usage = reinterpret_cast<CERT_ENHKEY_USAGE*>(buf.data());
  if (!CertGetEnhancedKeyUsage(cert, CERT_FIND_EXT_ONLY_ENHKEY_USAGE_FLAG, usage, &size))
    return false;
  for (DWORD i = 0; i < usage->cUsageIdentifier; ++i)
    if (std::string(usage->rgpszUsageIdentifier[i]) == szOID_PKIX_KP_CODE_SIGNING)
      return true;
  return false;
}

std::u16string organization(PCCERT_CONTEXT cert) {
  wchar_t name[1024] = {};
  DWORD n = CertGetNameStringW(cert, CERT_NAME_ATTR_TYPE, 0,
                               const_cast<char*>(szOID_ORGANIZATION_NAME), name, 1024);
  return n > 1 ? std::u16string(as_u16(name)) : std::u16string();
}

std::u16string file_version(const std::u16string& path) {
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeW(as_wide(path.c_str()), &ignored);
  if (size == 0)
    return {};
  std::vector<BYTE> buf(size);
  if (!GetFileVersionInfoW(as_wide(path.c_str()), 0, size, buf.data()))
    return {};
  VS_FIXEDFILEINFO* info = nullptr;
  UINT len = 0;
  if (!VerQueryValueW(buf.data(), L"\\", reinterpret_cast<void**>(&info), &len) ||
      len < sizeof *info || info->dwSignature != 0xFEEF04BD)
    return {};
  std::string v = std::to_string(HIWORD(info->dwFileVersionMS)) + "." +
                  std::to_string(LOWORD(info->dwFileVersionMS)) + "." +
                  std::to_string(HIWORD(info->dwFileVersionLS)) + "." +
                  std::to_string(LOWORD(info->dwFileVersionLS));
  return to_u16(v);
}

}  // namespace

InstallerFile installer_create(std::u16string* path) {
  std::u16string folder = temp_folder();
  for (int attempt = 0; attempt < kCreateAttempts; ++attempt) {
    int first = 0, second = 0;
    if (!random_number(&first) || !random_number(&second))
      return nullptr;
    std::u16string candidate = folder + u".ZulInstaller-" + to_u16(std::to_string(first)) + u"-" +
                               to_u16(std::to_string(second)) + u".exe";
    // New, and nobody else writes while we do.
    HANDLE h = CreateFileW(as_wide(candidate.c_str()), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                           CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h != INVALID_HANDLE_VALUE) {
      *path = candidate;
      return new InstallerFileTag{ScopedFileHandle(h)};
    }
    DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
      return nullptr;
  }
  return nullptr;
}

bool installer_write(InstallerFile file, const void* data, uint32_t len) {
  const char* p = static_cast<const char*>(data);
  while (len > 0) {
    DWORD written = 0;
    if (!WriteFile(file->handle.get(), p, len, &written, nullptr) || written == 0)
      return false;
    p += written;
    len -= written;
  }
  return true;
}

InstallerFile installer_hold(const std::u16string& path) {
  HANDLE h = CreateFileW(as_wide(path.c_str()), GENERIC_READ, FILE_SHARE_READ, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE)
    return nullptr;
  return new InstallerFileTag{ScopedFileHandle(h)};
}

void installer_close(InstallerFile file) {
  delete file;
}

bool installer_delete(const std::u16string& path) {
  return DeleteFileW(as_wide(path.c_str())) != 0;
}

bool installer_inspect(InstallerFile held, const std::u16string& path, InstallerFacts* facts) {
  *facts = InstallerFacts();
  if (!held)
    return false;
  facts->trust_status = verify_trust(held->handle.get(), as_wide(path.c_str()));
  facts->file_version = file_version(path);
  ScopedHandle<CertStoreTraits> store;
  ScopedHandle<CertContextTraits> cert = signer_certificate(path, &store);
  if (!cert)
    return true;
  check_chain(cert.get(), store.get(), facts);
  facts->code_signing_usage = has_code_signing_usage(cert.get());
  facts->organization = organization(cert.get());
  return true;
}

bool installer_start(const std::u16string& path) {
  // Quoted, so that a folder name with a space cannot start a different program.
  std::u16string command = u"\"" + path + u"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(as_wide(path.c_str()), as_wide(command.data()), nullptr, nullptr, FALSE, 0,
                      nullptr, nullptr, &startup, &process))
    return false;
  ScopedKernelHandle thread(process.hThread);
  ScopedKernelHandle started(process.hProcess);
  return true;
}

bool open_web_address(const std::string& url) {
  SHELLEXECUTEINFOA info = {};
  info.cbSize = sizeof info;
  info.fMask = SEE_MASK_FLAG_NO_UI;
  info.lpVerb = "open";
  info.lpFile = url.c_str();
  info.nShow = SW_SHOWNORMAL;
  if (ShellExecuteExA(&info))
    return true;
  return reinterpret_cast<INT_PTR>(
             ShellExecuteA(nullptr, nullptr, "iexplore", url.c_str(), nullptr, SW_SHOWNORMAL)) > 32;
}

}  // namespace platform
