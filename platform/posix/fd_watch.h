// Socket readiness for the posix event loop: the loop polls watched descriptors and calls
// their callback with poll's revents. The net core's posix backend is the only user.
#pragma once

#include <functional>

namespace platform {

using FdCallback = std::function<void(int fd, short revents)>;

// Replaces any earlier watch of fd. events are poll() flags (POLLIN, POLLOUT).
void watch_fd(int fd, short events, FdCallback callback);
void unwatch_fd(int fd);

}  // namespace platform
