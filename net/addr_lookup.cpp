// The address-list lookup as the socket core calls it: the system's or a test's stand-in.
#include "net/socket_api.h"

namespace qel_net {

namespace {
AddrLookupFn g_lookup_override = nullptr;
}  // namespace

void addr_lookup_override(AddrLookupFn fn) {
  g_lookup_override = fn;
}

AddrLookupFn addr_lookup_function() {
  return g_lookup_override ? g_lookup_override : addr_lookup_system();
}

bool addr_lookup(const char* host,
                 const char* port,
                 int family,
                 int type,
                 std::vector<SockAddr>* out) {
  return addr_lookup_function()(host, port, family, type, out);
}

}  // namespace qel_net
