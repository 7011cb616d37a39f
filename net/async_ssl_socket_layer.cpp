// Setting up and tearing down the SSL object, and the library's callbacks.
#include "net/async_ssl_socket_layer.h"

#include <atomic>
#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <list>
#include <map>

#include "platform/message_box.h"
#include "platform/text.h"

using namespace qel_net;
using namespace qel_ssl;

namespace {

// The compatibility workarounds the library collects as its "all bugs" options. Options
// that weaken the connection (legacy renegotiation, no extended master secret, accepting a
// truncated stream) are left off.
constexpr uint64_t kWorkaroundOptions = 0x80000850;
constexpr int kMaxChainDepth = 10;

// Guarded by SslLibrary::Lock().
std::map<SSL_CTX*, int>& contexts() {
  static auto* m = new std::map<SSL_CTX*, int>;
  return *m;
}
std::list<CAsyncSslSocketLayer*>& live_layers() {
  static auto* l = new std::list<CAsyncSslSocketLayer*>;
  return *l;
}
std::atomic<int> g_next_request_id{0};

}  // namespace

CAsyncSslSocketLayer::~CAsyncSslSocketLayer() {
  ResetSslSession();
}

int CAsyncSslSocketLayer::InitSSL() {
  if (m_bUseSSL)
    return 0;
  int result = SslLibrary::Acquire();
  m_bUseSSL = result == SslLibrary::kOk;
  return result;
}

int CAsyncSslSocketLayer::InitSSLConnection(bool client, SSL_CTX* shared_context) {
  if (m_bSslInitialized)
    return 0;
  if (int result = InitSSL())
    return result;
  m_bClient = client;
  int result = dojob_CreateContext(client, shared_context);
  if (!result && !dojob_CreateSsl(client))
    result = SslLibrary::kInitFailed;
  if (result) {
    ResetSslSession();
    return result;
  }
  m_bSslInitialized = true;
  dojob_ApplyPeerName();
  const SslFunctions& f = SslLibrary::Functions();
  f.ERR_clear_error();
  f.SSL_do_handshake(m_ssl);
  if (m_nLayerState == connected || m_nLayerState == attached) {
    TriggerEvent(kFdRead, 0, false);
    TriggerEvent(kFdWrite, 0, false);
  }
  return 0;
}

int CAsyncSslSocketLayer::dojob_CreateContext(bool client, SSL_CTX* shared_context) {
  const SslFunctions& f = SslLibrary::Functions();
  std::lock_guard<std::recursive_mutex> hold(SslLibrary::Lock());
  if (shared_context) {
    auto it = contexts().find(shared_context);
    if (it == contexts().end() || it->second <= 0)
      return SslLibrary::kInitFailed;
    ++it->second;
    m_ssl_ctx = shared_context;
    return 0;
  }
  m_ssl_ctx = f.SSL_CTX_new(f.TLS_method());
  if (!m_ssl_ctx)
    return SslLibrary::kInitFailed;
  contexts()[m_ssl_ctx] = 1;
  if (client) {
    f.SSL_CTX_set_verify(m_ssl_ctx, kVerifyPeer, &CAsyncSslSocketLayer::VerifyCallback);
    // Without a readable authority file nothing verifies, and the owner is asked.
    if (!m_CertStorage.empty())
      f.SSL_CTX_load_verify_locations(m_ssl_ctx, platform::to_ansi(m_CertStorage).c_str(), nullptr);
  }
  return 0;
}

bool CAsyncSslSocketLayer::dojob_CreateSsl(bool client) {
  const SslFunctions& f = SslLibrary::Functions();
  m_ssl = f.SSL_new(m_ssl_ctx);
  if (!m_ssl)
    return false;
  {
    std::lock_guard<std::recursive_mutex> hold(SslLibrary::Lock());
    live_layers().push_back(this);
  }
  f.SSL_set_info_callback(m_ssl, &CAsyncSslSocketLayer::InfoCallback);
  m_sslbio = f.BIO_new(f.BIO_f_ssl());
  if (!m_sslbio || !f.BIO_new_bio_pair(&m_ibio, 4096, &m_nbio, 4096))
    return false;
  f.SSL_set_options(m_ssl, kWorkaroundOptions);
  if (client)
    f.SSL_set_connect_state(m_ssl);
  else
    f.SSL_set_accept_state(m_ssl);
  f.SSL_set_bio(m_ssl, m_ibio, m_ibio);  // the SSL object owns the inner end from here
  m_ibio = nullptr;
  f.BIO_ctrl(m_sslbio, kBioCSetSsl, 0, m_ssl);  // the filter does not own the SSL object
  return true;
}

void CAsyncSslSocketLayer::dojob_ApplyPeerName() {
  if (!m_ssl || !m_bClient || m_PeerName.empty())
    return;
  const SslFunctions& f = SslLibrary::Functions();
  X509_VERIFY_PARAM* param = f.SSL_get0_param(m_ssl);
  uint32_t numeric;
  if (sock_parse_ipv4(m_PeerName.c_str(), &numeric)) {
    f.X509_VERIFY_PARAM_set1_ip_asc(param, m_PeerName.c_str());
    return;
  }
  f.X509_VERIFY_PARAM_set1_host(param, m_PeerName.c_str(), m_PeerName.size());
  f.SSL_ctrl(m_ssl, kCtrlSetTlsextHostname, 0, const_cast<char*>(m_PeerName.c_str()));
}

bool CAsyncSslSocketLayer::Connect(const char16_t* host, int port) {
  // The certificate must name the host we were asked for.
  m_PeerName = platform::to_ansi(host ? host : u"");
  dojob_ApplyPeerName();
  return ConnectNext(host, port);
}

bool CAsyncSslSocketLayer::Connect(const void* addr, int len) {
  const auto* bytes = static_cast<const unsigned char*>(addr);
  uint16_t family = 0;
  if (bytes && len >= 8)
    std::memcpy(&family, bytes, 2);
  if (family == kAfInet) {
    char dotted[16];
    std::snprintf(dotted, sizeof dotted, "%d.%d.%d.%d", bytes[4], bytes[5], bytes[6], bytes[7]);
    m_PeerName = dotted;
    dojob_ApplyPeerName();
  }
  return ConnectNext(addr, len);
}

void CAsyncSslSocketLayer::ResetSslSession() {
  const SslFunctions& f = SslLibrary::Functions();
  std::lock_guard<std::recursive_mutex> hold(SslLibrary::Lock());
  // The filter holds a reference to the SSL object's inner end: free the chain.
  if (m_sslbio)
    f.BIO_free_all(m_sslbio);
  if (m_ssl)
    f.SSL_free(m_ssl);
  if (m_ibio)
    f.BIO_free(m_ibio);
  if (m_nbio)
    f.BIO_free(m_nbio);
  m_sslbio = m_ibio = m_nbio = nullptr;
  m_ssl = nullptr;
  live_layers().remove(this);
  if (m_ssl_ctx) {
    auto it = contexts().find(m_ssl_ctx);
    if (it != contexts().end() && --it->second <= 0) {
      f.SSL_CTX_free(m_ssl_ctx);
      contexts().erase(it);
    }
    m_ssl_ctx = nullptr;
  }
  if (m_bUseSSL)
    SslLibrary::Release();
  m_bUseSSL = m_bSslInitialized = false;
  m_bSslEstablished = m_bFailureSent = m_bBlocking = false;
  m_mayTriggerRead = m_bFirstWriteReported = false;
  m_mayTriggerReadUp = m_mayTriggerWriteUp = true;
  m_bRemoteClosed = m_bCloseUpSent = false;
  m_nCloseError = m_nNetworkError = 0;
  std::string().swap(m_RetrySend);
  m_nVerificationResult = m_nVerificationDepth = 0;
  m_nShutDown = 0;
  m_nShutDownHow = -1;
}

CAsyncSslSocketLayer* CAsyncSslSocketLayer::FindLayer(const SSL* ssl) {
  std::lock_guard<std::recursive_mutex> hold(SslLibrary::Lock());
  for (CAsyncSslSocketLayer* layer : live_layers())
    if (layer->m_ssl == ssl)
      return layer;
  platform::message_box("Can't lookup SSL session!", "Critical error", platform::kMbOk);
  return nullptr;
}

void CAsyncSslSocketLayer::dojob_Callback(int code, intptr_t param2, const char* format, ...) {
  std::string text;
  if (format) {
    char buffer[4096];
    va_list args;
    va_start(args, format);
    std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    text = buffer;
  }
  DoLayerCallback(kLayerSpecific, code, param2, std::move(text));
}

void CAsyncSslSocketLayer::InfoCallback(const SSL* ssl, int where, int ret) {
  CAsyncSslSocketLayer* layer = FindLayer(ssl);
  if (layer && layer->m_bUseSSL)
    layer->dojob_OnInfo(where, ret);
}

void CAsyncSslSocketLayer::dojob_OnInfo(int where, int ret) {
  const SslFunctions& f = SslLibrary::Functions();
  const char* role = (where & kStConnect)  ? "SSL_connect"
                     : (where & kStAccept) ? "SSL_accept"
                                           : "undefined";
  if (where & kCbLoop)
    dojob_Callback(kSslInfo, 0, "%s: %s", role, f.SSL_state_string_long(m_ssl));
  if ((where & kCbAlert) && (ret & 0xFF) != 0) {
    dojob_Callback(kSslWarning, 0, "SSL3 alert %s: %s: %s", (where & kCbRead) ? "read" : "write",
                   f.SSL_alert_type_string_long(ret), f.SSL_alert_desc_string_long(ret));
  }
  if (where & kCbExit) {
    bool failed = ret == 0;
    if (ret < 0) {
      int error = f.SSL_get_error(m_ssl, ret);
      failed = error != kErrorWantRead && error != kErrorWantWrite;
    }
    if (failed) {
      dojob_Callback(kSslWarning, 0, ret == 0 ? "%s: failed in %s" : "%s: error in %s", role,
                     f.SSL_state_string_long(m_ssl));
      if (!m_bFailureSent) {
        m_bFailureSent = true;
        dojob_Callback(kSslFailed, m_bSslEstablished ? 0 : 1, nullptr);
      }
    }
  }
  if (where & kCbHandshakeDone)
    dojob_HandshakeDone();
}

void CAsyncSslSocketLayer::dojob_HandshakeDone() {
  // Later handshake messages of the same connection change nothing.
  if (m_bSslEstablished || m_bBlocking || m_bFailureSent)
    return;
  long result = SslLibrary::Functions().SSL_get_verify_result(m_ssl);
  if (m_nVerificationResult)
    result = m_nVerificationResult;
  if (result) {
    m_bBlocking = true;
    m_nRequestId = ++g_next_request_id;
    dojob_Callback(kSslVerifyCert, result, nullptr);
    return;
  }
  dojob_Establish();
}

void CAsyncSslSocketLayer::dojob_Establish() {
  m_bSslEstablished = true;
  dojob_ReportCipher();
  dojob_Callback(kSslEstablished, 0, nullptr);
}

void CAsyncSslSocketLayer::dojob_ReportCipher() {
  const SslFunctions& f = SslLibrary::Functions();
  const SSL_CIPHER* cipher = f.SSL_get_current_cipher(m_ssl);
  if (!cipher)
    return;
  X509* cert = f.SSL_get1_peer_certificate(m_ssl);
  EVP_PKEY* key = f.X509_get0_pubkey(cert ? cert : f.SSL_get_certificate(m_ssl));
  char key_text[64] = "";
  if (key) {
    int type = f.EVP_PKEY_get_base_id(key);
    const char* kind = type == kEvpPkeyRsa ? "RSA" : type == kEvpPkeyDsa ? "DSA" : "key";
    std::snprintf(key_text, sizeof key_text, "%d bit %s", f.EVP_PKEY_get_bits(key), kind);
  }
  if (cert)
    f.X509_free(cert);
  dojob_Callback(kSslInfo, 0, "Using %s, cipher %s: %s, %s", f.SSL_get_version(m_ssl),
                 f.SSL_CIPHER_get_version(cipher), f.SSL_CIPHER_get_name(cipher), key_text);
}

int CAsyncSslSocketLayer::VerifyCallback(int preverify_ok, X509_STORE_CTX* ctx) {
  const SslFunctions& f = SslLibrary::Functions();
  auto* ssl =
      static_cast<SSL*>(f.X509_STORE_CTX_get_ex_data(ctx, f.SSL_get_ex_data_X509_STORE_CTX_idx()));
  CAsyncSslSocketLayer* layer = FindLayer(ssl);
  int depth = f.X509_STORE_CTX_get_error_depth(ctx);
  int error = f.X509_STORE_CTX_get_error(ctx);
  if (depth > kMaxChainDepth) {
    preverify_ok = 0;
    error = kVerifyErrChainTooLong;
    f.X509_STORE_CTX_set_error(ctx, error);
  }
  if (!preverify_ok && layer && !layer->m_nVerificationResult) {
    layer->m_nVerificationResult = error;
    layer->m_nVerificationDepth = depth;
  }
  // The handshake goes on; the owner decides once it is done.
  return 1;
}

bool CAsyncSslSocketLayer::SetNotifyReply(int request_id, int code, int reply) {
  if (!m_bBlocking || request_id != m_nRequestId || code != kSslVerifyCert)
    return false;
  m_bBlocking = false;
  if (reply) {
    dojob_Establish();
    dojob_Nudge();
    dojob_MoveData();
    return true;
  }
  m_nNetworkError = kErrConnAborted;
  if (!m_bFailureSent) {
    m_bFailureSent = true;
    dojob_Callback(kSslFailed, kFailedRefused, nullptr);
  }
  dojob_CloseUp(kErrConnAborted);
  return true;
}
