// Moving bytes: encrypted ones between the buffer pair and the connection below, plaintext
// ones between the owner and the SSL object.
#include <algorithm>

#include "net/async_ssl_socket_layer.h"

using namespace qel_net;
using namespace qel_ssl;

namespace {

constexpr size_t kMaxNetworkRead = 16384;

}  // namespace

void CAsyncSslSocketLayer::OnConnect(int error) {
  TriggerEvent(kFdConnect, error);
  if (m_bSslInitialized && !error)
    dojob_MoveData();
}

void CAsyncSslSocketLayer::OnReceive(int error) {
  if (!m_bSslInitialized) {
    TriggerEvent(kFdRead, error);
    return;
  }
  if (m_bBlocking) {
    m_mayTriggerRead = true;
    return;
  }
  if (!error) {
    dojob_ReadNetwork();
    if (!m_ssl)
      return;
  }
  dojob_ContinueOrCloseUp(error);
}

void CAsyncSslSocketLayer::OnSend(int error) {
  if (!m_bSslInitialized) {
    TriggerEvent(kFdWrite, error);
    return;
  }
  dojob_ContinueOrCloseUp(error);
}

void CAsyncSslSocketLayer::dojob_ContinueOrCloseUp(int error) {
  if (error) {
    m_nNetworkError = error;
    dojob_CloseUp(error);
    return;
  }
  dojob_RetrySend();
  dojob_MoveData();
}

void CAsyncSslSocketLayer::OnClose(int error) {
  if (!m_bSslInitialized) {
    TriggerEvent(kFdClose, error);
    return;
  }
  m_bRemoteClosed = true;
  m_nCloseError = error;
  dojob_MoveData();
}

void CAsyncSslSocketLayer::dojob_ReadNetwork() {
  const SslFunctions& f = SslLibrary::Functions();
  size_t room = std::min(f.BIO_ctrl_get_write_guarantee(m_nbio), kMaxNetworkRead);
  if (!room) {
    m_mayTriggerRead = true;
    return;
  }
  char buffer[kMaxNetworkRead];
  int n = ReceiveNext(buffer, static_cast<int>(room), 0);
  if (n > 0) {
    f.BIO_write(m_nbio, buffer, n);
    dojob_Nudge();
    return;
  }
  if (n == 0) {
    m_bRemoteClosed = true;
    return;
  }
  int error = sock_last_error();
  if (error != kErrWouldBlock && error != kErrNotConnected) {
    m_nNetworkError = error;
    dojob_CloseUp(error);
  }
}

bool CAsyncSslSocketLayer::dojob_Nudge() {
  if (!m_ssl || m_bBlocking)
    return false;
  const SslFunctions& f = SslLibrary::Functions();
  f.ERR_clear_error();
  if (!m_bSslEstablished) {
    int r = f.SSL_do_handshake(m_ssl);
    if (r <= 0) {
      int error = f.SSL_get_error(m_ssl, r);
      if (error != kErrorWantRead && error != kErrorWantWrite)
        dojob_SslFailed();
      return false;
    }
    if (!m_bSslEstablished)
      return false;  // waiting for the owner's word on the certificate
  }
  char probe;
  int r = f.SSL_peek(m_ssl, &probe, 1);
  if (r > 0)
    return true;
  int error = f.SSL_get_error(m_ssl, r);
  if (error == kErrorZeroReturn)
    m_bRemoteClosed = true;  // the peer's close alert
  else if (error != kErrorWantRead && error != kErrorWantWrite)
    dojob_SslFailed();
  return false;
}

void CAsyncSslSocketLayer::dojob_SslFailed() {
  if (m_nNetworkError)
    return;
  m_nNetworkError = kErrConnAborted;
  if (!m_bFailureSent) {
    m_bFailureSent = true;
    dojob_Callback(kSslFailed, m_bSslEstablished ? 0 : 1, nullptr);
  }
  dojob_CloseUp(kErrConnAborted);
}

void CAsyncSslSocketLayer::dojob_CloseUp(int error) {
  if (m_bCloseUpSent)
    return;
  m_bCloseUpSent = true;
  TriggerEvent(kFdClose, error);
}

bool CAsyncSslSocketLayer::dojob_FlushNetwork() {
  const SslFunctions& f = SslLibrary::Functions();
  while (f.BIO_ctrl_pending(m_nbio) > 0) {
    char* data = nullptr;
    int n = f.BIO_nread0(m_nbio, &data);
    if (n <= 0)
      break;
    int sent = SendNext(data, n, 0);
    if (sent <= 0) {
      int error = sock_last_error();
      if (sent < 0 && error != kErrWouldBlock && error != kErrNotConnected) {
        m_nNetworkError = error;
        dojob_CloseUp(error);
      }
      return false;
    }
    f.BIO_nread(m_nbio, &data, sent);
  }
  return true;
}

void CAsyncSslSocketLayer::dojob_RetrySend() {
  if (m_RetrySend.empty() || !m_bSslEstablished || m_nNetworkError)
    return;
  const SslFunctions& f = SslLibrary::Functions();
  f.ERR_clear_error();
  int r = f.BIO_write(m_sslbio, m_RetrySend.data(), static_cast<int>(m_RetrySend.size()));
  if (r > 0) {
    f.BIO_ctrl(m_sslbio, kBioCtrlFlush, 0, nullptr);
    std::string().swap(m_RetrySend);
    return;
  }
  if (!f.BIO_test_flags(m_sslbio, kBioFlagsShouldRetry)) {
    std::string().swap(m_RetrySend);
    dojob_SslFailed();
  }
}

void CAsyncSslSocketLayer::dojob_MoveData() {
  if (!m_ssl)
    return;
  const SslFunctions& f = SslLibrary::Functions();
  // Encrypted bytes out first: that makes room for the owner's data waiting in the layer.
  if (dojob_FlushNetwork() && !m_RetrySend.empty()) {
    dojob_RetrySend();
    dojob_FlushNetwork();
  }
  if (!m_ssl)
    return;
  bool can_write = m_bSslEstablished && !m_bBlocking && m_RetrySend.empty() && !m_nShutDown &&
                   !m_nNetworkError && f.BIO_ctrl_get_write_guarantee(m_sslbio) > 0;
  if (can_write && !m_bFirstWriteReported) {
    m_bFirstWriteReported = true;
    dojob_Callback(kSslEstablished, 1, nullptr);
  }
  if (can_write && m_mayTriggerWriteUp) {
    m_mayTriggerWriteUp = false;
    TriggerEvent(kFdWrite, 0);
  }
  bool plaintext = m_bSslEstablished && !m_bBlocking && dojob_Nudge();
  if (!plaintext && m_mayTriggerRead && f.BIO_ctrl_get_write_guarantee(m_nbio) > 0) {
    m_mayTriggerRead = false;
    TriggerEvent(kFdRead, 0, false);
  }
  if (plaintext && m_mayTriggerReadUp) {
    m_mayTriggerReadUp = false;
    TriggerEvent(kFdRead, 0);
  }
  if (m_nShutDownHow >= 0 && f.BIO_ctrl_pending(m_nbio) == 0) {
    ShutDownNext(m_nShutDownHow);
    m_nShutDownHow = -1;
  }
  if (m_bRemoteClosed && !plaintext && !m_bBlocking)
    dojob_CloseUp(m_nCloseError);
}

int CAsyncSslSocketLayer::Send(const void* buf, int len, int flags) {
  if (!m_bSslInitialized)
    return SendNext(buf, len, flags);
  if (!buf)
    return 0;
  if (m_bBlocking || !m_RetrySend.empty()) {
    m_mayTriggerWriteUp = true;
    sock_set_last_error(kErrWouldBlock);
    return -1;
  }
  if (m_nNetworkError) {
    sock_set_last_error(m_nNetworkError);
    return -1;
  }
  if (m_nShutDown) {
    sock_set_last_error(kErrShutdown);
    return -1;
  }
  const SslFunctions& f = SslLibrary::Functions();
  size_t room = m_bSslEstablished ? f.BIO_ctrl_get_write_guarantee(m_sslbio) : 0;
  if (!room) {
    m_mayTriggerWriteUp = true;
    dojob_MoveData();
    sock_set_last_error(kErrWouldBlock);
    return -1;
  }
  if (len <= 0)
    return 0;
  int count = static_cast<int>(std::min<size_t>(len, room));
  m_RetrySend.assign(static_cast<const char*>(buf), count);
  dojob_RetrySend();
  if (m_nNetworkError && m_RetrySend.empty()) {
    sock_set_last_error(m_nNetworkError);
    return -1;
  }
  // Bytes still waiting in the layer are ours to deliver: the owner may count them as sent.
  m_mayTriggerWriteUp = true;
  dojob_MoveData();
  return count;
}

int CAsyncSslSocketLayer::Receive(void* buf, int size, int flags) {
  if (!m_bSslInitialized)
    return ReceiveNext(buf, size, flags);
  if (m_bBlocking) {
    m_mayTriggerReadUp = true;
    sock_set_last_error(kErrWouldBlock);
    return -1;
  }
  const SslFunctions& f = SslLibrary::Functions();
  if (m_nNetworkError && (m_nShutDown || !m_ssl || f.SSL_pending(m_ssl) <= 0)) {
    sock_set_last_error(m_nNetworkError);
    return -1;
  }
  if (m_nShutDown) {
    sock_set_last_error(kErrShutdown);
    return -1;
  }
  if (size <= 0)
    return 0;
  m_mayTriggerReadUp = true;
  if (!m_bSslEstablished) {
    sock_set_last_error(kErrWouldBlock);
    return -1;
  }
  f.ERR_clear_error();
  int r = f.BIO_read(m_sslbio, buf, size);
  if (r > 0) {
    dojob_MoveData();
    return r;
  }
  if (r < 0 && f.BIO_test_flags(m_sslbio, kBioFlagsShouldRetry)) {
    if (m_bRemoteClosed) {
      dojob_CloseUp(m_nCloseError);
      return 0;
    }
    dojob_MoveData();
    sock_set_last_error(kErrWouldBlock);
    return -1;
  }
  if (f.SSL_get_error(m_ssl, r) == kErrorZeroReturn) {
    m_bRemoteClosed = true;
    dojob_CloseUp(0);
    return 0;
  }
  dojob_SslFailed();
  sock_set_last_error(kErrConnAborted);
  return -1;
}

bool CAsyncSslSocketLayer::ShutDown(int how) {
  if (!m_bSslInitialized)
    return ShutDownNext(how);
  if (!m_nShutDown && m_ssl) {
    m_nShutDown = 1;
    const SslFunctions& f = SslLibrary::Functions();
    f.ERR_clear_error();
    f.SSL_shutdown(m_ssl);
    m_nShutDownHow = how;
    dojob_MoveData();
  }
  return true;
}

void CAsyncSslSocketLayer::Close() {
  if (m_ssl && m_bSslEstablished && !m_nShutDown && !m_nNetworkError) {
    // A close alert on a best-effort basis: the connection goes away right after.
    const SslFunctions& f = SslLibrary::Functions();
    f.ERR_clear_error();
    f.SSL_shutdown(m_ssl);
    dojob_FlushNetwork();
  }
  ResetSslSession();
  CAsyncSocketExLayer::Close();
}
