// A socket with no network behind it: what the agent sends is collected, what it receives
// is scripted, and the test fires the notifications. Used by tests and the fuzz target.
#pragma once

#include <algorithm>
#include <cstdint>
#include <string>

#include "net/qel_async_socket.h"
#include "net/testing/pending_bytes.h"

class ScriptedSocket : public ZulMyCAsyncSocketEx {
 public:
  std::string sent;
  std::string host;
  int port = 0;
  bool closed = false;

  bool Create(unsigned, int, long, const char16_t*, int) override { return true; }
  bool AsyncSelect(long) override { return true; }
  bool Connect(const char16_t* to, int to_port) override {
    host.assign(to, to + std::char_traits<char16_t>::length(to));
    port = to_port;
    qel_net::sock_set_last_error(qel_net::kErrWouldBlock);
    return false;
  }
  // Bytes the peer takes before a send would block; FireSend makes room again.
  size_t send_room = SIZE_MAX;
  int Send(const void* buf, int len, int) override {
    size_t n = std::min<size_t>(len, send_room);
    if (len > 0 && n == 0) {
      qel_net::sock_set_last_error(qel_net::kErrWouldBlock);
      return -1;
    }
    sent.append(static_cast<const char*>(buf), n);
    send_room -= n;
    return static_cast<int>(n);
  }
  int Receive(void* buf, int size, int) override {
    if (pending_.empty() && peer_closed_)
      return 0;
    return net_testing::ReceivePending(&pending_, buf, size);
  }
  void Close() override { closed = true; }

  void FireConnect(int error = 0) { OnConnect(error); }
  void FireSend(int error = 0) { OnSend(error); }
  // Makes bytes readable and announces them with one receive notification.
  void Deliver(const std::string& bytes) {
    pending_ += bytes;
    OnReceive(0);
  }
  // The peer's close as the agent sees it: a receive that returns 0.
  void PeerClose() {
    peer_closed_ = true;
    OnReceive(0);
  }

 private:
  std::string pending_;
  bool peer_closed_ = false;
};
