#include "library/qel_avi_cache_index.h"

#include <cstring>
#include <utility>

namespace {

constexpr char kIndexValue[] = "entry_index";
constexpr uint32_t kIndexVersion = 1;
constexpr char kStampValue[] = "entry_index_stamp";
constexpr char kGenerationValue[] = "entry_generation";
constexpr uint32_t kStampVersion = 1;

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

// FNV-1a: tells the copy this stamp was made for from one rewritten since.
uint64_t hash_of(const std::vector<uint8_t>& bytes) {
  uint64_t h = 14695981039346656037ull;
  for (uint8_t b : bytes)
    h = (h ^ b) * 1099511628211ull;
  return h;
}

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

std::vector<uint8_t> qel_avi_cache_index::encode_stamp(const Stamp& _stamp) {
  std::vector<uint8_t> out;
  put(&out, kStampVersion);
  put(&out, _stamp.generation);
  put(&out, _stamp.entries);
  put(&out, _stamp.hash);
  put(&out, static_cast<uint32_t>(_stamp.files.size()));
  for (const auto& [name, file] : _stamp.files) {
    put(&out, static_cast<uint16_t>(name.size()));
    out.insert(out.end(), name.begin(), name.end());
    put(&out, file.size);
    put(&out, file.write_time);
  }
  return out;
}

bool qel_avi_cache_index::decode_stamp(const std::vector<uint8_t>& _bytes, Stamp* _stamp) {
  Reader in{_bytes};
  uint32_t version = 0;
  Stamp s;
  uint32_t count = 0;
  if (!in.get(&version) || version != kStampVersion || !in.get(&s.generation) ||
      !in.get(&s.entries) || !in.get(&s.hash) || !in.get(&count))
    return false;
  for (uint32_t i = 0; i < count; ++i) {
    uint16_t len = 0;
    std::string name;
    platform::FileStamp file;
    if (!in.get(&len) || !in.get(&name, len) || !in.get(&file.size) || !in.get(&file.write_time))
      return false;
    s.files[name] = file;
  }
  if (in.at != _bytes.size() || s.files.size() != count)
    return false;
  *_stamp = std::move(s);
  return true;
}

void qel_avi_cache_index::load(const ZulProfileKey& _cache_key) {
  m_write_times.clear();
  m_saved.clear();
  m_kept.clear();
  m_changed = false;
  m_unlisted_kept = false;
  m_written = 0;
  m_stamped = false;
  m_loaded = Stamp{};
  m_found = Stamp{};
  m_kept_files.clear();
  std::vector<uint8_t> bytes;
  bool have_copy = _cache_key.GetValue(kIndexValue).GetBytes(&bytes) && decode(bytes, &m_saved);
  _cache_key.GetValue(kGenerationValue).GetDWORD(&m_loaded.generation);
  m_loaded.entries = _cache_key.CountSubKeys();
  m_loaded.hash = have_copy ? hash_of(bytes) : 0;
  std::vector<uint8_t> stamp;
  if (_cache_key.GetValue(kStampValue).GetBytes(&stamp))
    decode_stamp(stamp, &m_found);
  if (have_copy && m_loaded.entries >= 0 && m_found.generation == m_loaded.generation &&
      m_found.entries == m_loaded.entries && m_found.hash == m_loaded.hash) {
    m_stamped = true;
    for (const auto& [name, entry] : m_saved)
      m_write_times.emplace(name, entry.first);
    return;
  }
  std::vector<std::pair<std::string, uint64_t>> entries;
  _cache_key.EnumSubKeyTimes(&entries);
  for (auto& [name, time] : entries)
    if (time)
      m_write_times.emplace(std::move(name), time);
}

const qel_avi_cache_record* qel_avi_cache_index::find(const std::string& _entry) const {
  auto saved = m_saved.find(_entry);
  auto listed = m_write_times.find(_entry);
  if (saved == m_saved.end() || listed == m_write_times.end() ||
      saved->second.first != listed->second)
    return nullptr;
  return &saved->second.second;
}

bool qel_avi_cache_index::is_file_changed(const std::string& _entry,
                                          const platform::FileStamp& _file) const {
  auto found = m_found.files.find(_entry);
  return found != m_found.files.end() && !(found->second == _file);
}

void qel_avi_cache_index::keep_written(const std::string& _entry,
                                       const qel_avi_cache_record& _record) {
  // Time 0 is never listed, so a load that lists the entries reads this one afresh.
  m_kept[_entry] = {0, _record};
  m_changed = true;
  ++m_written;
}

void qel_avi_cache_index::keep_file(const std::string& _entry, const platform::FileStamp& _file) {
  m_kept_files[_entry] = _file;
}

void qel_avi_cache_index::keep(const std::string& _entry, const qel_avi_cache_record& _record) {
  auto listed = m_write_times.find(_entry);
  if (listed == m_write_times.end()) {
    m_unlisted_kept = true;
    return;
  }
  auto saved = m_saved.find(_entry);
  if (saved == m_saved.end() || saved->second.first != listed->second ||
      !same(saved->second.second, _record))
    m_changed = true;
  m_kept[_entry] = {listed->second, _record};
}

bool qel_avi_cache_index::save(const ZulProfileKey& _cache_key) {
  Stamp stamp = m_loaded;
  if (m_written) {
    uint32_t generation = 0;
    _cache_key.GetValue(kGenerationValue).GetDWORD(&generation);
    if (generation == m_loaded.generation + m_written) {
      stamp.generation = generation;
      stamp.entries = _cache_key.CountSubKeys();
    }
  }
  if (m_changed || m_kept.size() != m_saved.size()) {
    std::vector<uint8_t> bytes = encode(m_kept);
    if (!_cache_key.GetValue(kIndexValue)
             .SetBinary(bytes.data(), static_cast<uint32_t>(bytes.size())))
      return false;
    m_saved = m_kept;
    m_changed = false;
    stamp.hash = hash_of(bytes);
  }
  // The stamp describes the entries as load found them and wrote them: an entry written by
  // another writer meanwhile moves the generation or the count past it, so the next load
  // lists them again.
  if (m_unlisted_kept)
    stamp = Stamp{};
  stamp.files = std::move(m_kept_files);
  m_kept_files.clear();
  if (stamp == m_found)
    return true;
  std::vector<uint8_t> bytes = encode_stamp(stamp);
  if (!_cache_key.GetValue(kStampValue)
           .SetBinary(bytes.data(), static_cast<uint32_t>(bytes.size())))
    return false;
  m_found = stamp;
  return true;
}

void qel_avi_cache_index::count_entry_write(const ZulProfileKey& _cache_key) {
  ZulProfileValue generation = _cache_key.GetValue(kGenerationValue);
  uint32_t value = 0;
  generation.GetDWORD(&value);
  generation.SetDWORD(value + 1);
}
