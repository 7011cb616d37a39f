// Certificates: the peer's, described for the owner's decision, and the server side's own,
// loaded from files or made fresh.
#include <cstring>

#include "net/async_ssl_socket_layer.h"

using namespace qel_ssl;

namespace {

void ReadName(const SslFunctions& f,
              const X509_NAME* name,
              std::vector<std::pair<std::string, std::string>>* out) {
  int count = name ? f.X509_NAME_entry_count(name) : 0;
  for (int i = 0; i < count; ++i) {
    X509_NAME_ENTRY* entry = f.X509_NAME_get_entry(name, i);
    const char* field = f.OBJ_nid2sn(f.OBJ_obj2nid(f.X509_NAME_ENTRY_get_object(entry)));
    unsigned char* value = nullptr;
    int length = f.ASN1_STRING_to_UTF8(&value, f.X509_NAME_ENTRY_get_data(entry));
    if (length < 0)
      continue;
    out->emplace_back(field ? field : "", std::string(reinterpret_cast<char*>(value), length));
    f.CRYPTO_free(value, __FILE__, __LINE__);
  }
}

int PassPhrase(char* buf, int size, int, void* userdata) {
  const char* pass = static_cast<const char*>(userdata);
  if (!pass || size <= 0)
    return 0;
  int length = static_cast<int>(std::strlen(pass));
  if (length >= size)
    return 0;  // a cut pass phrase would only fail later and less clearly
  std::memcpy(buf, pass, length + 1);
  return length;
}

// The library refuses a key that does not fit the loaded certificate at once; a key that
// loads on its own tells the two failures apart.
bool KeyLoads(const SslFunctions& f, SSL_CTX* ctx, const char* key, const char* pass) {
  SSL* probe = key ? f.SSL_new(ctx) : nullptr;
  if (!probe)
    return false;
  f.SSL_set_default_passwd_cb(probe, pass ? &PassPhrase : nullptr);
  f.SSL_set_default_passwd_cb_userdata(probe, const_cast<char*>(pass));
  bool ok = f.SSL_use_PrivateKey_file(probe, key, kFiletypePem) > 0;
  f.SSL_free(probe);
  return ok;
}

}  // namespace

bool CAsyncSslSocketLayer::GetPeerCertificateData(t_SslCertData& data) {
  if (!m_ssl)
    return false;
  const SslFunctions& f = SslLibrary::Functions();
  X509* cert = f.SSL_get1_peer_certificate(m_ssl);
  if (!cert)
    return false;
  data = t_SslCertData{};
  ReadName(f, f.X509_get_subject_name(cert), &data.subject);
  ReadName(f, f.X509_get_issuer_name(cert), &data.issuer);
  unsigned length = sizeof data.hash;
  bool ok = f.X509_digest(cert, f.EVP_sha1(), data.hash, &length) && length == sizeof data.hash;
  f.ASN1_TIME_to_tm(f.X509_getm_notBefore(cert), &data.validFrom);
  f.ASN1_TIME_to_tm(f.X509_getm_notAfter(cert), &data.validUntil);
  data.verificationResult = m_nVerificationResult
                                ? m_nVerificationResult
                                : static_cast<int>(f.SSL_get_verify_result(m_ssl));
  data.verificationDepth = m_nVerificationDepth;
  data.priv_data = m_nRequestId;
  f.X509_free(cert);
  return ok;
}

bool CAsyncSslSocketLayer::SetCertKeyFile(const char* cert,
                                          const char* key,
                                          const char* pass,
                                          std::string* error) {
  std::string ignored;
  std::string& message = error ? *error : ignored;
  if (!m_ssl) {
    message = "Failed to initialize SSL library";
    return false;
  }
  const SslFunctions& f = SslLibrary::Functions();
  f.ERR_clear_error();
  f.SSL_set_default_passwd_cb(m_ssl, pass ? &PassPhrase : nullptr);
  f.SSL_set_default_passwd_cb_userdata(m_ssl, const_cast<char*>(pass));
  bool ok = false;
  if (!cert || f.SSL_use_certificate_chain_file(m_ssl, cert) <= 0)
    message = "Could not load certificate file.";
  else if (!key || f.SSL_use_PrivateKey_file(m_ssl, key, kFiletypePem) <= 0)
    message = KeyLoads(f, m_ssl_ctx, key, pass)
                  ? "Private key does not match the certificate public key."
                  : "Could not load key file.";
  else if (!f.SSL_check_private_key(m_ssl))
    message = "Private key does not match the certificate public key.";
  else
    ok = true;
  // The pass phrase is the caller's; the SSL object must not keep pointing at it.
  f.SSL_set_default_passwd_cb(m_ssl, nullptr);
  f.SSL_set_default_passwd_cb_userdata(m_ssl, nullptr);
  return ok;
}

bool CAsyncSslSocketLayer::CreateSslCertificate(const char* filename,
                                                int bits,
                                                const t_SslCertSubject& subject,
                                                std::string* error) {
  std::string ignored;
  std::string& message = error ? *error : ignored;
  CAsyncSslSocketLayer library_user;
  if (library_user.InitSSL()) {
    message = "Failed to initialize SSL library";
    return false;
  }
  const SslFunctions& f = SslLibrary::Functions();
  EVP_PKEY* key = f.EVP_PKEY_Q_keygen(nullptr, nullptr, "RSA", static_cast<size_t>(bits));
  if (!key) {
    message = "Could not create key object";
    return false;
  }
  X509* cert = f.X509_new();
  bool ok = false;
  if (!cert) {
    message = "Could not create certificate object";
  } else if (!f.X509_set_pubkey(cert, key)) {
    message = "Failed to assign rsa key to key object";
  } else {
    f.X509_set_version(cert, 2);
    f.ASN1_INTEGER_set(f.X509_get_serialNumber(cert), 1);
    f.X509_gmtime_adj(f.X509_getm_notBefore(cert), 0);
    f.X509_gmtime_adj(f.X509_getm_notAfter(cert), 60L * 60 * 24 * 365);
    X509_NAME* name = f.X509_get_subject_name(cert);
    const std::pair<const char*, const char*> fields[] = {
        {"C", subject.country},          {"ST", subject.state}, {"L", subject.locality},
        {"O", subject.organization},     {"OU", subject.unit},  {"CN", subject.common_name},
        {"emailAddress", subject.email},
    };
    for (const auto& [field, value] : fields) {
      if (value && *value)
        f.X509_NAME_add_entry_by_txt(name, field, kMbstringAsc,
                                     reinterpret_cast<const unsigned char*>(value), -1, -1, 0);
    }
    f.X509_set_issuer_name(cert, name);
    if (!f.X509_sign(cert, key, f.EVP_sha256())) {
      message = "Failed to sign certificate";
    } else if (BIO* out = f.BIO_new_file(filename, "w")) {
      ok =
          f.PEM_write_bio_PrivateKey_traditional(out, key, nullptr, nullptr, 0, nullptr, nullptr) &&
          f.PEM_write_bio_X509(out, cert);
      f.BIO_free(out);
      if (!ok)
        message = "Failed to open output file";
    } else {
      message = "Failed to open output file";
    }
  }
  if (cert)
    f.X509_free(cert);
  f.EVP_PKEY_free(key);
  return ok;
}
