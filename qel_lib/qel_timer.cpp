#include "qel_lib/qel_timer.h"

#include <map>

#include "platform/event_loop.h"
#include "qel_lib/qel_assert.h"

namespace {

using TimerRegistry = std::map<uintptr_t, weak_ptr<TimerBase>>;

TimerRegistry& timer_registry() {
  static auto* registry = new TimerRegistry;  // outlives timers destroyed at exit
  return *registry;
}

}  // namespace

TimerBase::~TimerBase() {
  Finalize();
}

bool TimerBase::Start(unsigned interval_ms) {
  Finalize();
  if (interval_ms == 0)
    return true;
  if (!QEL_ASSERT(mDetail))
    return false;
  uintptr_t id = platform::set_thread_timer(interval_ms, &MyTimerProc);
  if (!id)
    return false;
  mTimerId = id;
  timer_registry()[id] = shared_ptr<TimerBase>(this);
  return true;
}

bool TimerBase::Stop() {
  Finalize();
  return true;
}

void TimerBase::Finalize() {
  if (!mTimerId)
    return;
  platform::kill_thread_timer(mTimerId);
  auto it = timer_registry().find(mTimerId);
  if (QEL_ASSERT(it != timer_registry().end()))
    timer_registry().erase(it);
  mTimerId = 0;
}

void MyTimerProc(uintptr_t timer_id) {
  auto it = timer_registry().find(timer_id);
  if (it == timer_registry().end()) {
    QEL_ASSERT(false);
    platform::kill_thread_timer(timer_id);  // nothing would ever stop it otherwise
    return;
  }
  shared_ptr<TimerBase> timer = it->second.lock();
  if (!timer.valid())
    return;
  timer->Finalize();
  timer->OnTimer();
}
