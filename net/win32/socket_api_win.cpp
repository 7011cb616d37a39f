// Windows Sockets calls. The numbers of the portable interface are Winsock's own, so this
// file only adapts types; the address-list lookup is found at run time in "WS2_32.dll".
// The gateway first: it fixes the Windows version before any system header is read.
#include "platform/win32/win.h"

#include <ws2tcpip.h>

#include <atomic>
#include <cstring>

#include "net/socket_api.h"

namespace qel_net {
namespace {

using GetAddrInfoFn = int(WSAAPI*)(const char*, const char*, const ADDRINFOA*, ADDRINFOA**);
using FreeAddrInfoFn = void(WSAAPI*)(ADDRINFOA*);

// Read by lookup workers while the UI thread may unload them. The library itself stays
// mapped: the program imports WS2_32.dll, so the run-time reference only adds a count.
HMODULE g_ws2 = nullptr;
std::atomic<GetAddrInfoFn> g_getaddrinfo{nullptr};
std::atomic<FreeAddrInfoFn> g_freeaddrinfo{nullptr};

SOCKET os(SocketHandle s) {
  return static_cast<SOCKET>(s);
}

bool system_lookup(const char* host,
                   const char* port,
                   int family,
                   int type,
                   std::vector<SockAddr>* out) {
  GetAddrInfoFn get = g_getaddrinfo;
  FreeAddrInfoFn release = g_freeaddrinfo;
  if (!get || !release) {
    WSASetLastError(kErrAfNotSupported);
    return false;
  }
  ADDRINFOA hints = {};
  hints.ai_family = family;
  hints.ai_socktype = type;
  ADDRINFOA* list = nullptr;
  int rc = get(host, port, &hints, &list);
  if (rc != 0) {
    WSASetLastError(rc);
    return false;
  }
  for (ADDRINFOA* ai = list; ai; ai = ai->ai_next) {
    SockAddr a;
    if (sock_addr_from_os(ai->ai_addr, ai->ai_addrlen, &a))
      out->push_back(a);
  }
  release(list);
  return true;
}

}  // namespace

int sock_last_error() {
  return WSAGetLastError();
}
void sock_set_last_error(int error) {
  WSASetLastError(error);
}

SocketHandle sock_open(int family, int type) {
  SOCKET s = socket(family, type, 0);
  if (s == INVALID_SOCKET)
    return kInvalidSocket;
  u_long nonblocking = 1;
  ioctlsocket(s, FIONBIO, &nonblocking);
  return static_cast<SocketHandle>(s);
}

bool sock_close(SocketHandle s) {
  return closesocket(os(s)) == 0;
}

bool sock_bind(SocketHandle s, const void* addr, int len) {
  return bind(os(s), static_cast<const sockaddr*>(addr), len) == 0;
}

bool sock_connect(SocketHandle s, const void* addr, int len) {
  return connect(os(s), static_cast<const sockaddr*>(addr), len) == 0;
}

bool sock_listen(SocketHandle s, int backlog) {
  return listen(os(s), backlog) == 0;
}

SocketHandle sock_accept(SocketHandle s, void* addr, int* len) {
  SOCKET got = accept(os(s), static_cast<sockaddr*>(addr), len);
  return got == INVALID_SOCKET ? kInvalidSocket : static_cast<SocketHandle>(got);
}

int sock_send(SocketHandle s, const void* buf, int len, int flags) {
  return send(os(s), static_cast<const char*>(buf), len, flags);
}

int sock_recv(SocketHandle s, void* buf, int len, int flags) {
  return recv(os(s), static_cast<char*>(buf), len, flags);
}

bool sock_shutdown(SocketHandle s, int how) {
  return shutdown(os(s), how) == 0;
}

bool sock_readable(SocketHandle s, unsigned long* count) {
  u_long n = 0;
  if (ioctlsocket(os(s), FIONREAD, &n) != 0)
    return false;
  *count = n;
  return true;
}

bool sock_set_receive_buffer(SocketHandle s, int bytes) {
  return setsockopt(os(s), SOL_SOCKET, SO_RCVBUF, reinterpret_cast<const char*>(&bytes),
                    sizeof bytes) == 0;
}

bool sock_peer_name(SocketHandle s, void* addr, int* len) {
  return getpeername(os(s), static_cast<sockaddr*>(addr), len) == 0;
}

bool sock_sock_name(SocketHandle s, void* addr, int* len) {
  return getsockname(os(s), static_cast<sockaddr*>(addr), len) == 0;
}

bool sock_parse_ipv4(const char* text, uint32_t* addr) {
  if (!text)
    return false;
  unsigned long a = inet_addr(text);
  if (a == INADDR_NONE && std::strcmp(text, "255.255.255.255") != 0)
    return false;
  *addr = static_cast<uint32_t>(a);
  return true;
}

bool addr_lookup_load() {
  g_ws2 = LoadLibraryA("WS2_32.dll");
  if (!g_ws2)
    return false;
  auto get = reinterpret_cast<GetAddrInfoFn>(
      reinterpret_cast<void*>(GetProcAddress(g_ws2, "getaddrinfo")));
  auto release = reinterpret_cast<FreeAddrInfoFn>(
      reinterpret_cast<void*>(GetProcAddress(g_ws2, "freeaddrinfo")));
  if (get && release) {
    g_freeaddrinfo = release;
    g_getaddrinfo = get;
    return true;
  }
  addr_lookup_unload();
  return false;
}

void addr_lookup_unload() {
  g_getaddrinfo = nullptr;
  g_freeaddrinfo = nullptr;
  if (g_ws2)
    FreeLibrary(g_ws2);
  g_ws2 = nullptr;
}

bool addr_lookup_available() {
  return g_getaddrinfo != nullptr;
}

AddrLookupFn addr_lookup_system() {
  return system_lookup;
}

}  // namespace qel_net
