// errno and getaddrinfo results in Windows Sockets numbers: the one place where the posix
// backend translates error codes.
#pragma once

namespace qel_net {

int errno_to_winsock(int err);
int gai_to_winsock(int gai_error);

}  // namespace qel_net
