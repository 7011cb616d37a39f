#include "app/qel_record_watch.h"

#include <algorithm>
#include <utility>

void qel_record_watch::watch(const std::u16string& _path,
                             int64_t _start_time,
                             std::vector<uint32_t> _takers) {
  if (_takers.empty())
    return;
  m_path = _path;
  m_start_time = _start_time;
  m_takers = std::move(_takers);
}

void qel_record_watch::unwatch() {
  m_path.clear();
  m_start_time = 0;
  m_takers.clear();
}

bool qel_record_watch::take_lost(const std::function<bool(uint32_t)>& _connected,
                                 std::u16string* _file,
                                 int64_t* _start_time) {
  if (!watching() || std::any_of(m_takers.begin(), m_takers.end(), _connected))
    return false;
  *_file = m_path + u".avi";
  *_start_time = m_start_time;
  unwatch();
  return true;
}
