// The recording folder's volume as the program judges it: whether a recording may start,
// when a running one must stop, and the words for the free space. The window measures (off
// its thread) and shows; the decisions are here.
#pragma once

#include <cstdint>
#include <string>

#include "library/qel_app_setting.h"
#include "ui/core/qel_ui_text.h"

using qel_app_setting::qel_disk_thresholds;

// What a call costs when the library has no recording with a length to tell: 600 MB an hour.
inline constexpr uint64_t kQelFallbackBytesPerSecond = 600ull * 1024 * 1024 / 3600;

// "31.2 GB" (tenths cut, never rounded up) or, below 1 GB, "450 MB".
std::u16string qel_disk_size_text(uint64_t _bytes, qel_ui_text_fn _text);
// The status bar's words: "31.2 GB free, about 52 hours of calls", the minutes when under two
// hours, "too little to record" below the start threshold, or that the space is unknown. The
// time counts what can be recorded before the stop threshold, at the library's rate (0: none
// known).
std::u16string qel_disk_status_text(bool _known,
                                    uint64_t _free,
                                    uint64_t _bytes_per_second,
                                    const qel_disk_thresholds& _limits,
                                    qel_ui_text_fn _text);
// A Record refused: what is free (the first line), then what to do.
std::u16string qel_disk_refused_text(uint64_t _free, qel_ui_text_fn _text);
std::u16string qel_disk_refused_advice(qel_ui_text_fn _text);
// A recording stopped at the stop threshold: why, then what is free and kept.
std::u16string qel_disk_stopped_why(qel_ui_text_fn _text);
std::u16string qel_disk_stopped_text(uint64_t _free, qel_ui_text_fn _text);

class qel_disk_watch {
 public:
  // The folder whose volume counts. A change forgets what was known: true then, and the
  // caller asks again.
  bool set_folder(const std::u16string& _folder);
  const std::u16string& folder() const { return m_folder; }
  // True when the text shown changes with it.
  bool set_bytes_per_second(uint64_t _bytes_per_second);
  uint64_t bytes_per_second() const { return m_bytes_per_second; }

  // An answer for `_folder` (one asked before a folder change is dropped). True when the
  // status text is to be shown anew: the first answer, unknown and known swapping, a change
  // of a tenth or more, or the start threshold crossed (by the space or by a new threshold).
  bool on_answer(const std::u16string& _folder,
                 bool _known,
                 uint64_t _free,
                 const qel_disk_thresholds& _limits);
  // The text for what was last shown (empty before any answer).
  std::u16string status_text(const qel_disk_thresholds& _limits, qel_ui_text_fn _text) const;

  bool known() const { return m_known; }
  uint64_t free_bytes() const { return m_free; }
  // A recording may be asked for unless the space is known to be below the start threshold.
  bool may_start(const qel_disk_thresholds& _limits) const;
  // A recording starts or ends; each recording is stopped for space once.
  void on_recording(bool _recording);
  bool recording() const { return m_recording; }
  // True, once per recording, when it runs and the space known is below the stop threshold.
  bool take_stop(const qel_disk_thresholds& _limits);

 private:
  std::u16string m_folder;
  uint64_t m_bytes_per_second = 0;
  bool m_known = false;
  uint64_t m_free = 0;
  bool m_shown = false;
  bool m_shown_known = false;
  uint64_t m_shown_free = 0;
  // Whether the text said there is too little to record, under the thresholds of its time.
  bool m_shown_below_start = false;
  bool m_recording = false;
  bool m_stop_taken = false;
};
