// A proxy on the test's own event loop: it accepts one connection, checks what arrives
// against a script and answers each expected message with the script's reply. Tests see the
// exact bytes a layer sends and can make the proxy answer anything.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "net/async_socket_ex.h"

namespace net_testing {

class ScriptedProxy {
 public:
  struct Step {
    std::string expect;  // bytes that must arrive before the reply is sent
    std::string reply;
    bool close_after = false;
  };

  ScriptedProxy();
  ~ScriptedProxy();

  // Listens on 127.0.0.1 at a free port.
  bool Start(std::vector<Step> script);
  int Port() const { return port_; }
  // Everything received so far, and whether it differed from the script.
  const std::string& Received() const;
  bool Mismatch() const;
  bool Done() const;

 private:
  class Listener;
  class Connection;
  std::unique_ptr<Listener> listener_;
  std::unique_ptr<Connection> connection_;
  int port_ = 0;
};

}  // namespace net_testing
