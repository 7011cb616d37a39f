// The posix helper: a queue drained one message per loop task, poll readiness turned into
// notifications by async_select, and host lookups on worker threads that report back
// through a pipe the loop watches.
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <unistd.h>

#include <atomic>
#include <cstring>
#include <deque>
#include <map>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>

#include "net/addr_list_job.h"
#include "net/async_socket_ex_helper_window.h"
#include "net/helper_port.h"
#include "net/posix/async_select.h"
#include "net/posix/errno_map.h"
#include "platform/event_loop.h"
#include "platform/posix/fd_watch.h"

namespace qel_net {
namespace {

class PosixHelperPort;

struct Lookup {
  std::string host;
  uint32_t address = 0;
  int error = 0;
  PosixHelperPort* port = nullptr;  // null once cancelled; touched on the loop thread only
  char* buffer = nullptr;
  std::shared_ptr<AddrListJob> job;  // set for a connect-by-name lookup
};

// Lookups in flight by handle, and the pipe their workers report on. Both live for the
// process so that a worker never writes to a closed descriptor.
struct LookupService {
  std::mutex lock;
  std::map<uintptr_t, std::shared_ptr<Lookup>> pending;
  uintptr_t next_handle = 1;
  int pipe_read = -1;
  int pipe_write = -1;
};

LookupService& lookups() {
  static auto* s = new LookupService;
  return *s;
}

void on_lookup_done(int fd, short);

bool ensure_lookup_pipe() {
  LookupService& s = lookups();
  if (s.pipe_read >= 0)
    return true;
  int fds[2];
  if (pipe2(fds, O_CLOEXEC | O_NONBLOCK) != 0)
    return false;
  s.pipe_read = fds[0];
  s.pipe_write = fds[1];
  platform::watch_fd(s.pipe_read, POLLIN, on_lookup_done);
  return true;
}

void resolve(uintptr_t handle, std::shared_ptr<Lookup> lookup) {
  addrinfo hints = {};
  hints.ai_family = AF_INET;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  int rc = getaddrinfo(lookup->host.c_str(), nullptr, &hints, &list);
  {
    std::lock_guard<std::mutex> guard(lookups().lock);
    if (rc != 0) {
      lookup->error = gai_to_winsock(rc);
    } else {
      lookup->address = reinterpret_cast<sockaddr_in*>(list->ai_addr)->sin_addr.s_addr;
      freeaddrinfo(list);
    }
  }
  ssize_t ignored = write(lookups().pipe_write, &handle, sizeof handle);
  (void)ignored;
}

void resolve_list(uintptr_t handle, std::shared_ptr<AddrListJob> job) {
  AddrListJob answer = *job;  // the request part never changes once started
  answer.Run();
  {
    // The loop thread reads the answer after taking the same lock.
    std::lock_guard<std::mutex> guard(lookups().lock);
    job->error = answer.error;
    job->addresses = std::move(answer.addresses);
  }
  ssize_t ignored = write(lookups().pipe_write, &handle, sizeof handle);
  (void)ignored;
}

class PosixHelperPort : public HelperPort {
 public:
  explicit PosixHelperPort(CAsyncSocketExHelperWindow* owner)
      : owner_(owner), alive_(std::make_shared<bool>(true)) {}

  ~PosixHelperPort() override {
    *alive_ = false;
    StopRetryTimer();
    select_forget_port(this);
    std::lock_guard<std::mutex> guard(lookups().lock);
    for (auto& [handle, lookup] : lookups().pending)
      if (lookup->port == this)
        lookup->port = nullptr;
  }

  bool Post(unsigned msg, uintptr_t wparam, intptr_t lparam) override {
    queue_.push_back({msg, wparam, lparam});
    ScheduleDrain();
    return true;
  }

  std::vector<HelperMessage> Take(unsigned msg) override {
    std::vector<HelperMessage> taken;
    for (auto it = queue_.begin(); it != queue_.end();) {
      if (it->msg == msg) {
        taken.push_back(*it);
        it = queue_.erase(it);
      } else {
        ++it;
      }
    }
    return taken;
  }

  bool Select(SocketHandle s, unsigned msg, long mask) override {
    if (s == kInvalidSocket) {
      sock_set_last_error(kErrNotSocket);
      return false;
    }
    async_select(static_cast<int>(s), this, msg, mask);
    return true;
  }

  bool StartRetryTimer() override {
    if (timer_)
      return true;
    timer_ = platform::set_thread_timer(10, &PosixHelperPort::OnTimer);
    if (timer_)
      timers()[timer_] = this;
    return timer_ != 0;
  }

  void StopRetryTimer() override {
    if (!timer_)
      return;
    platform::kill_thread_timer(timer_);
    timers().erase(timer_);
    timer_ = 0;
  }

  uintptr_t StartLookup(const char* host, char* buffer, int size) override {
    if (size < 4 || !ensure_lookup_pipe()) {
      sock_set_last_error(10055);
      return 0;
    }
    auto lookup = std::make_shared<Lookup>();
    lookup->host = host;
    lookup->port = this;
    lookup->buffer = buffer;
    uintptr_t handle;
    {
      std::lock_guard<std::mutex> guard(lookups().lock);
      handle = lookups().next_handle++;
      lookups().pending[handle] = lookup;
    }
    std::thread(resolve, handle, lookup).detach();
    return handle;
  }

  void CancelLookup(uintptr_t handle) override {
    std::lock_guard<std::mutex> guard(lookups().lock);
    auto it = lookups().pending.find(handle);
    if (it != lookups().pending.end())
      it->second->port = nullptr;
  }

  uintptr_t StartAddrLookup(const std::string& host, const std::string& port) override {
    if (!ensure_lookup_pipe()) {
      sock_set_last_error(10055);
      return 0;
    }
    auto lookup = std::make_shared<Lookup>();
    lookup->port = this;
    lookup->job = std::make_shared<AddrListJob>(host, port);
    uintptr_t handle;
    {
      std::lock_guard<std::mutex> guard(lookups().lock);
      handle = lookups().next_handle++;
      lookups().pending[handle] = lookup;
    }
    try {
      std::thread(resolve_list, handle, lookup->job).detach();
    } catch (const std::system_error&) {
      std::lock_guard<std::mutex> guard(lookups().lock);
      lookups().pending.erase(handle);
      sock_set_last_error(10055);
      return 0;
    }
    return handle;
  }

  std::vector<SockAddr> TakeAddrList(uintptr_t handle) override {
    auto it = answered_.find(handle);
    if (it == answered_.end())
      return {};
    std::vector<SockAddr> list = std::move(it->second->addresses);
    answered_.erase(it);
    return list;
  }

  void CancelAddrLookup(uintptr_t handle) override {
    CancelLookup(handle);
    answered_.erase(handle);
  }

  // On the loop thread, once the worker has reported.
  void Answer(uintptr_t handle, std::shared_ptr<AddrListJob> job) {
    int error = job->error;
    answered_[handle] = std::move(job);
    Post(kMsgAddrList, handle, static_cast<intptr_t>(error) << 16);
  }

  uint32_t AnswerAddress(const char* buffer) override {
    uint32_t addr;
    std::memcpy(&addr, buffer, sizeof addr);
    return addr;
  }

  CAsyncSocketExHelperWindow* owner() const { return owner_; }

 private:
  static std::map<uintptr_t, PosixHelperPort*>& timers() {
    static auto* m = new std::map<uintptr_t, PosixHelperPort*>;
    return *m;
  }

  static void OnTimer(uintptr_t id) {
    auto it = timers().find(id);
    if (it != timers().end())
      it->second->owner_->OnRetryTimer();
  }

  // One message per loop task, so that readiness and timers are served between them.
  void ScheduleDrain() {
    if (drain_scheduled_ || queue_.empty())
      return;
    drain_scheduled_ = true;
    std::weak_ptr<bool> alive = alive_;
    platform::post_task([this, alive] {
      auto still = alive.lock();
      if (!still || !*still)
        return;
      drain_scheduled_ = false;
      if (queue_.empty())
        return;
      HelperMessage m = queue_.front();
      queue_.pop_front();
      ScheduleDrain();
      owner_->OnMessage(m.msg, m.wparam, m.lparam);
    });
  }

  CAsyncSocketExHelperWindow* owner_;
  std::shared_ptr<bool> alive_;
  std::deque<HelperMessage> queue_;
  std::map<uintptr_t, std::shared_ptr<AddrListJob>> answered_;
  bool drain_scheduled_ = false;
  uintptr_t timer_ = 0;
};

void on_lookup_done(int fd, short) {
  uintptr_t handle;
  while (read(fd, &handle, sizeof handle) == sizeof handle) {
    std::shared_ptr<Lookup> lookup;
    {
      std::lock_guard<std::mutex> guard(lookups().lock);
      auto it = lookups().pending.find(handle);
      if (it == lookups().pending.end())
        continue;
      lookup = it->second;
      lookups().pending.erase(it);
    }
    if (!lookup->port)
      continue;
    if (lookup->job) {
      lookup->port->Answer(handle, lookup->job);
      continue;
    }
    if (!lookup->error)
      std::memcpy(lookup->buffer, &lookup->address, sizeof lookup->address);
    lookup->port->Post(kMsgLookup, handle, static_cast<intptr_t>(lookup->error) << 16);
  }
}

}  // namespace

std::unique_ptr<HelperPort> HelperPort::Create(CAsyncSocketExHelperWindow* owner) {
  return std::make_unique<PosixHelperPort>(owner);
}

}  // namespace qel_net
