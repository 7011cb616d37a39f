#include "ui/core/qel_disk_space.h"

#include "ui/core/qel_u16_format.h"

namespace {

constexpr uint64_t kMb = 1024 * 1024;
constexpr uint64_t kGb = 1024 * kMb;
// Below two hours the minutes say more.
constexpr uint64_t kHoursFrom = 2 * 3600;

const char16_t* text_of(qel_ui_text_fn text, unsigned int id) {
  return text ? text(id) : nullptr;
}

}  // namespace

std::u16string qel_disk_size_text(uint64_t _bytes, qel_ui_text_fn _text) {
  if (_bytes < kGb)
    return qel_u16_format(text_of(_text, IDS_SIZE_MB_FMT), {static_cast<int64_t>(_bytes / kMb)});
  uint64_t tenths = _bytes / (kGb / 10);
  return qel_u16_format(text_of(_text, IDS_SIZE_GB_FMT),
                        {static_cast<int64_t>(tenths / 10), static_cast<int64_t>(tenths % 10)});
}

std::u16string qel_disk_status_text(bool _known,
                                    uint64_t _free,
                                    uint64_t _bytes_per_second,
                                    const qel_disk_thresholds& _limits,
                                    qel_ui_text_fn _text) {
  if (!_known)
    return qel_u16_format(text_of(_text, IDS_DISK_FREE_UNKNOWN), {});
  std::u16string size = qel_disk_size_text(_free, _text);
  if (_free < _limits.start_bytes)
    return qel_u16_format(text_of(_text, IDS_DISK_FREE_TOO_LITTLE_FMT), {size});
  uint64_t rate = _bytes_per_second ? _bytes_per_second : kQelFallbackBytesPerSecond;
  uint64_t usable = _free > _limits.stop_bytes ? _free - _limits.stop_bytes : 0;
  uint64_t seconds = usable / rate;
  if (seconds >= kHoursFrom)
    return qel_u16_format(text_of(_text, IDS_DISK_FREE_HOURS_FMT),
                          {size, static_cast<int64_t>(seconds / 3600)});
  uint64_t minutes = seconds / 60;
  return qel_u16_format(text_of(_text, IDS_DISK_FREE_MINUTES_FMT),
                        {size, static_cast<int64_t>(minutes ? minutes : 1)});
}

std::u16string qel_disk_refused_text(uint64_t _free, qel_ui_text_fn _text) {
  return qel_u16_format(text_of(_text, IDS_DISK_LOW_NOT_STARTED_FMT),
                        {qel_disk_size_text(_free, _text)});
}

std::u16string qel_disk_refused_advice(qel_ui_text_fn _text) {
  return qel_u16_format(text_of(_text, IDS_DISK_LOW_WHAT_TO_DO), {});
}

std::u16string qel_disk_stopped_why(qel_ui_text_fn _text) {
  return qel_u16_format(text_of(_text, IDS_DISK_FULL_STOPPED_WHY), {});
}

std::u16string qel_disk_stopped_text(uint64_t _free, qel_ui_text_fn _text) {
  return qel_u16_format(text_of(_text, IDS_DISK_FULL_SAVED_FMT),
                        {qel_disk_size_text(_free, _text)});
}

bool qel_disk_watch::set_folder(const std::u16string& _folder) {
  if (_folder == m_folder)
    return false;
  m_folder = _folder;
  m_known = false;
  m_free = 0;
  m_shown = false;
  return true;
}

bool qel_disk_watch::set_bytes_per_second(uint64_t _bytes_per_second) {
  if (_bytes_per_second == m_bytes_per_second)
    return false;
  m_bytes_per_second = _bytes_per_second;
  return m_shown && m_shown_known;
}

bool qel_disk_watch::on_answer(const std::u16string& _folder,
                               bool _known,
                               uint64_t _free,
                               const qel_disk_thresholds& _limits) {
  if (_folder != m_folder)
    return false;
  m_known = _known;
  m_free = _known ? _free : 0;
  bool below_start = m_known && m_free < _limits.start_bytes;
  bool refresh = !m_shown || m_shown_known != m_known || m_shown_below_start != below_start;
  if (!refresh && m_known) {
    uint64_t change = m_free > m_shown_free ? m_free - m_shown_free : m_shown_free - m_free;
    refresh = change * 10 >= m_shown_free;
  }
  if (refresh) {
    m_shown = true;
    m_shown_known = m_known;
    m_shown_free = m_free;
    m_shown_below_start = below_start;
  }
  return refresh;
}

std::u16string qel_disk_watch::status_text(const qel_disk_thresholds& _limits,
                                           qel_ui_text_fn _text) const {
  if (!m_shown)
    return {};
  return qel_disk_status_text(m_shown_known, m_shown_free, m_bytes_per_second, _limits, _text);
}

bool qel_disk_watch::may_start(const qel_disk_thresholds& _limits) const {
  return !m_known || m_free >= _limits.start_bytes;
}

void qel_disk_watch::on_recording(bool _recording) {
  if (_recording && !m_recording)
    m_stop_taken = false;
  m_recording = _recording;
}

bool qel_disk_watch::take_stop(const qel_disk_thresholds& _limits) {
  if (!m_recording || m_stop_taken || !m_known || m_free >= _limits.stop_bytes)
    return false;
  m_stop_taken = true;
  return true;
}
