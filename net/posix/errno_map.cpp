#include "net/posix/errno_map.h"

#include <netdb.h>

#include <cerrno>

#include "net/socket_api.h"

namespace qel_net {

int errno_to_winsock(int err) {
  switch (err) {
    case 0:
      return 0;
    case EINTR:
      return 10004;
    case EBADF:
      return kErrNotSocket;
    case EACCES:
      return 10013;
    case EFAULT:
      return 10014;
    case EINVAL:
      return kErrInvalidArgument;
    case EMFILE:
    case ENFILE:
      return 10024;
    case EAGAIN:
    case EINPROGRESS:
      return kErrWouldBlock;
    case EALREADY:
      return kErrAlready;
    case ENOTSOCK:
      return kErrNotSocket;
    case EDESTADDRREQ:
      return 10039;
    case EMSGSIZE:
      return 10040;
    case EPROTOTYPE:
      return 10041;
    case ENOPROTOOPT:
      return 10042;
    case EPROTONOSUPPORT:
      return kErrAfNotSupported;
    case EOPNOTSUPP:
      return 10045;
    case EAFNOSUPPORT:
      return 10047;
    case EADDRINUSE:
      return kErrAddrInUse;
    case EADDRNOTAVAIL:
      return 10049;
    case ENETDOWN:
      return 10050;
    case ENETUNREACH:
      return 10051;
    case ECONNABORTED:
      return kErrConnAborted;
    case ECONNRESET:
      return kErrConnReset;
    case ENOBUFS:
      return 10055;
    case EISCONN:
      return 10056;
    case ENOTCONN:
      return kErrNotConnected;
    case EPIPE:
    case ESHUTDOWN:
      return kErrShutdown;
    case ETIMEDOUT:
      return 10060;
    case ECONNREFUSED:
      return kErrConnRefused;
    case EHOSTDOWN:
      return 10064;
    case EHOSTUNREACH:
      return 10065;
    default:
      return 10022;
  }
}

int gai_to_winsock(int gai_error) {
  switch (gai_error) {
    case 0:
      return 0;
    case EAI_AGAIN:
      return 11002;
    case EAI_FAIL:
      return 11003;
    case EAI_FAMILY:
      return 10047;
    case EAI_MEMORY:
      return 8;
    case EAI_SERVICE:
      return 10109;
    case EAI_SOCKTYPE:
      return 10044;
    case EAI_SYSTEM:
      return errno_to_winsock(errno);
    case EAI_NONAME:
    default:
      return kErrHostNotFound;
  }
}

}  // namespace qel_net
