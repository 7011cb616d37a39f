// The UI thread's event loop as the portable core sees it: one-shot-capable thread timers
// (SetTimer with no window on Windows), calls posted to the loop, and running the loop.
// Everything here is used from the UI thread only.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

using TimerProc = void (*)(uintptr_t timer_id);

// A thread timer that calls proc every interval until killed; the system picks the id.
// Returns 0 on failure.
uintptr_t set_thread_timer(unsigned interval_ms, TimerProc proc);
void kill_thread_timer(uintptr_t timer_id);

// Runs fn from the loop after the current message has been handled.
void post_task(std::function<void()> fn);

// Dispatches messages until done() is true (checked after each one) or timeout_ms passed.
// Returns done()'s last answer. A quit message ends the wait and stays queued for the main
// loop. For tests and for waiting inside the UI thread.
bool run_loop_until(const std::function<bool()>& done, unsigned timeout_ms);

// Dispatches whatever is ready now without waiting.
void run_loop_pending();

}  // namespace platform
