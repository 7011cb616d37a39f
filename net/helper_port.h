// What a thread's socket helper needs from the operating system: a private message queue
// ("the window"), readiness notifications posted into it, the close-retry timer and the
// asynchronous host lookup. The Windows backend is a real hidden window; the posix one
// keeps the queue itself and drains it from the platform event loop.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "net/socket_api.h"

class CAsyncSocketExHelperWindow;

namespace qel_net {

// Message numbers of the helper window.
constexpr unsigned kMsgLayer = 1024;
constexpr unsigned kMsgLookup = 1025;
constexpr unsigned kMsgCallback = 1026;
constexpr unsigned kMsgSocketBase = 1027;

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
};

}  // namespace qel_net
