#include "ui/core/qel_tray_click_state.h"

#include "qel_lib/qel_assert.h"

qel_tray_action qel_tray_click_state::on_mouse(qel_tray_mouse _msg, qel_point _cursor) {
  if (!m_timer_running) {
    if (_msg != qel_tray_mouse::kLeftUp)
      return qel_tray_action::kNothing;
    QEL_ASSERT_MSG(m_last_cursor_pos.x == 0 && m_last_cursor_pos.y == 0,
                   "m_last_cursor_pos.x == 0 && m_last_cursor_pos.y == 0");
    m_timer_running = true;
    m_last_cursor_pos = _cursor;
    return qel_tray_action::kStartTimer;
  }
  switch (_msg) {
    case qel_tray_mouse::kLeftUp:
    case qel_tray_mouse::kRightDown:
    case qel_tray_mouse::kRightUp:
      reset();
      return qel_tray_action::kKillTimer;
    default:
      return qel_tray_action::kNothing;
  }
}

qel_tray_action qel_tray_click_state::on_timer() {
  if (!QEL_ASSERT_MSG(m_timer_running, "m_system_tray_timer"))
    return qel_tray_action::kKillTimer;
  bool show = m_last_cursor_pos.x != 0 || m_last_cursor_pos.y != 0;
  reset();
  return show ? qel_tray_action::kShowMenuAndKillTimer : qel_tray_action::kKillTimer;
}

void qel_tray_click_state::reset() {
  m_timer_running = false;
  m_last_cursor_pos = qel_point();
}
