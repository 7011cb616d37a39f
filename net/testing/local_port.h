// The port an IPv4 test socket was given when it was bound to port 0.
#pragma once

#include "net/async_socket_ex.h"

namespace net_testing {

inline int LocalPort(CAsyncSocketEx& socket) {
  qel_net::SockAddr a;
  a.length = sizeof a.bytes;
  socket.GetSockName(a.bytes, &a.length);
  a.family = qel_net::kAfInet;
  return qel_net::sock_addr_port(a);
}

}  // namespace net_testing
