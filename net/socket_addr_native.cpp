// Socket addresses in the system's own layout; the backend folder supplies its headers.
#include "socket_headers.h"

#include <cstring>

#include "net/socket_api.h"

namespace qel_net {

SockAddr sock_addr_ipv4(uint32_t addr_network_order, uint16_t port) {
  SockAddr out;
  sockaddr_in sin = {};
  sin.sin_family = AF_INET;
  sin.sin_port = htons(port);
  sin.sin_addr.s_addr = addr_network_order;
  std::memcpy(out.bytes, &sin, sizeof sin);
  out.family = kAfInet;
  out.length = sizeof sin;
  return out;
}

bool sock_addr_any(int family, uint16_t port, SockAddr* out) {
  if (family == kAfInet) {
    *out = sock_addr_ipv4(htonl(INADDR_ANY), port);
    return true;
  }
  if (family != kAfInet6)
    return false;
  sockaddr_in6 sin6 = {};  // all zero: the any-address
  sin6.sin6_family = AF_INET6;
  sin6.sin6_port = htons(port);
  *out = SockAddr();
  std::memcpy(out->bytes, &sin6, sizeof sin6);
  out->family = kAfInet6;
  out->length = sizeof sin6;
  return true;
}

uint16_t sock_addr_port(const SockAddr& addr) {
  if (addr.family == kAfInet)
    return ntohs(reinterpret_cast<const sockaddr_in*>(addr.bytes)->sin_port);
  if (addr.family == kAfInet6)
    return ntohs(reinterpret_cast<const sockaddr_in6*>(addr.bytes)->sin6_port);
  return 0;
}

bool sock_addr_from_os(const void* addr, size_t len, SockAddr* out) {
  int os_family = static_cast<const sockaddr*>(addr)->sa_family;
  int family = os_family == AF_INET ? kAfInet : os_family == AF_INET6 ? kAfInet6 : -1;
  if (family < 0 || len > sizeof out->bytes)
    return false;
  *out = SockAddr();
  out->family = family;
  out->length = static_cast<int>(len);
  std::memcpy(out->bytes, addr, len);
  return true;
}

}  // namespace qel_net
