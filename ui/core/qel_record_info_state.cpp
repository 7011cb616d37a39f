#include "ui/core/qel_record_info_state.h"

#include "qel_lib/qel_assert.h"
#include "ui/core/qel_u16_format.h"

void qel_record_info_state::show(int64_t _now) {
  m_is_showing_record_info = true;
  m_record_info_start_time = _now;
}

bool qel_record_info_state::hide() {
  if (!QEL_ASSERT(m_is_showing_record_info))
    return false;
  m_is_showing_record_info = false;
  m_record_info_start_time = 0;
  return true;
}

qel_record_info_tick qel_record_info_state::on_tick(int64_t _now) const {
  if (!m_is_showing_record_info)
    return qel_record_info_tick::kIgnore;
  if (m_record_info_mode == kQelRecordInfoNoStream && _now - m_record_info_start_time > 1)
    return qel_record_info_tick::kHide;
  return qel_record_info_tick::kRedraw;
}

std::u16string qel_record_info_state::elapsed_text(int64_t _now) const {
  int64_t elapsed = _now - m_record_info_start_time;
  if (elapsed < 0)
    elapsed = 0;
  return qel_u16_format(u"%02d : %02d : %02d", {elapsed / 3600, static_cast<int>(elapsed / 60 % 60),
                                                static_cast<int>(elapsed % 60)});
}
