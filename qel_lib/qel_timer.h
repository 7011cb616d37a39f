// One-shot timers over the UI thread's thread timers. A timer fires at most once per
// Start; an owner wanting a repeat starts it again from its handler.
#pragma once

#include <cstdint>

#include "qel_lib/qel_ptr.h"

class TimerBase : public ZulIObject {
 public:
  ~TimerBase() override;
  // Stops first; interval 0 leaves the timer stopped and succeeds. The timer must be held
  // by a shared_ptr: the process registry keeps it weakly.
  virtual bool Start(unsigned interval_ms);
  virtual bool Stop();
  virtual void OnTimer() {}

  void Finalize();
  bool IsRunning() const { return mTimerId != 0; }

 protected:
  uintptr_t mTimerId = 0;
};

// The system timer's procedure: finalizes the timer, then calls its OnTimer.
void MyTimerProc(uintptr_t timer_id);

template <class T>
class ZulTimer : public TimerBase {
 public:
  using Handler = void (T::*)();

  void OnTimer() override {
    shared_ptr<T> owner = mOwner.lock();
    if (owner.valid() && mHandler)
      (owner.get()->*mHandler)();
  }

  virtual void Bind(const shared_ptr<T>& owner, Handler handler) {
    mOwner = owner;
    mHandler = handler;
  }

 private:
  weak_ptr<T> mOwner;
  Handler mHandler = nullptr;
};
