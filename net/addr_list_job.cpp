#include "net/addr_list_job.h"

#include <utility>

namespace qel_net {

AddrListJob::AddrListJob(std::string host_text, std::string port_text)
    : host(std::move(host_text)), port(std::move(port_text)), lookup(addr_lookup_function()) {}

void AddrListJob::Run() {
  std::vector<SockAddr> found;
  if (!lookup(host.c_str(), port.c_str(), kAfUnspec, kSockStream, &found)) {
    error = sock_last_error();
    if (!error)
      error = kErrHostNotFound;
    return;
  }
  if (found.empty()) {
    error = kErrHostNotFound;
    return;
  }
  addresses = std::move(found);
}

}  // namespace qel_net
