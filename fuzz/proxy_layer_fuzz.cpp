// Feeds the proxy layer's handshake arbitrary replies in arbitrary pieces. The first byte
// picks the proxy type, the logon and the target; then each piece is a length byte and that
// many reply bytes. The layer must refuse owner data while the handshake runs, never send a
// request it cannot encode, and never take bytes past the end of the proxy's reply: once the
// handshake is over, the owner reads exactly what the proxy sent after it.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "net/async_proxy_socket_layer.h"
#include "net/testing/pending_bytes.h"

namespace {

// Stands for the network below the proxy layer.
class Wire : public CAsyncSocketExLayer {
 public:
  std::string pending;
  std::string sent;

  bool Connect(const char16_t*, int) override { return WouldBlock(); }
  bool Connect(const void*, int) override { return WouldBlock(); }
  int Send(const void* buf, int len, int) override {
    sent.append(static_cast<const char*>(buf), len);
    return len;
  }
  int Receive(void* buf, int size, int) override {
    return net_testing::ReceivePending(&pending, buf, size);
  }

 private:
  bool WouldBlock() {
    m_nLayerState = connecting;
    qel_net::sock_set_last_error(qel_net::kErrWouldBlock);
    return false;
  }
};

class Layer : public CAsyncProxySocketLayer {
 public:
  void Fire(long event) { CallEvent(event, 0); }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1)
    return 0;
  uint8_t mode = data[0];
  Layer proxy;  // layers outlive their socket
  Wire wire;
  CAsyncSocketEx owner;
  owner.AddLayer(&proxy);
  owner.AddLayer(&wire);
  int type = 1 + (mode & 3);
  if (mode & 4)
    proxy.SetProxy(type, "127.0.0.1", 1080, "user", std::string(mode >> 3, 'p').c_str());
  else
    proxy.SetProxy(type, "127.0.0.1", 1080);
  if (type == CAsyncProxySocketLayer::kSocks4 || (mode & 8)) {
    qel_net::SockAddr to = qel_net::sock_addr_ipv4(0x0100000A, 80);
    proxy.Connect(to.bytes, to.length);
  } else if (mode & 16) {
    proxy.Connect(std::u16string(300, u'h').c_str(), 443);
  } else {
    proxy.Connect(u"example.org", 443);
  }
  proxy.Fire(qel_net::kFdConnect);
  size_t request_size = wire.sent.size();
  if (request_size > 1024)
    std::abort();
  std::string after;
  for (size_t i = 1; i < size;) {
    size_t n = data[i++];
    if (n > size - i)
      n = size - i;
    std::string piece(reinterpret_cast<const char*>(data + i), n);
    i += n;
    bool busy = proxy.GetOperation() != CAsyncProxySocketLayer::kOpNone;
    char byte;
    if (busy && (proxy.Send("x", 1, 0) != -1 || proxy.Receive(&byte, 1, 0) != -1))
      std::abort();
    if (!busy) {
      after += piece;
      continue;
    }
    wire.pending += piece;
    proxy.Fire(qel_net::kFdRead);
    if (proxy.GetOperation() == CAsyncProxySocketLayer::kOpNone)
      after = wire.pending;
  }
  if (proxy.GetOperation() == CAsyncProxySocketLayer::kOpNone) {
    wire.pending = after;
    std::string read;
    char buf[256];
    for (int n; (n = proxy.Receive(buf, sizeof buf, 0)) > 0;)
      read.append(buf, n);
    if (read != after)
      std::abort();
  }
  proxy.Close();
  return 0;
}
