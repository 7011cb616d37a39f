// A connect-by-name lookup handed to a worker thread. The worker holds only this job (its
// own copy of the host and port text and the lookup function fixed when it was made), never
// the socket, so a socket closed meanwhile has nothing the worker could touch.
#pragma once

#include <string>
#include <vector>

#include "net/socket_api.h"

namespace qel_net {

struct AddrListJob {
  AddrListJob(std::string host_text, std::string port_text);

  // On the worker thread. A lookup that finds no address fails with kErrHostNotFound.
  void Run();

  std::string host;
  std::string port;
  AddrLookupFn lookup;
  int error = 0;
  std::vector<SockAddr> addresses;
};

}  // namespace qel_net
