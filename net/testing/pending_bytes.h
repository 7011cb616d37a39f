// Scripted bytes handed out as a non-blocking receive would: as many as fit, or
// would-block when there are none yet.
#pragma once

#include <string>

#include "net/socket_api.h"

namespace net_testing {

inline int ReceivePending(std::string* pending, void* buf, int size) {
  if (pending->empty()) {
    qel_net::sock_set_last_error(qel_net::kErrWouldBlock);
    return -1;
  }
  int n = static_cast<int>(pending->size()) < size ? static_cast<int>(pending->size()) : size;
  pending->copy(static_cast<char*>(buf), n);
  pending->erase(0, n);
  return n;
}

}  // namespace net_testing
