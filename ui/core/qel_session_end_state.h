// What the program does when Windows ends the session (logoff, shutdown, restart, or an
// installer closing running programs) and when the machine goes to sleep: a recording that
// runs is stopped and filed first, waiting at most kWaitMs for it, and while it waits, and
// while the machine sleeps, no automatic recording starts.
#pragma once

#include <cstdint>

enum class qel_session_step {
  kCarryOn,      // nothing to do: answer yes at once
  kStopAndWait,  // ask the engine to stop, then wait until the recording is filed
  kFinalize,     // the session ends now: finalize, keeping the start at logon
};

class qel_session_end_state {
 public:
  static constexpr uint32_t kWaitMs = 5000;

  // A recording started; filed when its files joined the library (or it was lost).
  void on_record_started() { ++m_recordings; }
  void on_record_filed();
  bool recording() const { return m_recordings > 0; }

  // WM_QUERYENDSESSION, whatever its lParam says.
  qel_session_step on_query_end() const;
  // WM_ENDSESSION; _ending is false when the end was called off.
  qel_session_step on_end(bool _ending) const;
  // Sleep, then the return from it.
  qel_session_step on_suspend();
  void on_resume() { m_asleep = false; }

  // The wait that kStopAndWait asks for; its deadline is on the monotonic clock.
  void begin_wait(uint64_t _now_ms);
  void end_wait() { m_waiting = false; }
  bool waiting() const { return m_waiting; }
  // What is left of the wait, 0 once the recording is filed or the time is up.
  uint32_t wait_left(uint64_t _now_ms) const;

  bool holds_auto_record() const { return m_waiting || m_asleep; }

 private:
  int m_recordings = 0;
  bool m_waiting = false;
  bool m_asleep = false;
  uint64_t m_deadline_ms = 0;
};
