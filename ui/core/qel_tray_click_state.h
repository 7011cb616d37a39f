// The half-second delay that tells a single left click on the tray icon (open the tray
// menu) from a double click (open the main window, no menu).
#pragma once

enum class qel_tray_mouse { kLeftUp, kLeftDoubleClick, kRightDown, kRightUp, kOther };

enum class qel_tray_action { kNothing, kStartTimer, kKillTimer, kShowMenuAndKillTimer };

struct qel_point {
  int x = 0;
  int y = 0;
};

class qel_tray_click_state {
 public:
  // What the window must do with its 500 ms timer for this mouse message.
  qel_tray_action on_mouse(qel_tray_mouse _msg, qel_point _cursor);
  // The timer fired: show the menu unless the click was taken back meanwhile. The timer
  // always stops, so a stale tick never keeps the program waking up.
  qel_tray_action on_timer();

  bool timer_running() const { return m_timer_running; }
  qel_point last_cursor_pos() const { return m_last_cursor_pos; }

 private:
  void reset();

  bool m_timer_running = false;
  qel_point m_last_cursor_pos;
};
