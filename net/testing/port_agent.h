// An HTTP agent that sends requests for port 80 to a test server's port instead, so that code
// which always uses port 80 can talk to the servers the tests start on 127.0.0.1.
#pragma once

#include "net/qel_http_agent.h"

class PortAgent : public ZulHttpAgent {
 public:
  explicit PortAgent(int port, SocketFactory factory = nullptr)
      : ZulHttpAgent(std::move(factory)), mTestPort(port) {}
  bool Start(int32_t method,
             const std::u16string& host,
             int32_t port,
             const std::u16string& path,
             const ZulData& post_data) override {
    requested_port = port;
    return ZulHttpAgent::Start(method, host, port == 80 ? mTestPort : port, path, post_data);
  }
  int32_t requested_port = 0;

 private:
  int mTestPort;
};

// A path of the scripted server that replies with exactly these bytes as the document.
inline std::u16string DocPath(const std::string& body) {
  static const char kHex[] = "0123456789abcdef";
  std::u16string path = u"/doc/";
  for (unsigned char c : body) {
    path += static_cast<char16_t>(kHex[c >> 4]);
    path += static_cast<char16_t>(kHex[c & 15]);
  }
  return path;
}
