// The UI thread's message loop as the portable core sees it.
#include "platform/event_loop.h"

#include <deque>
#include <map>
#include <mutex>

#include "platform/win32/hidden_window.h"
#include "platform/win32/win.h"

namespace platform {
namespace {

std::map<UINT_PTR, TimerProc>& timer_procs() {
  static auto* m = new std::map<UINT_PTR, TimerProc>;
  return *m;
}

void CALLBACK timer_thunk(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = timer_procs().find(id);
  if (it != timer_procs().end())
    it->second(id);
}

// Posted calls wait in a queue; one message to a message-only window drains it, so the
// calls also run inside modal loops (message boxes), where thread messages would be lost.
constexpr UINT kRunTasks = WM_APP + 0x51;

struct TaskQueue {
  std::mutex lock;
  std::deque<std::function<void()>> tasks;
  HiddenWindow wnd;
};

TaskQueue& queue() {
  static auto* q = new TaskQueue;
  return *q;
}

LRESULT CALLBACK task_wndproc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  if (msg != kRunTasks)
    return DefWindowProcW(hwnd, msg, wp, lp);
  for (;;) {
    std::function<void()> fn;
    {
      std::lock_guard<std::mutex> g(queue().lock);
      if (queue().tasks.empty())
        break;
      fn = std::move(queue().tasks.front());
      queue().tasks.pop_front();
    }
    fn();
  }
  return 0;
}

HWND task_window() {
  TaskQueue& q = queue();
  if (!q.wnd.hwnd())
    q.wnd.Create(L"qel_posted_calls", 0, HWND_MESSAGE, task_wndproc);
  return q.wnd.hwnd();
}

bool dispatch_one() {
  MSG msg;
  if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE))
    return false;
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
  return true;
}

}  // namespace

uintptr_t set_thread_timer(unsigned interval_ms, TimerProc proc) {
  if (!proc)
    return 0;
  UINT_PTR id = SetTimer(nullptr, 0, interval_ms, timer_thunk);
  if (id)
    timer_procs()[id] = proc;
  return id;
}

void kill_thread_timer(uintptr_t timer_id) {
  KillTimer(nullptr, timer_id);
  timer_procs().erase(timer_id);
}

void post_task(std::function<void()> fn) {
  HWND wnd = task_window();
  bool was_empty;
  {
    std::lock_guard<std::mutex> g(queue().lock);
    was_empty = queue().tasks.empty();
    queue().tasks.push_back(std::move(fn));
  }
  if (was_empty)
    PostMessageW(wnd, kRunTasks, 0, 0);
}

bool run_loop_until(const std::function<bool()>& done, unsigned timeout_ms) {
  ULONGLONG end = GetTickCount64() + timeout_ms;
  while (!done()) {
    ULONGLONG now = GetTickCount64();
    if (now >= end)
      return done();
    MSG msg;
    if (!PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(end - now), QS_ALLINPUT);
      continue;
    }
    // A quit ends the wait and is left for the main loop, which would never see it otherwise.
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return done();
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return true;
}

void run_loop_pending() {
  while (dispatch_one()) {
  }
}

}  // namespace platform
