#include "net/async_proxy_socket_layer.h"

#include <cstdio>
#include <cstring>

#include "net/base64_coding.h"
#include "platform/text.h"

using namespace qel_net;

namespace {

// One length byte carries names, user names and passwords in the SOCKS messages.
constexpr size_t kMaxSocksField = 255;
// A proxy that never ends its reply head must not grow it without bound.
constexpr size_t kMaxHttpReply = 65536;

void PutPort(std::string* out, uint16_t port) {
  *out += static_cast<char>(port >> 8);
  *out += static_cast<char>(port & 0xFF);
}

void PutAddress(std::string* out, uint32_t address_network_order) {
  char bytes[4];
  std::memcpy(bytes, &address_network_order, 4);
  out->append(bytes, 4);
}

uint16_t GetPort(const unsigned char* bytes) {
  return static_cast<uint16_t>(bytes[0] << 8 | bytes[1]);
}

uint32_t GetAddress(const unsigned char* bytes) {
  uint32_t address;
  std::memcpy(&address, bytes, 4);
  return address;
}

std::string DottedAddress(uint32_t address_network_order) {
  unsigned char b[4];
  std::memcpy(b, &address_network_order, 4);
  char text[16];
  std::snprintf(text, sizeof text, "%d.%d.%d.%d", b[0], b[1], b[2], b[3]);
  return text;
}

// Total length of a SOCKS5 request reply from its first five bytes.
size_t Socks5ReplyLength(const unsigned char* head) {
  switch (head[3]) {
    case 1:
      return 10;
    case 4:
      return 22;  // an IPv6 address
    default:
      return 5 + head[4] + 2;
  }
}

}  // namespace

void CAsyncProxySocketLayer::SetProxy(int type, const char* host, int port) {
  m_nProxyType = type;
  m_ProxyHost = host ? host : "";
  m_nProxyPort = port;
  m_bUseLogon = false;
  m_ProxyUser.clear();
  m_ProxyPass.clear();
}

void CAsyncProxySocketLayer::SetProxy(int type,
                                      const char* host,
                                      int port,
                                      const char* user,
                                      const char* password) {
  SetProxy(type, host, port);
  if (user)
    m_ProxyUser = user;
  if (password)
    m_ProxyPass = password;
  m_bUseLogon = true;
}

bool CAsyncProxySocketLayer::Connect(const char16_t* host, int port) {
  if (m_nProxyType == kNoProxy)
    return ConnectNext(host, port);
  std::string name = platform::to_ansi(host ? host : u"");
  if (m_nProxyType == kSocks4) {
    // SOCKS4 carries only addresses: the name is resolved here.
    uint32_t address = 0;
    if (!sock_parse_ipv4(name.c_str(), &address)) {
      std::vector<SockAddr> found;
      if (!addr_lookup_available() ||
          !addr_lookup(name.c_str(), "0", kAfInet, kSockStream, &found) || found.empty()) {
        DoLayerCallback(kLayerSpecific, kProxyErrorCantResolveHost, 0);
        sock_set_last_error(kErrInvalidArgument);
        return false;
      }
      std::memcpy(&address, found.front().bytes + 4, 4);
    }
    SockAddr target = sock_addr_ipv4(address, static_cast<uint16_t>(port));
    bool ok = Connect(target.bytes, target.length);
    m_PeerHost = name;
    return ok;
  }
  m_PeerHost = name;
  m_nProxyPeerIp = 0;
  m_nProxyPeerPort = static_cast<uint16_t>(port);
  return dojob_ConnectProxy(kOpConnect);
}

bool CAsyncProxySocketLayer::Connect(const void* addr, int len) {
  if (m_nProxyType == kNoProxy)
    return ConnectNext(addr, len);
  const auto* bytes = static_cast<const unsigned char*>(addr);
  uint16_t family = 0;
  if (bytes && len >= 8)
    std::memcpy(&family, bytes, 2);
  if (family != kAfInet) {
    sock_set_last_error(kErrAfNotSupported);
    return false;
  }
  m_PeerHost.clear();
  m_nProxyPeerPort = GetPort(bytes + 2);
  m_nProxyPeerIp = GetAddress(bytes + 4);
  return dojob_ConnectProxy(kOpConnect);
}

bool CAsyncProxySocketLayer::Listen(int backlog) {
  if (m_nProxyType == kNoProxy)
    return ListenNext(backlog);
  if (m_nProxyType == kHttp11) {
    // A CONNECT proxy has no way to accept a connection for us.
    sock_set_last_error(kErrInvalidArgument);
    return false;
  }
  m_PeerHost.clear();
  m_nProxyPeerPort = 0;
  // The backlog travels in the address field, read as 0.0.0.backlog.
  unsigned char b[4] = {
      static_cast<unsigned char>(backlog >> 24), static_cast<unsigned char>(backlog >> 16),
      static_cast<unsigned char>(backlog >> 8), static_cast<unsigned char>(backlog)};
  std::memcpy(&m_nProxyPeerIp, b, 4);
  return dojob_ConnectProxy(kOpBind);
}

bool CAsyncProxySocketLayer::dojob_ConnectProxy(int op) {
  dojob_Reset();
  m_nProxyOpID = op;
  std::u16string proxy = platform::from_ansi(m_ProxyHost);
  bool ok = ConnectNext(proxy.c_str(), m_nProxyPort);
  if (!ok && sock_last_error() != kErrWouldBlock) {
    int error = sock_last_error();
    DoLayerCallback(kLayerSpecific, kProxyErrorNoConn, 0);
    dojob_Reset();
    sock_set_last_error(error);
    return false;
  }
  // The owner hears of the connection only after the handshake.
  return true;
}

bool CAsyncProxySocketLayer::GetPeerName(void* addr, int* len) {
  if (m_nProxyType == kNoProxy)
    return GetPeerNameNext(addr, len);
  if (!m_pOwnerSocket || m_pOwnerSocket->GetSocketHandle() == kInvalidSocket) {
    sock_set_last_error(kErrNotSocket);
    return false;
  }
  if (m_nLayerState != connected || m_nProxyOpID != kOpNone || !m_nProxyPeerIp ||
      !m_nProxyPeerPort) {
    sock_set_last_error(kErrNotConnected);
    return false;
  }
  if (!addr || !len || !GetPeerNameNext(addr, len))
    return false;
  SockAddr target = sock_addr_ipv4(m_nProxyPeerIp, m_nProxyPeerPort);
  if (*len < target.length) {
    sock_set_last_error(kErrInvalidArgument);
    return false;
  }
  std::memcpy(addr, target.bytes, target.length);
  *len = target.length;
  return true;
}

bool CAsyncProxySocketLayer::Accept(CAsyncSocketEx& other, void* addr, int* len) {
  if (m_nProxyType == kNoProxy)
    return CAsyncSocketExLayer::Accept(other, addr, len);
  if (addr && len)
    GetPeerName(addr, len);
  return true;
}

int CAsyncProxySocketLayer::Send(const void* buf, int len, int flags) {
  if (m_nProxyOpID != kOpNone) {
    sock_set_last_error(kErrWouldBlock);
    return -1;
  }
  return SendNext(buf, len, flags);
}

int CAsyncProxySocketLayer::Receive(void* buf, int size, int flags) {
  if (m_nProxyOpID != kOpNone) {
    sock_set_last_error(kErrWouldBlock);
    return -1;
  }
  return ReceiveNext(buf, size, flags);
}

void CAsyncProxySocketLayer::Close() {
  dojob_Reset();
  CAsyncSocketExLayer::Close();
}

void CAsyncProxySocketLayer::dojob_Reset() {
  m_nProxyOpID = kOpNone;
  m_nProxyOpState = 0;
  std::vector<unsigned char>().swap(m_RecvBuffer);
  m_nRecvBufferPos = 0;
  std::string().swap(m_strHttpReply);
}

long CAsyncProxySocketLayer::dojob_OperationEvent() const {
  return m_nProxyOpID == kOpBind ? kFdAccept : kFdConnect;
}

void CAsyncProxySocketLayer::dojob_Fail(int code, int error, std::string text) {
  long event = dojob_OperationEvent();
  dojob_Reset();
  DoLayerCallback(kLayerSpecific, code, 0, std::move(text));
  TriggerEvent(event, error);
}

void CAsyncProxySocketLayer::dojob_Succeed() {
  long event = dojob_OperationEvent();
  dojob_Reset();
  TriggerEvent(event, 0);
  TriggerEvent(kFdRead, 0);
  TriggerEvent(kFdWrite, 0);
}

bool CAsyncProxySocketLayer::dojob_SendRequest(const std::string& request) {
  int sent = SendNext(request.data(), static_cast<int>(request.size()), 0);
  if (sent < 0) {
    int error = sock_last_error();
    dojob_Fail(kProxyErrorRequestFailed, error == kErrWouldBlock ? kErrConnAborted : error);
    return false;
  }
  if (sent != static_cast<int>(request.size())) {
    dojob_Fail(kProxyErrorRequestFailed, kErrConnAborted);
    return false;
  }
  m_RecvBuffer.clear();
  m_nRecvBufferPos = 0;
  return true;
}

void CAsyncProxySocketLayer::dojob_SendStep(const std::string& request, int next_state) {
  if (request.empty()) {
    // Nothing that fits the protocol can be sent for this target or these credentials.
    dojob_Fail(kProxyErrorRequestFailed, kErrConnAborted);
    return;
  }
  if (dojob_SendRequest(request))
    m_nProxyOpState = next_state;
}

void CAsyncProxySocketLayer::OnConnect(int error) {
  if (m_nProxyType == kNoProxy) {
    TriggerEvent(kFdConnect, error);
    return;
  }
  if (m_nProxyOpID == kOpNone)
    return;
  if (error) {
    long event = dojob_OperationEvent();
    dojob_Reset();
    DoLayerCallback(kLayerSpecific, kProxyErrorNoConn, 0);
    TriggerEvent(event, error);
    return;
  }
  if (m_nProxyOpState != 0)
    return;
  std::string request;
  switch (m_nProxyType) {
    case kSocks4:
    case kSocks4a:
      request = dojob_Socks4Request();
      break;
    case kSocks5:
      request = m_bUseLogon ? std::string("\x05\x02\x02\x00", 4) : std::string("\x05\x01\x00", 3);
      break;
    case kHttp11:
      request = dojob_HttpRequest();
      break;
  }
  dojob_SendStep(request, 1);
}

std::string CAsyncProxySocketLayer::dojob_Socks4Request() const {
  bool use_name = !m_PeerHost.empty() && (m_nProxyType == kSocks4a || !m_nProxyPeerIp);
  if (use_name && m_PeerHost.size() > kMaxSocksField)
    return {};
  std::string request;
  request += '\x04';
  request += m_nProxyOpID == kOpBind ? '\x02' : '\x01';
  PutPort(&request, m_nProxyPeerPort);
  if (use_name)
    request.append("\x00\x00\x00\x01", 4);
  else
    PutAddress(&request, m_nProxyPeerIp);
  request += '\0';
  if (use_name) {
    request += m_PeerHost;
    request += '\0';
  }
  return request;
}

std::string CAsyncProxySocketLayer::dojob_Socks5Request() const {
  std::string request("\x05", 1);
  request += m_nProxyOpID == kOpBind ? '\x02' : '\x01';
  request += '\0';
  if (m_nProxyPeerIp || m_PeerHost.empty()) {
    request += '\x01';
    PutAddress(&request, m_nProxyPeerIp);
  } else {
    if (m_PeerHost.size() > kMaxSocksField)
      return {};
    request += '\x03';
    request += static_cast<char>(m_PeerHost.size());
    request += m_PeerHost;
  }
  PutPort(&request, m_nProxyPeerPort);
  return request;
}

std::string CAsyncProxySocketLayer::dojob_HttpRequest() const {
  std::string target = m_PeerHost.empty() ? DottedAddress(m_nProxyPeerIp) : m_PeerHost;
  std::string authority = target + ":" + std::to_string(m_nProxyPeerPort);
  std::string request = "CONNECT " + authority + " HTTP/1.1\r\nHost: " + authority + "\r\n";
  if (m_bUseLogon) {
    std::string credentials = m_ProxyUser + ":" + m_ProxyPass;
    std::string encoded;
    // A line break inside a header value would end the header early.
    if (!CBase64Coding().Encode(credentials.data(), credentials.size(), &encoded, false))
      return {};
    request +=
        "Authorization: Basic " + encoded + "\r\nProxy-Authorization: Basic " + encoded + "\r\n";
  }
  return request + "\r\n";
}

CAsyncProxySocketLayer::ReadResult CAsyncProxySocketLayer::dojob_ReadReply(size_t want) {
  if (m_RecvBuffer.size() < want)
    m_RecvBuffer.resize(want);
  while (m_nRecvBufferPos < want) {
    int n = ReceiveNext(m_RecvBuffer.data() + m_nRecvBufferPos,
                        static_cast<int>(want - m_nRecvBufferPos), 0);
    if (n > 0) {
      m_nRecvBufferPos += n;
      continue;
    }
    int error = n == 0 ? kErrConnAborted : sock_last_error();
    if (n < 0 && error == kErrWouldBlock)
      return kWaiting;
    dojob_Fail(kProxyErrorRequestFailed, error);
    return kFailed;
  }
  return kComplete;
}

void CAsyncProxySocketLayer::OnReceive(int error) {
  if (error || m_nProxyOpID == kOpNone || m_nProxyType == kNoProxy) {
    TriggerEvent(kFdRead, error);
    return;
  }
  switch (m_nProxyType) {
    case kSocks4:
    case kSocks4a:
      dojob_Socks4Reply();
      return;
    case kSocks5:
      dojob_Socks5Reply();
      return;
    case kHttp11:
      dojob_HttpReply();
      return;
  }
}

void CAsyncProxySocketLayer::OnClose(int error) {
  if (m_nProxyOpID != kOpNone && m_nProxyType != kNoProxy) {
    // The proxy gave up before the handshake ended; the owner still waits for its connect.
    dojob_Fail(kProxyErrorRequestFailed, error ? error : kErrConnAborted);
    return;
  }
  CAsyncSocketExLayer::OnClose(error);
}

void CAsyncProxySocketLayer::dojob_ReportListening(uint32_t address, uint16_t port) {
  if (!address) {
    // The proxy listens on the address we reached it by.
    SockAddr peer;
    peer.length = sizeof peer.bytes;
    if (GetPeerNameNext(peer.bytes, &peer.length))
      address = GetAddress(peer.bytes + 4);
  }
  m_ListenAddress.address = address;
  unsigned char port_bytes[2] = {static_cast<unsigned char>(port >> 8),
                                 static_cast<unsigned char>(port & 0xFF)};
  std::memcpy(&m_ListenAddress.port, port_bytes, 2);
  DoLayerCallback(kLayerSpecific, kProxyStatusListening,
                  reinterpret_cast<intptr_t>(&m_ListenAddress));
}

void CAsyncProxySocketLayer::dojob_Socks4Reply() {
  if (m_nProxyOpState != 1 && m_nProxyOpState != 2)
    return;
  if (dojob_ReadReply(8) != kComplete)
    return;
  const unsigned char* reply = m_RecvBuffer.data();
  if (reply[0] != 0 || reply[1] != 90) {
    dojob_Fail(kProxyErrorRequestFailed, kErrConnAborted);
    return;
  }
  if (m_nProxyOpID == kOpConnect || m_nProxyOpState == 2) {
    if (m_nProxyOpState == 2) {
      m_nProxyPeerIp = GetAddress(reply + 4);
      m_nProxyPeerPort = GetPort(reply + 2);
    }
    dojob_Succeed();
    return;
  }
  m_nProxyOpState = 2;
  uint32_t address = GetAddress(reply + 4);
  uint16_t port = GetPort(reply + 2);
  m_nRecvBufferPos = 0;
  dojob_ReportListening(address, port);
}

void CAsyncProxySocketLayer::dojob_Socks5Reply() {
  switch (m_nProxyOpState) {
    case 1:
      if (dojob_ReadReply(2) != kComplete)
        return;
      if (m_RecvBuffer[0] != 5) {
        dojob_Fail(kProxyErrorRequestFailed, kErrConnAborted);
        return;
      }
      dojob_Socks5MethodChosen();
      return;
    case 2:
      if (dojob_ReadReply(2) != kComplete)
        return;
      if (m_RecvBuffer[1] != 0) {
        dojob_Fail(kProxyErrorAuthFailed, kErrConnAborted);
        return;
      }
      dojob_SendStep(dojob_Socks5Request(), 3);
      return;
    case 3:
    case 4:
      dojob_Socks5FinalReply();
      return;
  }
}

void CAsyncProxySocketLayer::dojob_Socks5MethodChosen() {
  switch (m_RecvBuffer[1]) {
    case 0:
      dojob_SendStep(dojob_Socks5Request(), 3);
      return;
    case 2: {
      if (!m_bUseLogon) {
        dojob_Fail(kProxyErrorAuthNoLogon, kErrConnAborted);
        return;
      }
      if (m_ProxyUser.size() > kMaxSocksField || m_ProxyPass.size() > kMaxSocksField) {
        dojob_Fail(kProxyErrorRequestFailed, kErrConnAborted);
        return;
      }
      std::string logon("\x01", 1);
      logon += static_cast<char>(m_ProxyUser.size());
      logon += m_ProxyUser;
      logon += static_cast<char>(m_ProxyPass.size());
      logon += m_ProxyPass;
      dojob_SendStep(logon, 2);
      return;
    }
    default:
      dojob_Fail(kProxyErrorAuthTypeUnknown, kErrConnAborted);
  }
}

void CAsyncProxySocketLayer::dojob_Socks5FinalReply() {
  if (dojob_ReadReply(5) != kComplete)
    return;
  if (m_RecvBuffer[0] != 5 || m_RecvBuffer[1] != 0) {
    dojob_Fail(kProxyErrorRequestFailed, kErrConnAborted);
    return;
  }
  size_t length = Socks5ReplyLength(m_RecvBuffer.data());
  if (dojob_ReadReply(length) != kComplete)
    return;
  const unsigned char* reply = m_RecvBuffer.data();
  bool ipv4 = reply[3] == 1;
  uint32_t address = ipv4 ? GetAddress(reply + 4) : 0;
  uint16_t port = GetPort(reply + length - 2);
  if (m_nProxyOpID == kOpConnect || m_nProxyOpState == 4) {
    if (m_nProxyOpState == 4 && ipv4) {
      m_nProxyPeerIp = address;
      m_nProxyPeerPort = port;
    }
    dojob_Succeed();
    return;
  }
  m_nProxyOpState = 4;
  m_nRecvBufferPos = 0;
  dojob_ReportListening(address, port);
}

void CAsyncProxySocketLayer::dojob_HttpReply() {
  static const std::string kPrefix = "HTTP/";
  for (;;) {
    // Eight bytes first, then one at a time, so that nothing after the head is taken.
    size_t want = m_strHttpReply.empty() ? 8 : 1;
    ReadResult result = dojob_ReadReply(want);
    if (result != kComplete)
      return;
    m_strHttpReply.append(reinterpret_cast<const char*>(m_RecvBuffer.data()), want);
    m_nRecvBufferPos = 0;
    const std::string& text = m_strHttpReply;
    if (text.size() >= kPrefix.size() && text.compare(0, kPrefix.size(), kPrefix) != 0) {
      dojob_Fail(kProxyErrorRequestFailed, kErrConnAborted, "No valid HTTP reponse");
      return;
    }
    size_t eol = text.find("\r\n");
    if (eol != std::string::npos) {
      size_t space = text.find(' ');
      if (space == std::string::npos || space > eol || space + 1 >= eol || text[space + 1] != '2') {
        dojob_Fail(kProxyErrorRequestFailed, kErrConnAborted, text.substr(0, eol));
        return;
      }
    }
    // The cap counts the whole head, its empty line included.
    if (text.size() > kMaxHttpReply) {
      dojob_Fail(kProxyErrorRequestFailed, kErrConnAborted, text.substr(0, eol));
      return;
    }
    if (text.size() >= 4 && text.compare(text.size() - 4, 4, "\r\n\r\n") == 0) {
      dojob_Succeed();
      return;
    }
  }
}
