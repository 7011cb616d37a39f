// What a thread's socket helper needs from the operating system: a private message queue
// ("the window"), readiness notifications posted into it, the close-retry timer and the
// asynchronous host lookup. The Windows backend is a real hidden window; the posix one
// keeps the queue itself and drains it from the platform event loop.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "net/socket_api.h"

class CAsyncSocketExHelperWindow;

namespace qel_net {

// Message numbers of the helper window.
constexpr unsigned kMsgLayer = 1024;
constexpr unsigned kMsgLookup = 1025;
constexpr unsigned kMsgCallback = 1026;
constexpr unsigned kMsgSocketBase = 1027;
// Answer of a connect-by-name lookup. Every number from 1024 below 0xC000 is taken, so it
// lies above them; the Windows helper posts it under a registered message number.
constexpr unsigned kMsgAddrList = 0xC000;

constexpr int kLookupBufferSize = 1024;

struct HelperMessage {
  unsigned msg;
  uintptr_t wparam;
  intptr_t lparam;
};

class HelperPort {
 public:
  // Messages and timer ticks go to owner->OnMessage / owner->OnRetryTimer. Null on failure.
  static std::unique_ptr<HelperPort> Create(CAsyncSocketExHelperWindow* owner);
  virtual ~HelperPort() = default;

  virtual bool Post(unsigned msg, uintptr_t wparam, intptr_t lparam) = 0;
  // Takes every queued message numbered msg out of the queue, oldest first.
  virtual std::vector<HelperMessage> Take(unsigned msg) = 0;
  // Posts msg with (socket, notification | error << 16) for the selected notifications;
  // mask 0 stops them.
  virtual bool Select(SocketHandle s, unsigned msg, long mask) = 0;
  virtual bool StartRetryTimer() = 0;
  virtual void StopRetryTimer() = 0;
  // Resolves an IPv4 host into buffer and answers with kMsgLookup (wparam = the handle,
  // error in the high 16 bits of lparam). Returns 0 when the lookup cannot start.
  virtual uintptr_t StartLookup(const char* host, char* buffer, int size) = 0;
  virtual void CancelLookup(uintptr_t handle) = 0;
  // The first address of an answer in buffer, network order; 0 when there is none.
  virtual uint32_t AnswerAddress(const char* buffer) = 0;
  // Looks host up for stream sockets of any family on a worker thread and answers with
  // kMsgAddrList (wparam = the handle, error in the high 16 bits of lparam). Handles are
  // never reused. Returns 0 with the last error set when the lookup cannot start.
  virtual uintptr_t StartAddrLookup(const std::string& host, const std::string& port) = 0;
  // The addresses of an answered lookup, handed over once.
  virtual std::vector<SockAddr> TakeAddrList(uintptr_t handle) = 0;
  // Forgets the lookup: its answer is not posted, or when already queued no longer names a
  // lookup. The worker may still run, on its own copy of the request.
  virtual void CancelAddrLookup(uintptr_t handle) = 0;
};

}  // namespace qel_net
