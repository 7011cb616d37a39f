// A poll-based loop standing in for the Windows message loop in native tests.
#include "platform/event_loop.h"

#include <poll.h>

#include <chrono>
#include <deque>
#include <map>
#include <vector>

#include "platform/posix/fd_watch.h"

namespace platform {
namespace {

using Clock = std::chrono::steady_clock;

struct Timer {
  Clock::time_point due;
  std::chrono::milliseconds interval;
  TimerProc proc;
};

struct Loop {
  std::map<uintptr_t, Timer> timers;
  uintptr_t next_timer_id = 1;
  std::deque<std::function<void()>> tasks;
  std::map<int, std::pair<short, FdCallback>> fds;
};

Loop& loop() {
  static Loop* l = new Loop;  // lives for the process: timers may be killed at exit
  return *l;
}

// Runs one ready item: a posted task first, then an expired timer, then ready sockets.
// Waits at most wait_ms for something to happen. Returns whether anything ran.
bool dispatch_one(int wait_ms) {
  Loop& l = loop();
  if (!l.tasks.empty()) {
    auto fn = std::move(l.tasks.front());
    l.tasks.pop_front();
    fn();
    return true;
  }
  auto now = Clock::now();
  for (auto& [id, t] : l.timers) {
    if (t.due <= now) {
      t.due = now + t.interval;
      TimerProc proc = t.proc;
      uintptr_t timer_id = id;
      proc(timer_id);
      return true;
    }
  }
  for (auto& [id, t] : l.timers) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(t.due - now).count() + 1;
    if (left < wait_ms)
      wait_ms = static_cast<int>(left);
  }
  std::vector<pollfd> pfds;
  for (auto& [fd, w] : l.fds)
    pfds.push_back({fd, w.first, 0});
  int n = poll(pfds.data(), pfds.size(), wait_ms < 0 ? 0 : wait_ms);
  if (n <= 0)
    return false;
  for (auto& p : pfds) {
    if (!p.revents)
      continue;
    auto it = l.fds.find(p.fd);
    if (it == l.fds.end())
      continue;  // unwatched by an earlier callback
    FdCallback cb = it->second.second;
    cb(p.fd, p.revents);
    return true;
  }
  return false;
}

}  // namespace

uintptr_t set_thread_timer(unsigned interval_ms, TimerProc proc) {
  if (!proc)
    return 0;
  Loop& l = loop();
  uintptr_t id = l.next_timer_id++;
  auto interval = std::chrono::milliseconds(interval_ms);
  l.timers[id] = Timer{Clock::now() + interval, interval, proc};
  return id;
}

void kill_thread_timer(uintptr_t timer_id) {
  loop().timers.erase(timer_id);
}

void post_task(std::function<void()> fn) {
  loop().tasks.push_back(std::move(fn));
}

bool run_loop_until(const std::function<bool()>& done, unsigned timeout_ms) {
  auto end = Clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!done()) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
    if (left <= 0)
      return done();
    dispatch_one(static_cast<int>(left < 50 ? left : 50));
  }
  return true;
}

void run_loop_pending() {
  while (dispatch_one(0)) {
  }
}

void watch_fd(int fd, short events, FdCallback callback) {
  loop().fds[fd] = {events, std::move(callback)};
}

void unwatch_fd(int fd) {
  loop().fds.erase(fd);
}

}  // namespace platform
