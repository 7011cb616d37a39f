// The stepping of the tray icon's animation: which icon comes next and when it ends.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

class TrayAnimation {
 public:
  // duration_s < 0: no end. False (and nothing changes) without icons.
  bool Start(int icon_count, int64_t now_ms, int duration_s);
  void Stop() { m_running = false; }
  bool running() const { return m_running; }
  int index() const { return m_index; }

  // One timer tick: the index of the icon to show, or -1 when the animation has run for
  // more than its duration and stops.
  int Tick(int64_t now_ms);

 private:
  bool m_running = false;
  int m_count = 0;
  int m_index = 0;
  int64_t m_start_ms = 0;
  int m_duration_s = -1;
};

// The tip cut to at most max_units UTF-16 units without splitting a surrogate pair.
std::u16string tray_cut_tip(const std::u16string& tip, size_t max_units);
