#include "library/qel_avi_cache_index.h"

#include <cstring>
#include <utility>

namespace {

constexpr char kIndexValue[] = "entry_index";
constexpr uint32_t kIndexVersion = 1;

template <class T>
void put(std::vector<uint8_t>* out, T v) {
  const auto* p = reinterpret_cast<const uint8_t*>(&v);
  out->insert(out->end(), p, p + sizeof v);
}

struct Reader {
  const std::vector<uint8_t>& bytes;
  size_t at = 0;
  template <class T>
  bool get(T* v) {
    if (bytes.size() - at < sizeof *v)
      return false;
    std::memcpy(v, bytes.data() + at, sizeof *v);
    at += sizeof *v;
    return true;
  }
  bool get(std::string* s, size_t len) {
    if (bytes.size() - at < len)
      return false;
    s->assign(reinterpret_cast<const char*>(bytes.data() + at), len);
    at += len;
    return true;
  }
};

bool same(const qel_avi_cache_record& a, const qel_avi_cache_record& b) {
  return a.src_app_type == b.src_app_type && a.start_time == b.start_time &&
         a.time_len == b.time_len && a.has_video == b.has_video && a.has_audio == b.has_audio;
}

}  // namespace

std::vector<uint8_t> qel_avi_cache_index::encode(const Records& _records) {
  std::vector<uint8_t> out;
  put(&out, kIndexVersion);
  put(&out, static_cast<uint32_t>(_records.size()));
  for (const auto& [name, entry] : _records) {
    const qel_avi_cache_record& r = entry.second;
    put(&out, static_cast<uint16_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
    put(&out, entry.first);
    put(&out, r.src_app_type);
    put(&out, r.start_time);
    put(&out, r.time_len);
    put(&out, static_cast<uint8_t>((r.has_video ? 1 : 0) | (r.has_audio ? 2 : 0)));
  }
  return out;
}

bool qel_avi_cache_index::decode(const std::vector<uint8_t>& _bytes, Records* _records) {
  Reader in{_bytes};
  uint32_t version = 0, count = 0;
  if (!in.get(&version) || version != kIndexVersion || !in.get(&count))
    return false;
  Records records;
  for (uint32_t i = 0; i < count; ++i) {
    uint16_t len = 0;
    std::string name;
    uint64_t time = 0;
    qel_avi_cache_record r;
    uint8_t flags = 0;
    if (!in.get(&len) || !in.get(&name, len) || !in.get(&time) || !in.get(&r.src_app_type) ||
        !in.get(&r.start_time) || !in.get(&r.time_len) || !in.get(&flags) || flags > 3)
      return false;
    r.has_video = flags & 1;
    r.has_audio = flags & 2;
    records[name] = {time, r};
  }
  if (in.at != _bytes.size() || records.size() != count)
    return false;
  _records->swap(records);
  return true;
}

void qel_avi_cache_index::load(const ZulProfileKey& _cache_key) {
  m_write_times.clear();
  m_saved.clear();
  m_kept.clear();
  m_changed = false;
  std::vector<std::pair<std::string, uint64_t>> entries;
  _cache_key.EnumSubKeyTimes(&entries);
  for (auto& [name, time] : entries)
    if (time)
      m_write_times.emplace(std::move(name), time);
  std::vector<uint8_t> bytes;
  if (_cache_key.GetValue(kIndexValue).GetBytes(&bytes))
    decode(bytes, &m_saved);
}

const qel_avi_cache_record* qel_avi_cache_index::find(const std::string& _entry) const {
  auto saved = m_saved.find(_entry);
  auto listed = m_write_times.find(_entry);
  if (saved == m_saved.end() || listed == m_write_times.end() ||
      saved->second.first != listed->second)
    return nullptr;
  return &saved->second.second;
}

void qel_avi_cache_index::keep(const std::string& _entry, const qel_avi_cache_record& _record) {
  auto listed = m_write_times.find(_entry);
  if (listed == m_write_times.end())
    return;
  auto saved = m_saved.find(_entry);
  if (saved == m_saved.end() || saved->second.first != listed->second ||
      !same(saved->second.second, _record))
    m_changed = true;
  m_kept[_entry] = {listed->second, _record};
}

bool qel_avi_cache_index::save(const ZulProfileKey& _cache_key) {
  if (!m_changed && m_kept.size() == m_saved.size())
    return true;
  std::vector<uint8_t> bytes = encode(m_kept);
  if (!_cache_key.GetValue(kIndexValue)
           .SetBinary(bytes.data(), static_cast<uint32_t>(bytes.size())))
    return false;
  m_saved = m_kept;
  m_changed = false;
  return true;
}
