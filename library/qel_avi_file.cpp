#include "library/qel_avi_file.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <string>

#include "library/avi_cut_scan.h"
#include "library/avi_file_target.h"
#include "library/avi_repair.h"
#include "library/avi_stream_info.h"
#include "library/qel_chunk_writer.h"
#include "library/riff_reader.h"
#include "qel_lib/base64.h"
#include "qel_lib/qel_assert.h"

namespace {

constexpr size_t const_buf_len = 4096;
// The cache entry's size and write time of the file it was written for, 16 bytes.
constexpr char kFileStampValue[] = "file_stamp";

int32_t get_i32(const uint8_t* p) {
  int32_t v;
  memcpy(&v, p, 4);
  return v;
}

void put_i32(uint8_t* p, int32_t v) {
  memcpy(p, &v, 4);
}

// Object addresses do not fit the 32-bit ids of the UI records; a counter does.
uint32_t next_avi_file_id() {
  static std::atomic<uint32_t> counter{0};
  uint32_t id;
  while ((id = ++counter) == 0) {
  }
  return id;
}

// The setters' common body: the record must be bound, and the chunk is rewritten on request.
// Reports name the setter (caller).
template <class T>
bool set_chunk_field(qel_avi_file* file, T* field, T value, bool write_chunk, const char* caller) {
  if (!file->get_file_name()[0]) {
    qel_assert_failed(__FILE__, __LINE__, caller, "m_file_name");
    return false;
  }
  *field = value;
  if (!write_chunk)
    return true;
  bool rtn = file->dojob_write_qel_chunk();
  if (!rtn)
    qel_assert_failed(__FILE__, __LINE__, caller, "rtn");
  return rtn;
}

}  // namespace

qel_avi_file::qel_avi_file() : m_id(next_avi_file_id()) {}

bool qel_avi_file::create(const char16_t* _name, const ZulProfileKey& _profile_key) {
  if (!QEL_ASSERT(_name))
    return false;
  if (!QEL_ASSERT(m_file_name[0] == 0))
    return false;
  if (!QEL_ASSERT(_profile_key.IsValid()))
    return false;
  size_t len = std::char_traits<char16_t>::length(_name);
  if (!QEL_ASSERT(len < const_qel_avi_file_name_len))
    return false;
  m_file_name.assign(_name, len);
  m_profile_key = _profile_key;
  return true;
}

bool qel_avi_file::set_start_time(int64_t _start_time, bool _write_chunk) {
  return set_chunk_field(this, &m_start_time, _start_time, _write_chunk, QEL_FUNCTION);
}

bool qel_avi_file::set_src_app_type(int32_t _src_app_type, bool _write_chunk) {
  return set_chunk_field(this, &m_src_app_type, _src_app_type, _write_chunk, QEL_FUNCTION);
}

bool qel_avi_file::dojob_load_file_info() {
  PlatformByteFile file(m_file_name, platform::FileMode::kRead);
  if (!file.is_open())
    return false;
  AviLayout layout;
  read_avi_layout(file, &layout);
  AviStreamSummary streams = summarize_streams(layout);
  // A recording cut short by its engine has no index and sizes past the end of the file;
  // its complete chunks tell how long it is.
  m_is_cut = false;
  if (avi_needs_chunk_count(layout)) {
    CutAvi cut;
    if (scan_cut_avi(file, &cut, false)) {
      streams = summarize_streams(cut.streams);
      m_is_cut = !layout.valid;
    } else if (!layout.valid) {
      return false;
    }
  }
  if (layout.valid)
    QEL_ASSERT_MSG(!layout.streams.empty(), "count_streams");
  // Flags are only ever set and the length only grows, as a scan of each stream would.
  m_has_video = m_has_video || streams.has_video;
  m_has_audio = m_has_audio || streams.has_audio;
  m_time_len = std::max(m_time_len, streams.time_len);
  return true;
}

bool qel_avi_file::dojob_repair() {
  if (!QEL_ASSERT_MSG(m_file_name[0], "m_file_name"))
    return false;
  AviFileTarget target(m_file_name);
  if (!target.is_open() || !repair_cut_avi(target))
    return false;
  m_is_cut = false;
  // A file cut short never got its chunk; now that it is whole it can carry one.
  if (!dojob_has_qel_chunk())
    dojob_write_qel_chunk();
  return true;
}

bool qel_avi_file::dojob_has_qel_chunk() {
  PlatformByteFile file(m_file_name, platform::FileMode::kRead);
  AviLayout layout;
  uint8_t data[qel_chunk_format_v2_len];
  uint32_t len = 0;
  return file.is_open() && read_avi_layout(file, &layout) &&
         read_qel_chunk(file, layout, data, sizeof data, &len);
}

bool qel_avi_file::dojob_read_qel_chunk() {
  PlatformByteFile file(m_file_name, platform::FileMode::kRead);
  AviLayout layout;
  if (!file.is_open() || !read_avi_layout(file, &layout))
    return false;
  uint8_t data[qel_chunk_format_v2_len] = {};
  uint32_t len = 0;
  if (!read_qel_chunk(file, layout, data, sizeof data, &len))
    return false;
  m_qel_chunk_version = get_i32(data);
  if (m_qel_chunk_version == 1)
    return dojob_read_qel_chunk_v1(data, static_cast<int>(len));
  if (m_qel_chunk_version == 2)
    return dojob_read_qel_chunk_v2(data, static_cast<int>(len));
  QEL_ASSERT(false);
  return false;
}

bool qel_avi_file::dojob_read_qel_chunk_v1(const uint8_t* _data, int _len) {
  if (!QEL_ASSERT(_data && _len))
    return false;
  if (!QEL_ASSERT(m_qel_chunk_version == *(int*)_data))
    return false;
  if (!QEL_ASSERT(_len == qel_chunk_format_v1_len))
    return false;
  m_src_app_type = get_i32(_data + 4);
  memcpy(&m_start_time, _data + 8, 8);
  return true;
}

bool qel_avi_file::dojob_read_qel_chunk_v2(const uint8_t* _data, int _len) {
  if (!QEL_ASSERT(_data && _len))
    return false;
  if (!QEL_ASSERT(m_qel_chunk_version == *(int*)_data))
    return false;
  if (!QEL_ASSERT(_len == qel_chunk_format_v2_len))
    return false;
  m_src_app_type = get_i32(_data + 4);
  memcpy(&m_start_time, _data + 8, 8);
  m_time_len = get_i32(_data + 24);
  m_has_video = get_i32(_data + 28) != 0;
  m_has_audio = get_i32(_data + 32) != 0;
  return true;
}

bool qel_avi_file::dojob_write_qel_chunk() {
  if (m_qel_chunk_version == 1)
    return dojob_write_qel_chunk_v1();
  if (m_qel_chunk_version == 2)
    return dojob_write_qel_chunk_v2();
  QEL_ASSERT(false);
  return false;
}

bool qel_avi_file::dojob_write_chunk_record(const uint8_t* _data, uint32_t _len) {
  AviFileTarget p_file(m_file_name);
  int rtn = p_file.is_open() ? 0 : -1;
  if (!QEL_ASSERT(rtn == 0 && p_file.is_open()))
    return false;
  rtn = write_qel_chunk(p_file, _data, _len) == QelChunkPlacement::kFailed ? -1 : 0;
  QEL_ASSERT(rtn == 0);
  return rtn == 0;
}

// The reserved bytes at offset 16 are written as zeros.
bool qel_avi_file::dojob_write_qel_chunk_v1() {
  uint8_t data[qel_chunk_format_v1_len] = {};
  put_i32(data, m_qel_chunk_version);
  put_i32(data + 4, m_src_app_type);
  memcpy(data + 8, &m_start_time, 8);
  return dojob_write_chunk_record(data, sizeof data);
}

bool qel_avi_file::dojob_write_qel_chunk_v2() {
  uint8_t data[qel_chunk_format_v2_len] = {};
  put_i32(data, m_qel_chunk_version);
  put_i32(data + 4, m_src_app_type);
  memcpy(data + 8, &m_start_time, 8);
  put_i32(data + 24, m_time_len);
  put_i32(data + 28, m_has_video ? 1 : 0);
  put_i32(data + 32, m_has_audio ? 1 : 0);
  return dojob_write_chunk_record(data, sizeof data);
}

namespace {

enum class EntryName { kOk, kNoFolder, kNoName, kNoBase64 };

// Base64 of the UTF-16LE file name after the last backslash.
EntryName cache_entry_name(std::u16string_view path, std::string* out) {
  size_t slash = path.rfind(u'\\');
  if (slash == std::u16string_view::npos)
    return EntryName::kNoFolder;
  std::u16string_view file_name = path.substr(slash + 1);
  if (file_name.empty())
    return EntryName::kNoName;
  uint8_t bytes[2 * const_qel_avi_file_name_len];
  for (size_t i = 0; i < file_name.size(); ++i) {
    bytes[2 * i] = static_cast<uint8_t>(file_name[i]);
    bytes[2 * i + 1] = static_cast<uint8_t>(file_name[i] >> 8);
  }
  char file_name_b64[const_buf_len];
  size_t file_name_b64_len = 0;
  if (!base64_encode(bytes, 2 * file_name.size(), file_name_b64, const_buf_len, &file_name_b64_len))
    return EntryName::kNoBase64;
  out->assign(file_name_b64, file_name_b64_len);
  return EntryName::kOk;
}

}  // namespace

std::string qel_avi_file::get_cache_entry_name() const {
  std::string entry;
  get_cache_entry_name(&entry);
  return entry;
}

void qel_avi_file::get_cache_entry_name(std::string* _entry) const {
  _entry->clear();
  cache_entry_name(m_file_name, _entry);
}

bool qel_avi_file::dojob_get_file_key(ZulProfileKey* _file_key) {
  std::string entry;
  EntryName rtn = cache_entry_name(m_file_name, &entry);
  if (!QEL_ASSERT_MSG(rtn != EntryName::kNoFolder, "file_name"))
    return false;
  if (!QEL_ASSERT_MSG(rtn != EntryName::kNoName, "file_name_len"))
    return false;
  if (!QEL_ASSERT_MSG(rtn == EntryName::kOk, "rtn==0 && file_name_b64[file_name_b64_len] == 0"))
    return false;
  if (!QEL_ASSERT(m_profile_key.IsValid()))
    return false;
  ZulProfileKey file_key = m_profile_key.GetSubKey(entry);
  if (!QEL_ASSERT(file_key.IsValid()))
    return false;
  *_file_key = file_key;
  return true;
}

void qel_avi_file::set_listed(const platform::FileStamp& _stamp) {
  m_listed = _stamp;
  m_has_listed = true;
}

bool qel_avi_file::is_cache_for_listed() const {
  return !m_has_cached_for ||
         (m_cached_for.size == m_listed.size && m_cached_for.write_time == m_listed.write_time);
}

qel_avi_cache_record qel_avi_file::get_cache_record() const {
  qel_avi_cache_record r;
  r.src_app_type = m_src_app_type;
  r.start_time = m_start_time;
  r.time_len = m_time_len;
  r.has_video = m_has_video;
  r.has_audio = m_has_audio;
  return r;
}

void qel_avi_file::set_cache_record(const qel_avi_cache_record& _record) {
  m_src_app_type = _record.src_app_type;
  m_start_time = _record.start_time;
  m_time_len = _record.time_len;
  m_has_video = _record.has_video;
  m_has_audio = _record.has_audio;
}

bool qel_avi_file::load_from_registry() {
  m_has_cached_for = false;
  ZulProfileKey key;
  if (!dojob_get_file_key(&key))
    return false;
  // A live value node keeps the entry's key open across the five reads.
  ZulProfileValue src_app_type = key.GetValue("src_app_type");
  if (!src_app_type.GetDWORD(&m_src_app_type))
    return false;
  uint8_t time[8] = {};
  uint32_t readed = 0;
  if (!key.GetValue("start_time").GetBinary(time, sizeof time, &readed))
    return false;
  QEL_ASSERT(readed == sizeof(int64_t));
  memcpy(&m_start_time, time, sizeof time);
  if (!key.GetValue("time_len").GetDWORD(&m_time_len))
    return false;
  if (!key.GetValue("has_video").GetBool(&m_has_video))
    return false;
  if (!key.GetValue("has_audio").GetBool(&m_has_audio))
    return false;
  uint64_t stamp[2] = {};
  m_has_cached_for = key.GetValue(kFileStampValue).GetBinary(stamp, sizeof stamp, &readed) &&
                     readed == sizeof stamp;
  m_cached_for.size = stamp[0];
  m_cached_for.write_time = stamp[1];
  return true;
}

bool qel_avi_file::write_to_registry() {
  ZulProfileKey key;
  if (!dojob_get_file_key(&key))
    return false;
  ZulProfileValue src_app_type = key.GetValue("src_app_type");
  src_app_type.SetDWORD(static_cast<uint32_t>(m_src_app_type));
  key.GetValue("start_time").SetBinary(&m_start_time, sizeof m_start_time);
  key.GetValue("time_len").SetDWORD(static_cast<uint32_t>(m_time_len));
  key.GetValue("has_video").SetBool(m_has_video);
  key.GetValue("has_audio").SetBool(m_has_audio);
  if (m_has_listed) {
    const uint64_t stamp[2] = {m_listed.size, m_listed.write_time};
    key.GetValue(kFileStampValue).SetBinary(stamp, sizeof stamp);
  }
  qel_avi_cache_index::count_entry_write(m_profile_key);
  return true;
}
