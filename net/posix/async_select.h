// Posts Windows-style socket notifications for the posix backend: level readiness from
// poll becomes one notification per condition, re-enabled by the call that consumes it
// (read by recv, write by a send that would block, accept by accept), as Windows does.
#pragma once

#include <cstdint>

namespace qel_net {
class HelperPort;

// mask 0 stops the notifications of fd.
void async_select(int fd, HelperPort* port, unsigned msg, long mask);

void select_note_recv(int fd);
void select_note_send_blocked(int fd);
void select_note_accept(int fd);
void select_note_connect(int fd, bool in_progress);
void select_note_listen(int fd);
void select_note_closed(int fd);
// The port is gone: forget every socket that posts to it.
void select_forget_port(HelperPort* port);

}  // namespace qel_net
