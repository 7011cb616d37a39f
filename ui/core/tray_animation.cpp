#include "ui/core/tray_animation.h"

bool TrayAnimation::Start(int icon_count, int64_t now_ms, int duration_s) {
  if (icon_count <= 0)
    return false;
  m_running = true;
  m_count = icon_count;
  m_index = 0;
  m_start_ms = now_ms;
  m_duration_s = duration_s;
  return true;
}

int TrayAnimation::Tick(int64_t now_ms) {
  if (!m_running)
    return -1;
  if (m_duration_s > 0 && now_ms - m_start_ms > int64_t{m_duration_s} * 1000) {
    m_running = false;
    return -1;
  }
  m_index = (m_index + 1) % m_count;
  return m_index;
}

std::u16string tray_cut_tip(const std::u16string& tip, size_t max_units) {
  if (tip.size() <= max_units)
    return tip;
  size_t length = max_units;
  // A high surrogate at the cut would leave half a character behind.
  if (length > 0 && tip[length - 1] >= 0xD800 && tip[length - 1] <= 0xDBFF)
    --length;
  return tip.substr(0, length);
}
