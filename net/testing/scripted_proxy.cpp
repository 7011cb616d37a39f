#include "net/testing/scripted_proxy.h"

namespace net_testing {

class ScriptedProxy::Connection : public CAsyncSocketEx {
 public:
  std::vector<Step> script;
  size_t step = 0;
  std::string received;
  std::string unmatched;
  bool mismatch = false;

 protected:
  void OnSend(int error) override { Flush(); }
  void OnReceive(int error) override {
    char buf[4096];
    for (int n; (n = Receive(buf, sizeof buf)) > 0;) {
      received.append(buf, n);
      unmatched.append(buf, n);
    }
    Advance();
  }

 private:
  void Advance() {
    while (step < script.size() && unmatched.size() >= script[step].expect.size()) {
      const Step& s = script[step];
      if (unmatched.compare(0, s.expect.size(), s.expect) != 0)
        mismatch = true;
      unmatched.erase(0, s.expect.size());
      ++step;
      outgoing_ += s.reply;
      closing_ = s.close_after;
      Flush();
      if (closing_)
        return;
    }
  }

  // Long replies go out over several send notifications; a close waits for them.
  void Flush() {
    while (!outgoing_.empty()) {
      int n = Send(outgoing_.data(), static_cast<int>(outgoing_.size()));
      if (n <= 0)
        return;
      outgoing_.erase(0, n);
    }
    if (closing_ && !shut_down_) {
      shut_down_ = true;
      ShutDown(qel_net::kShutBoth);
    }
  }

  std::string outgoing_;
  bool closing_ = false;
  bool shut_down_ = false;
};

class ScriptedProxy::Listener : public CAsyncSocketEx {
 public:
  ScriptedProxy* owner = nullptr;

 protected:
  void OnAccept(int error) override {
    if (error || owner->connection_->GetSocketHandle() != qel_net::kInvalidSocket)
      return;
    Accept(*owner->connection_);
  }
};

ScriptedProxy::ScriptedProxy()
    : listener_(std::make_unique<Listener>()), connection_(std::make_unique<Connection>()) {
  listener_->owner = this;
}

ScriptedProxy::~ScriptedProxy() = default;

bool ScriptedProxy::Start(std::vector<Step> script) {
  connection_->script = std::move(script);
  if (!listener_->Create(0, qel_net::kSockStream, qel_net::kFdAll, u"127.0.0.1") ||
      !listener_->Listen(5))
    return false;
  qel_net::SockAddr a;
  a.length = sizeof a.bytes;
  if (!listener_->GetSockName(a.bytes, &a.length))
    return false;
  a.family = qel_net::kAfInet;
  port_ = qel_net::sock_addr_port(a);
  return port_ != 0;
}

const std::string& ScriptedProxy::Received() const {
  return connection_->received;
}

bool ScriptedProxy::Mismatch() const {
  return connection_->mismatch;
}

bool ScriptedProxy::Done() const {
  return connection_->step == connection_->script.size();
}

}  // namespace net_testing
