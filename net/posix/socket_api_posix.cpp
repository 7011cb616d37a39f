#include <arpa/inet.h>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

#include "net/posix/async_select.h"
#include "net/posix/errno_map.h"
#include "net/socket_api.h"

namespace qel_net {
namespace {

thread_local int t_last_error = 0;
bool g_lookup_loaded = false;

int to_os_family(int family) {
  if (family == kAfInet)
    return AF_INET;
  if (family == kAfInet6)
    return AF_INET6;
  if (family == kAfUnspec)
    return AF_UNSPEC;
  return -1;
}

// Safe on any thread: the last error is per thread, as on Windows.
bool system_lookup(const char* host,
                   const char* port,
                   int family,
                   int type,
                   std::vector<SockAddr>* out) {
  addrinfo hints = {};
  hints.ai_family = to_os_family(family);
  hints.ai_socktype = type == kSockDgram ? SOCK_DGRAM : SOCK_STREAM;
  addrinfo* list = nullptr;
  int rc = getaddrinfo(host, port, &hints, &list);
  if (rc != 0) {
    t_last_error = gai_to_winsock(rc);
    return false;
  }
  for (addrinfo* ai = list; ai; ai = ai->ai_next) {
    SockAddr a;
    if (sock_addr_from_os(ai->ai_addr, ai->ai_addrlen, &a))
      out->push_back(a);
  }
  freeaddrinfo(list);
  return true;
}

int fd_of(SocketHandle s) {
  return s == kInvalidSocket ? -1 : static_cast<int>(s);
}

bool fail_errno() {
  t_last_error = errno_to_winsock(errno);
  return false;
}

}  // namespace

int sock_last_error() {
  return t_last_error;
}
void sock_set_last_error(int error) {
  t_last_error = error;
}

SocketHandle sock_open(int family, int type) {
  int os_family = to_os_family(family);
  int os_type = type == kSockStream ? SOCK_STREAM : type == kSockDgram ? SOCK_DGRAM : -1;
  if (os_family < 0 || os_family == AF_UNSPEC || os_type < 0) {
    t_last_error = os_type < 0 ? 10044 : kErrAfNotSupported;
    return kInvalidSocket;
  }
  int fd = socket(os_family, os_type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
  if (fd < 0) {
    fail_errno();
    return kInvalidSocket;
  }
  return static_cast<SocketHandle>(fd);
}

bool sock_close(SocketHandle s) {
  int fd = fd_of(s);
  if (fd < 0) {
    t_last_error = kErrNotSocket;
    return false;
  }
  select_note_closed(fd);
  return close(fd) == 0 || fail_errno();
}

bool sock_bind(SocketHandle s, const void* addr, int len) {
  if (bind(fd_of(s), static_cast<const sockaddr*>(addr), len) == 0)
    return true;
  return fail_errno();
}

bool sock_connect(SocketHandle s, const void* addr, int len) {
  int fd = fd_of(s);
  if (connect(fd, static_cast<const sockaddr*>(addr), len) == 0) {
    select_note_connect(fd, false);
    return true;
  }
  if (errno == EINPROGRESS) {
    select_note_connect(fd, true);
    t_last_error = kErrWouldBlock;
    return false;
  }
  return fail_errno();
}

bool sock_listen(SocketHandle s, int backlog) {
  int fd = fd_of(s);
  if (listen(fd, backlog) != 0)
    return fail_errno();
  select_note_listen(fd);
  return true;
}

SocketHandle sock_accept(SocketHandle s, void* addr, int* len) {
  int fd = fd_of(s);
  socklen_t os_len = len ? static_cast<socklen_t>(*len) : 0;
  int got = accept4(fd, static_cast<sockaddr*>(addr), len ? &os_len : nullptr,
                    SOCK_NONBLOCK | SOCK_CLOEXEC);
  int saved = errno;
  select_note_accept(fd);
  if (got < 0) {
    t_last_error = errno_to_winsock(saved);
    return kInvalidSocket;
  }
  if (len)
    *len = static_cast<int>(os_len);
  return static_cast<SocketHandle>(got);
}

int sock_send(SocketHandle s, const void* buf, int len, int flags) {
  int fd = fd_of(s);
  ssize_t n = send(fd, buf, len < 0 ? 0 : len, flags | MSG_NOSIGNAL);
  if (n >= 0)
    return static_cast<int>(n);
  int saved = errno;
  if (saved == EAGAIN)
    select_note_send_blocked(fd);
  t_last_error = errno_to_winsock(saved);
  return -1;
}

int sock_recv(SocketHandle s, void* buf, int len, int flags) {
  int fd = fd_of(s);
  ssize_t n = recv(fd, buf, len < 0 ? 0 : len, flags);
  int saved = errno;
  select_note_recv(fd);
  if (n >= 0)
    return static_cast<int>(n);
  t_last_error = errno_to_winsock(saved);
  return -1;
}

bool sock_shutdown(SocketHandle s, int how) {
  int os_how = how == kShutReceive ? SHUT_RD : how == kShutSend ? SHUT_WR : SHUT_RDWR;
  if (shutdown(fd_of(s), os_how) == 0)
    return true;
  return fail_errno();
}

bool sock_readable(SocketHandle s, unsigned long* count) {
  int n = 0;
  if (ioctl(fd_of(s), FIONREAD, &n) != 0)
    return fail_errno();
  *count = static_cast<unsigned long>(n);
  return true;
}

bool sock_set_receive_buffer(SocketHandle s, int bytes) {
  if (setsockopt(fd_of(s), SOL_SOCKET, SO_RCVBUF, &bytes, sizeof bytes) == 0)
    return true;
  return fail_errno();
}

bool sock_peer_name(SocketHandle s, void* addr, int* len) {
  socklen_t os_len = static_cast<socklen_t>(*len);
  if (getpeername(fd_of(s), static_cast<sockaddr*>(addr), &os_len) != 0)
    return fail_errno();
  *len = static_cast<int>(os_len);
  return true;
}

bool sock_sock_name(SocketHandle s, void* addr, int* len) {
  socklen_t os_len = static_cast<socklen_t>(*len);
  if (getsockname(fd_of(s), static_cast<sockaddr*>(addr), &os_len) != 0)
    return fail_errno();
  *len = static_cast<int>(os_len);
  return true;
}

bool sock_parse_ipv4(const char* text, uint32_t* addr) {
  in_addr a;
  if (!text || inet_pton(AF_INET, text, &a) != 1)
    return false;
  *addr = a.s_addr;
  return true;
}

bool addr_lookup_load() {
  g_lookup_loaded = true;
  return true;
}

void addr_lookup_unload() {
  g_lookup_loaded = false;
}

bool addr_lookup_available() {
  return g_lookup_loaded;
}

AddrLookupFn addr_lookup_system() {
  return system_lookup;
}

}  // namespace qel_net
