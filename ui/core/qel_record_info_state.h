// The record-info panel: hidden, "Recording..." with its elapsed-time counter, or the
// short "No stream to record" notice that goes away by itself after a second.
#pragma once

#include <cstdint>
#include <string>

enum qel_record_info_mode : int {
  kQelRecordInfoNone = 0,
  kQelRecordInfoRecording = 1,
  kQelRecordInfoNoStream = 2,
};

enum class qel_record_info_tick { kIgnore, kHide, kRedraw };

class qel_record_info_state {
 public:
  void set_mode(int _mode) { m_record_info_mode = _mode; }
  int mode() const { return m_record_info_mode; }
  bool is_showing() const { return m_is_showing_record_info; }
  int64_t start_time() const { return m_record_info_start_time; }

  // Showing again restarts the counter.
  void show(int64_t _now);
  // False (and reported) when the panel is not showing.
  bool hide();
  // The once-a-second tick: the notice ends after more than one second, otherwise the
  // panel is redrawn in place.
  qel_record_info_tick on_tick(int64_t _now) const;

  // "%02d : %02d : %02d" since the start; a clock set back shows 00 : 00 : 00.
  std::u16string elapsed_text(int64_t _now) const;

 private:
  bool m_is_showing_record_info = false;
  int m_record_info_mode = kQelRecordInfoNone;
  int64_t m_record_info_start_time = 0;
};
