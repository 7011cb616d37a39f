#include "ui/core/qel_session_end_state.h"

void qel_session_end_state::on_record_filed() {
  // An engine may report one recording's files in more than one batch.
  if (m_recordings > 0)
    --m_recordings;
}

qel_session_step qel_session_end_state::on_query_end() const {
  // Asked again while waiting (another window of ours, another sender): one wait is enough.
  if (m_waiting || !recording())
    return qel_session_step::kCarryOn;
  return qel_session_step::kStopAndWait;
}

qel_session_step qel_session_end_state::on_end(bool _ending) const {
  return _ending ? qel_session_step::kFinalize : qel_session_step::kCarryOn;
}

qel_session_step qel_session_end_state::on_suspend() {
  m_asleep = true;
  return on_query_end();
}

void qel_session_end_state::begin_wait(uint64_t _now_ms) {
  m_waiting = true;
  m_deadline_ms = _now_ms + kWaitMs;
}

uint32_t qel_session_end_state::wait_left(uint64_t _now_ms) const {
  if (!m_waiting || !recording() || _now_ms >= m_deadline_ms)
    return 0;
  return static_cast<uint32_t>(m_deadline_ms - _now_ms);
}
