// A layer that runs TLS over the connection below it: what the owner sends is encrypted,
// what arrives is decrypted, and the handshake's progress, alerts, failures and the peer
// certificate reach the owner as layer callbacks.
#pragma once

#include <cstdint>
#include <ctime>
#include <string>
#include <utility>
#include <vector>

#include "net/async_socket_ex_layer.h"
#include "net/ssl_library.h"

// What the owner gets to decide whether to trust the peer.
struct t_SslCertData {
  // Name entries by their short names ("CN", "O", "C", ...), in certificate order.
  std::vector<std::pair<std::string, std::string>> subject;
  std::vector<std::pair<std::string, std::string>> issuer;
  unsigned char hash[20] = {};  // SHA-1 of the certificate
  struct tm validFrom = {};
  struct tm validUntil = {};
  int verificationResult = 0;
  int verificationDepth = 0;
  int priv_data = 0;  // the request id to quote in SetNotifyReply
};

// The name a self-signed certificate is made out to; empty or null entries are left out.
struct t_SslCertSubject {
  const char* country = nullptr;
  const char* state = nullptr;
  const char* locality = nullptr;
  const char* organization = nullptr;
  const char* unit = nullptr;
  const char* common_name = nullptr;
  const char* email = nullptr;
};

class CAsyncSslSocketLayer : public CAsyncSocketExLayer {
 public:
  // Parameter 1 of a layer-specific callback (type 1).
  enum CallbackCode : int {
    kSslEstablished = 0,
    kSslFailed = 1,
    kSslVerifyCert = 2,
    kSslWarning = 3,
    kSslInfo = 4,
  };
  static constexpr int kLayerSpecific = 1;
  // Parameter 2 of code 1 when the owner refused the certificate.
  static constexpr int kFailedRefused = 16;

  CAsyncSslSocketLayer() = default;
  ~CAsyncSslSocketLayer() override;

  int InitSSL();
  int InitSSLConnection(bool client, qel_ssl::SSL_CTX* shared_context = nullptr);
  // The certificate-authority file a client verifies its peer against.
  void SetCertStorage(const std::u16string& path) { m_CertStorage = path; }
  bool SetNotifyReply(int request_id, int code, int reply);
  bool GetPeerCertificateData(t_SslCertData& data);
  qel_ssl::SSL_CTX* GetContext() const { return m_ssl_ctx; }
  bool IsUsingSSL() const { return m_bUseSSL; }
  bool IsEstablished() const { return m_bSslEstablished; }

  // Server side: certificate chain, key and an optional pass phrase for the key.
  bool SetCertKeyFile(const char* cert, const char* key, const char* pass, std::string* error);
  // Writes a new RSA key and a self-signed certificate for it, both PEM, into filename.
  static bool CreateSslCertificate(const char* filename,
                                   int bits,
                                   const t_SslCertSubject& subject,
                                   std::string* error);

  void Close() override;
  bool Connect(const void* addr, int len) override;
  bool Connect(const char16_t* host, int port) override;
  int Receive(void* buf, int size, int flags) override;
  int Send(const void* buf, int len, int flags) override;
  bool ShutDown(int how) override;

 protected:
  void OnClose(int error) override;
  void OnConnect(int error) override;
  void OnReceive(int error) override;
  void OnSend(int error) override;

 private:
  static void InfoCallback(const qel_ssl::SSL* ssl, int where, int ret);
  static int VerifyCallback(int preverify_ok, qel_ssl::X509_STORE_CTX* ctx);
  static CAsyncSslSocketLayer* FindLayer(const qel_ssl::SSL* ssl);

  int dojob_CreateContext(bool client, qel_ssl::SSL_CTX* shared_context);
  bool dojob_CreateSsl(bool client);
  void dojob_ApplyPeerName();
  void dojob_OnInfo(int where, int ret);
  void dojob_HandshakeDone();
  void dojob_Establish();
  void dojob_ReportCipher();
  // Reads encrypted bytes from below into the buffer pair.
  void dojob_ReadNetwork();
  // Lets the SSL object work on what arrived; true when decrypted bytes are ready.
  bool dojob_Nudge();
  bool dojob_FlushNetwork();
  void dojob_RetrySend();
  void dojob_MoveData();
  // After a network notification: an error ends the session, else data moves on.
  void dojob_ContinueOrCloseUp(int error);
  void dojob_SslFailed();
  void dojob_CloseUp(int error);
  void dojob_Callback(int code, intptr_t param2, const char* format, ...);
  void ResetSslSession();

  bool m_bUseSSL = false;
  bool m_bSslInitialized = false;
  bool m_bClient = true;
  std::u16string m_CertStorage;
  std::string m_PeerName;
  qel_ssl::SSL_CTX* m_ssl_ctx = nullptr;
  qel_ssl::SSL* m_ssl = nullptr;
  qel_ssl::BIO* m_sslbio = nullptr;
  qel_ssl::BIO* m_ibio = nullptr;
  qel_ssl::BIO* m_nbio = nullptr;

  bool m_bSslEstablished = false;
  bool m_bFailureSent = false;
  bool m_bBlocking = false;
  bool m_mayTriggerRead = false;    // a read from below is owed
  bool m_mayTriggerReadUp = true;   // the owner will read when told
  bool m_mayTriggerWriteUp = true;  // the owner wants to write (at first: to hear it may)
  bool m_bFirstWriteReported = false;
  bool m_bRemoteClosed = false;
  bool m_bCloseUpSent = false;
  int m_nCloseError = 0;
  int m_nNetworkError = 0;
  std::string m_RetrySend;
  int m_nVerificationResult = 0;
  int m_nVerificationDepth = 0;
  int m_nRequestId = 0;
  int m_nShutDown = 0;
  int m_nShutDownHow = -1;  // the shutdown still owed below once the close alert is out
};
