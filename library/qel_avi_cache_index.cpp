#include "library/qel_avi_cache_index.h"

#include <cstring>
#include <functional>
#include <string_view>
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
  bool get(std::string_view* s, size_t len) {
    if (bytes.size() - at < len)
      return false;
    *s = std::string_view(reinterpret_cast<const char*>(bytes.data() + at), len);
    at += len;
    return true;
  }
};

// Calls on_entry(name, time, record) for each entry of the index in `bytes`; false at the
// first thing that is not part of a whole index (a caller walks once with a no-op first, so
// that nothing is taken from bytes that turn out bad). Repeated names are the caller's.
template <class OnEntry>
bool walk_index(const std::vector<uint8_t>& bytes, uint32_t* count, OnEntry on_entry) {
  Reader in{bytes};
  uint32_t version = 0;
  if (!in.get(&version) || version != kIndexVersion || !in.get(count))
    return false;
  for (uint32_t i = 0; i < *count; ++i) {
    uint16_t len = 0;
    std::string_view name;
    uint64_t time = 0;
    qel_avi_cache_record r;
    uint8_t flags = 0;
    if (!in.get(&len) || !in.get(&name, len) || !in.get(&time) || !in.get(&r.src_app_type) ||
        !in.get(&r.start_time) || !in.get(&r.time_len) || !in.get(&flags) || flags > 3)
      return false;
    r.has_video = flags & 1;
    r.has_audio = flags & 2;
    on_entry(name, time, r);
  }
  return in.at == bytes.size();
}

// The same for a stamp: its header into `stamp` (files left alone), then on_file(name, file).
template <class OnFile>
bool walk_stamp(const std::vector<uint8_t>& bytes,
                qel_avi_cache_index::Stamp* stamp,
                uint32_t* count,
                OnFile on_file) {
  Reader in{bytes};
  uint32_t version = 0;
  if (!in.get(&version) || version != kStampVersion || !in.get(&stamp->generation) ||
      !in.get(&stamp->entries) || !in.get(&stamp->hash) || !in.get(count))
    return false;
  for (uint32_t i = 0; i < *count; ++i) {
    uint16_t len = 0;
    std::string_view name;
    platform::FileStamp file;
    if (!in.get(&len) || !in.get(&name, len) || !in.get(&file.size) || !in.get(&file.write_time))
      return false;
    on_file(name, file);
  }
  return in.at == bytes.size();
}

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
  uint32_t count = 0;
  if (!walk_index(_bytes, &count, [](std::string_view, uint64_t, const qel_avi_cache_record&) {}))
    return false;
  Records records;
  walk_index(_bytes, &count,
             [&](std::string_view name, uint64_t time, const qel_avi_cache_record& r) {
               records[std::string(name)] = {time, r};
             });
  if (records.size() != count)
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
  Stamp s;
  uint32_t count = 0;
  if (!walk_stamp(_bytes, &s, &count, [](std::string_view, const platform::FileStamp&) {}))
    return false;
  walk_stamp(_bytes, &s, &count, [&](std::string_view name, const platform::FileStamp& file) {
    s.files[std::string(name)] = file;
  });
  if (s.files.size() != count)
    return false;
  *_stamp = std::move(s);
  return true;
}

uint32_t& qel_avi_cache_index::table_cell(std::string_view _entry) {
  size_t mask = m_table.size() - 1;
  for (size_t at = std::hash<std::string_view>()(_entry) & mask;; at = (at + 1) & mask) {
    uint32_t& cell = m_table[at];
    if (!cell || m_entries[cell - 1].name == _entry)
      return cell;
  }
}

uint32_t qel_avi_cache_index::table_find(std::string_view _entry) const {
  if (m_table.empty())
    return kNone;
  size_t mask = m_table.size() - 1;
  for (size_t at = std::hash<std::string_view>()(_entry) & mask;; at = (at + 1) & mask) {
    uint32_t cell = m_table[at];
    if (!cell)
      return kNone;
    if (m_entries[cell - 1].name == _entry)
      return cell - 1;
  }
}

// At most half full, so that a probe meets a free cell soon.
void qel_avi_cache_index::make_room(size_t _entries) {
  if (2 * _entries <= m_table.size())
    return;
  size_t size = 64;
  while (size < 4 * _entries)
    size *= 2;
  m_table.assign(size, 0);
  for (uint32_t at = 0; at < m_entries.size(); ++at)
    table_cell(m_entries[at].name) = at + 1;
}

// `_name` must outlive the index's entries: a view into the loaded bytes or into m_names.
uint32_t qel_avi_cache_index::add_entry(std::string_view _name) {
  make_room(m_entries.size() + 1);
  m_entries.emplace_back().name = _name;
  uint32_t at = static_cast<uint32_t>(m_entries.size() - 1);
  table_cell(_name) = at + 1;
  return at;
}

bool qel_avi_cache_index::decode_saved() {
  uint32_t count = 0;
  if (!walk_index(m_saved_bytes, &count,
                  [](std::string_view, uint64_t, const qel_avi_cache_record&) {}))
    return false;
  // The walk found that many entries in the bytes: reserving them is no risk.
  m_entries.reserve(count);
  make_room(count);
  bool repeated = false;
  walk_index(m_saved_bytes, &count,
             [&](std::string_view name, uint64_t time, const qel_avi_cache_record& r) {
               uint32_t at = table_find(name);
               if (at == kNone)
                 at = add_entry(name);
               Entry& e = m_entries[at];
               repeated = repeated || e.has_saved;
               e.has_saved = true;
               e.saved_time = time;
               e.saved = r;
               // Listed with the time it was saved with, for as long as the stamp vouches.
               e.listed = true;
               e.listed_time = time;
             });
  if (repeated) {
    m_entries.clear();
    m_table.clear();
    return false;
  }
  m_saved_count = count;
  return true;
}

bool qel_avi_cache_index::decode_found() {
  Stamp s;
  uint32_t count = 0;
  if (!walk_stamp(m_found_bytes, &s, &count, [](std::string_view, const platform::FileStamp&) {}))
    return false;
  std::vector<uint32_t> files;
  files.reserve(count);
  bool repeated = false;
  walk_stamp(m_found_bytes, &s, &count,
             [&](std::string_view name, const platform::FileStamp& file) {
               uint32_t at = slot(name, true);
               Entry& e = m_entries[at];
               repeated = repeated || e.has_found_file;
               e.has_found_file = true;
               e.found_file = file;
               files.push_back(at);
             });
  if (repeated) {
    for (uint32_t at : files)
      m_entries[at].has_found_file = false;
    return false;
  }
  m_found = std::move(s);
  m_found_files = count;
  return true;
}

void qel_avi_cache_index::load(const ZulProfileKey& _cache_key) {
  m_entries.clear();
  m_table.clear();
  m_names.clear();
  m_last = kNone;
  m_saved_count = 0;
  m_found_files = 0;
  m_kept_order.clear();
  m_kept_file_order.clear();
  m_changed = false;
  m_unlisted_kept = false;
  m_written = 0;
  m_stamped = false;
  m_loaded = Stamp{};
  m_found = Stamp{};
  bool have_copy = _cache_key.GetValue(kIndexValue).GetBytes(&m_saved_bytes) && decode_saved();
  _cache_key.GetValue(kGenerationValue).GetDWORD(&m_loaded.generation);
  m_loaded.entries = _cache_key.CountSubKeys();
  m_loaded.hash = have_copy ? hash_of(m_saved_bytes) : 0;
  if (_cache_key.GetValue(kStampValue).GetBytes(&m_found_bytes))
    decode_found();
  if (have_copy && m_loaded.entries >= 0 && m_found.generation == m_loaded.generation &&
      m_found.entries == m_loaded.entries && m_found.hash == m_loaded.hash) {
    m_stamped = true;
    return;
  }
  for (Entry& e : m_entries)
    e.listed = false;
  std::vector<std::pair<std::string, uint64_t>> entries;
  _cache_key.EnumSubKeyTimes(&entries);
  for (auto& [name, time] : entries) {
    if (!time)
      continue;
    uint32_t at = table_find(name);
    if (at == kNone)
      at = add_entry(m_names.emplace_back(std::move(name)));
    Entry& e = m_entries[at];
    if (!e.listed) {
      e.listed = true;
      e.listed_time = time;
    }
  }
}

uint32_t qel_avi_cache_index::slot(std::string_view _entry, bool _create) {
  if (m_last != kNone && m_entries[m_last].name == _entry)
    return m_last;
  uint32_t at = table_find(_entry);
  if (at == kNone) {
    if (!_create)
      return kNone;
    at = add_entry(m_names.emplace_back(_entry));
  }
  m_last = at;
  return at;
}

const qel_avi_cache_index::Entry* qel_avi_cache_index::lookup(std::string_view _entry) const {
  if (m_last != kNone && m_entries[m_last].name == _entry)
    return &m_entries[m_last];
  uint32_t at = table_find(_entry);
  return at == kNone ? nullptr : &m_entries[at];
}

const qel_avi_cache_record* qel_avi_cache_index::find(const std::string& _entry) const {
  const Entry* e = lookup(_entry);
  if (!e || !e->has_saved || !e->listed || e->saved_time != e->listed_time)
    return nullptr;
  return &e->saved;
}

bool qel_avi_cache_index::is_file_changed(const std::string& _entry,
                                          const platform::FileStamp& _file) const {
  const Entry* e = lookup(_entry);
  return e && e->has_found_file && !(e->found_file == _file);
}

void qel_avi_cache_index::set_kept(uint32_t _at,
                                   uint64_t _time,
                                   const qel_avi_cache_record& _record) {
  Entry& e = m_entries[_at];
  if (!e.has_kept) {
    e.has_kept = true;
    m_kept_order.push_back(_at);
  }
  e.kept_time = _time;
  e.kept = _record;
}

void qel_avi_cache_index::keep_written(const std::string& _entry,
                                       const qel_avi_cache_record& _record) {
  // Time 0 is never listed, so a load that lists the entries reads this one afresh.
  set_kept(slot(_entry, true), 0, _record);
  m_changed = true;
  ++m_written;
}

void qel_avi_cache_index::keep_file(const std::string& _entry, const platform::FileStamp& _file) {
  uint32_t at = slot(_entry, true);
  Entry& e = m_entries[at];
  if (!e.has_kept_file) {
    e.has_kept_file = true;
    m_kept_file_order.push_back(at);
  }
  e.kept_file = _file;
}

void qel_avi_cache_index::keep(const std::string& _entry, const qel_avi_cache_record& _record) {
  uint32_t at = slot(_entry, false);
  if (at == kNone || !m_entries[at].listed) {
    m_unlisted_kept = true;
    return;
  }
  const Entry& e = m_entries[at];
  if (!e.has_saved || e.saved_time != e.listed_time || !same(e.saved, _record))
    m_changed = true;
  set_kept(at, e.listed_time, _record);
}

bool qel_avi_cache_index::found_equals(const Stamp& _stamp,
                                       const std::vector<uint32_t>& _files) const {
  if (_stamp.generation != m_found.generation || _stamp.entries != m_found.entries ||
      _stamp.hash != m_found.hash || _files.size() != m_found_files)
    return false;
  for (uint32_t at : _files) {
    const Entry& e = m_entries[at];
    if (!e.has_found_file || !(e.found_file == e.kept_file))
      return false;
  }
  return true;
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
  if (m_changed || m_kept_order.size() != m_saved_count) {
    // Filled in the order the entries were kept, as the copy has always been written.
    Records kept;
    for (uint32_t at : m_kept_order) {
      const Entry& e = m_entries[at];
      kept[std::string(e.name)] = {e.kept_time, e.kept};
    }
    std::vector<uint8_t> bytes = encode(kept);
    if (!_cache_key.GetValue(kIndexValue)
             .SetBinary(bytes.data(), static_cast<uint32_t>(bytes.size())))
      return false;
    for (Entry& e : m_entries) {
      e.has_saved = e.has_kept;
      e.saved_time = e.kept_time;
      e.saved = e.kept;
    }
    m_saved_count = m_kept_order.size();
    m_changed = false;
    stamp.hash = hash_of(bytes);
  }
  // The stamp describes the entries as load found them and wrote them: an entry written by
  // another writer meanwhile moves the generation or the count past it, so the next load
  // lists them again.
  if (m_unlisted_kept)
    stamp = Stamp{};
  std::vector<uint32_t> files;
  files.swap(m_kept_file_order);
  bool unchanged = found_equals(stamp, files);
  for (uint32_t at : files)
    m_entries[at].has_kept_file = false;
  if (unchanged)
    return true;
  for (uint32_t at : files) {
    const Entry& e = m_entries[at];
    stamp.files[std::string(e.name)] = e.kept_file;
  }
  std::vector<uint8_t> bytes = encode_stamp(stamp);
  if (!_cache_key.GetValue(kStampValue)
           .SetBinary(bytes.data(), static_cast<uint32_t>(bytes.size())))
    return false;
  for (Entry& e : m_entries)
    e.has_found_file = false;
  for (uint32_t at : files) {
    Entry& e = m_entries[at];
    e.has_found_file = true;
    e.found_file = e.kept_file;
  }
  m_found_files = files.size();
  m_found = std::move(stamp);
  m_found.files.clear();
  return true;
}

void qel_avi_cache_index::count_entry_write(const ZulProfileKey& _cache_key) {
  ZulProfileValue generation = _cache_key.GetValue(kGenerationValue);
  uint32_t value = 0;
  generation.GetDWORD(&value);
  generation.SetDWORD(value + 1);
}
