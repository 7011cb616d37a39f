#include "net/posix/async_select.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <sys/socket.h>

#include <map>

#include "net/helper_port.h"
#include "net/posix/errno_map.h"
#include "platform/posix/fd_watch.h"

namespace qel_net {
namespace {

struct Selection {
  HelperPort* port = nullptr;
  unsigned msg = 0;
  long mask = 0;
  bool read_armed = true;
  bool write_armed = false;
  bool accept_armed = true;
  bool connecting = false;
  bool connected = false;
  bool listening = false;
  bool close_posted = false;
};

std::map<int, Selection>& selections() {
  static auto* m = new std::map<int, Selection>;
  return *m;
}

void on_ready(int fd, short revents);

void update_watch(int fd, Selection& s) {
  short events = 0;
  if (s.port && s.mask) {
    if (s.connecting)
      events |= POLLOUT;
    if (s.listening && s.accept_armed && (s.mask & kFdAccept))
      events |= POLLIN;
    if (s.connected && s.read_armed && (s.mask & kFdRead))
      events |= POLLIN;
    if (s.connected && !s.close_posted && (s.mask & kFdClose))
      events |= POLLRDHUP;
    if (s.connected && s.write_armed && (s.mask & kFdWrite))
      events |= POLLOUT;
  }
  if (events)
    platform::watch_fd(fd, events, on_ready);
  else
    platform::unwatch_fd(fd);
}

void post(const Selection& s, int fd, long event, int error) {
  if (s.mask & event)
    s.port->Post(s.msg, static_cast<uintptr_t>(fd), event | (static_cast<long>(error) << 16));
}

int socket_error(int fd) {
  int err = 0;
  socklen_t len = sizeof err;
  getsockopt(fd, SOL_SOCKET, SO_ERROR, &err, &len);
  return err;
}

void on_connect_done(int fd, Selection& s) {
  s.connecting = false;
  int err = socket_error(fd);
  if (err) {
    post(s, fd, kFdConnect, errno_to_winsock(err));
    return;
  }
  s.connected = true;
  post(s, fd, kFdConnect, 0);
  post(s, fd, kFdWrite, 0);
}

void on_ready(int fd, short revents) {
  auto it = selections().find(fd);
  if (it == selections().end()) {
    platform::unwatch_fd(fd);
    return;
  }
  Selection& s = it->second;
  if (s.connecting) {
    if (revents & (POLLOUT | POLLERR | POLLHUP))
      on_connect_done(fd, s);
  } else if (s.listening) {
    if (revents & POLLIN) {
      s.accept_armed = false;
      post(s, fd, kFdAccept, 0);
    }
  } else if (s.connected) {
    int readable = 0;
    ioctl(fd, FIONREAD, &readable);
    if ((revents & POLLIN) && s.read_armed && readable > 0) {
      s.read_armed = false;
      post(s, fd, kFdRead, 0);
    }
    if ((revents & POLLOUT) && s.write_armed) {
      s.write_armed = false;
      post(s, fd, kFdWrite, 0);
    }
    bool ended = (revents & (POLLRDHUP | POLLHUP | POLLERR)) || ((revents & POLLIN) && !readable);
    if (ended && !s.close_posted) {
      s.close_posted = true;
      post(s, fd, kFdClose, errno_to_winsock(socket_error(fd)));
    }
    // After the end nothing new can arrive; only bytes still unread keep the read armed.
    if (s.close_posted && !readable)
      s.read_armed = false;
  }
  update_watch(fd, s);
}

Selection* find(int fd) {
  auto it = selections().find(fd);
  return it == selections().end() ? nullptr : &it->second;
}

// A socket seen for the first time may already be connected or listening (accepted or
// attached handles).
Selection& entry(int fd) {
  auto [it, added] = selections().try_emplace(fd);
  if (added) {
    sockaddr_storage peer;
    socklen_t len = sizeof peer;
    it->second.connected = getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &len) == 0;
    int accepting = 0;
    len = sizeof accepting;
    getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &accepting, &len);
    it->second.listening = accepting != 0;
  }
  return it->second;
}

}  // namespace

void async_select(int fd, HelperPort* port, unsigned msg, long mask) {
  Selection& s = entry(fd);
  s.port = port;
  s.msg = msg;
  s.mask = mask;
  // Selecting again reports what is already true, as a fresh selection does on Windows.
  s.read_armed = true;
  s.accept_armed = true;
  if (s.connected && !s.close_posted)
    s.write_armed = true;
  update_watch(fd, s);
}

void select_note_recv(int fd) {
  if (Selection* s = find(fd); s && !s->read_armed) {
    s->read_armed = true;
    update_watch(fd, *s);
  }
}

void select_note_send_blocked(int fd) {
  if (Selection* s = find(fd)) {
    s->write_armed = true;
    update_watch(fd, *s);
  }
}

void select_note_accept(int fd) {
  if (Selection* s = find(fd)) {
    s->accept_armed = true;
    update_watch(fd, *s);
  }
}

void select_note_connect(int fd, bool in_progress) {
  Selection& s = entry(fd);
  s.connecting = true;
  if (!in_progress) {
    // Connected at once: still announced by the notifications, as on Windows.
    s.connecting = false;
    s.connected = true;
    if (s.port) {
      post(s, fd, kFdConnect, 0);
      post(s, fd, kFdWrite, 0);
    }
  }
  update_watch(fd, s);
}

void select_note_listen(int fd) {
  Selection& s = entry(fd);
  s.listening = true;
  update_watch(fd, s);
}

void select_note_closed(int fd) {
  selections().erase(fd);
  platform::unwatch_fd(fd);
}

void select_forget_port(HelperPort* port) {
  for (auto it = selections().begin(); it != selections().end();) {
    if (it->second.port == port) {
      platform::unwatch_fd(it->first);
      it = selections().erase(it);
    } else {
      ++it;
    }
  }
}

}  // namespace qel_net
