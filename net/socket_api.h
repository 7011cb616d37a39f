// The operating system's socket calls as the socket core sees them. Numbers follow Windows
// Sockets everywhere (families 2 and 23, notification bits, error codes), so the core and
// its owners read the same values on both backends; the posix backend translates errno in
// one place.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qel_net {

using SocketHandle = uintptr_t;
constexpr SocketHandle kInvalidSocket = ~static_cast<uintptr_t>(0);

// Notification bits.
constexpr long kFdRead = 1;
constexpr long kFdWrite = 2;
constexpr long kFdOob = 4;
constexpr long kFdAccept = 8;
constexpr long kFdConnect = 16;
constexpr long kFdClose = 32;
constexpr long kFdAll = 63;
constexpr long kFdForcedRead = 0x8000;

// Address families and socket types.
constexpr int kAfUnspec = 0;
constexpr int kAfInet = 2;
constexpr int kAfInet6 = 23;
constexpr int kSockStream = 1;
constexpr int kSockDgram = 2;

// Shutdown directions.
constexpr int kShutReceive = 0;
constexpr int kShutSend = 1;
constexpr int kShutBoth = 2;

// Error codes.
constexpr int kErrInvalidArgument = 10022;
constexpr int kErrWouldBlock = 10035;
constexpr int kErrAlready = 10037;
constexpr int kErrNotSocket = 10038;
constexpr int kErrAfNotSupported = 10043;
constexpr int kErrAddrInUse = 10048;
constexpr int kErrConnAborted = 10053;
constexpr int kErrConnReset = 10054;
constexpr int kErrNotConnected = 10057;
constexpr int kErrShutdown = 10058;
constexpr int kErrConnRefused = 10061;
constexpr int kErrNotInitialised = 10093;
constexpr int kErrHostNotFound = 11001;

// One socket address in the operating system's layout.
struct SockAddr {
  int family = 0;  // kAfInet or kAfInet6
  int length = 0;
  alignas(8) unsigned char bytes[128] = {};
};

int sock_last_error();
void sock_set_last_error(int error);

SocketHandle sock_open(int family, int type);
bool sock_close(SocketHandle s);
bool sock_bind(SocketHandle s, const void* addr, int len);
// A would-block start reports false with kErrWouldBlock.
bool sock_connect(SocketHandle s, const void* addr, int len);
bool sock_listen(SocketHandle s, int backlog);
SocketHandle sock_accept(SocketHandle s, void* addr, int* len);
int sock_send(SocketHandle s, const void* buf, int len, int flags);
int sock_recv(SocketHandle s, void* buf, int len, int flags);
bool sock_shutdown(SocketHandle s, int how);
// The number of bytes a receive would return now.
bool sock_readable(SocketHandle s, unsigned long* count);
// SO_RCVBUF: how much the system holds for the socket before the peer must wait.
bool sock_set_receive_buffer(SocketHandle s, int bytes);
bool sock_peer_name(SocketHandle s, void* addr, int* len);
bool sock_sock_name(SocketHandle s, void* addr, int* len);

// Numeric dotted IPv4 text to an address in network order; false when it is not one.
bool sock_parse_ipv4(const char* text, uint32_t* addr);
SockAddr sock_addr_ipv4(uint32_t addr_network_order, uint16_t port);
// The any-address of kAfInet or kAfInet6 with port; false for other families.
bool sock_addr_any(int family, uint16_t port, SockAddr* out);
// The port of an IPv4 or IPv6 address, 0 for anything else.
uint16_t sock_addr_port(const SockAddr& addr);
// Copies an address the system handed out; false for families other than IPv4 and IPv6
// and for one too long to hold.
bool sock_addr_from_os(const void* addr, size_t len, SockAddr* out);

// The address-list lookup (getaddrinfo), available while loaded.
bool addr_lookup_load();
void addr_lookup_unload();
bool addr_lookup_available();
// Looks host up for (family, type) with the port as decimal text; false with the last
// error set when the lookup fails.
bool addr_lookup(const char* host,
                 const char* port,
                 int family,
                 int type,
                 std::vector<SockAddr>* out);

// Replaces the address-list lookup; null restores the system's. For tests that need a
// name with several addresses.
using AddrLookupFn =
    bool (*)(const char* host, const char* port, int family, int type, std::vector<SockAddr>* out);
void addr_lookup_override(AddrLookupFn fn);
// The lookup addr_lookup would use now (the override or the system's), for a worker thread:
// a later override does not reach a lookup already handed out.
AddrLookupFn addr_lookup_function();
// The backend's own lookup (getaddrinfo), whatever the override.
AddrLookupFn addr_lookup_system();

}  // namespace qel_net
