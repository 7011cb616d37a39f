// One recording in the library: its path, streams, length, start time and producing
// application, kept in the "_qel" chunk inside the AVI file and in a registry cache entry
// named after the file.
#pragma once

#include <cstdint>
#include <string>

#include "library/qel_avi_cache_index.h"
#include "library/qel_profile.h"
#include "platform/files.h"
#include "qel_lib/qel_iobject.h"

inline constexpr uint32_t const_qel_avi_file_name_len = 2048;
inline constexpr uint32_t qel_chunk_format_v1_len = 24;
inline constexpr uint32_t qel_chunk_format_v2_len = 36;

class qel_avi_file : public ZulIObject {
 public:
  qel_avi_file();
  ~qel_avi_file() override = default;

  // Binds the record to a file and the cache key; no file access.
  bool create(const char16_t* _name, const ZulProfileKey& _profile_key);
  bool set_start_time(int64_t _start_time, bool _write_chunk);
  bool set_src_app_type(int32_t _src_app_type, bool _write_chunk);

  // Stream scan: audio/video flags and length in seconds.
  bool dojob_load_file_info();
  bool load_from_registry();
  bool write_to_registry();
  // The cache entry's key name: Base64 of the UTF-16LE file name; empty for a bad name.
  std::string get_cache_entry_name() const;
  // The same into `_entry`, whose buffer a caller naming many files reuses.
  void get_cache_entry_name(std::string* _entry) const;
  qel_avi_cache_record get_cache_record() const;
  void set_cache_record(const qel_avi_cache_record& _record);

  bool dojob_read_qel_chunk();
  bool dojob_read_qel_chunk_v1(const uint8_t* _data, int _len);
  bool dojob_read_qel_chunk_v2(const uint8_t* _data, int _len);
  bool dojob_write_qel_chunk();
  bool dojob_write_qel_chunk_v1();
  bool dojob_write_qel_chunk_v2();

  // Non-zero, unique among live records and fixed for the record's life.
  uint32_t get_id() const { return m_id; }
  const char16_t* get_file_name() const { return m_file_name.c_str(); }
  int64_t get_start_time() const { return m_start_time; }
  int32_t get_time_len() const { return m_time_len; }
  bool get_has_video() const { return m_has_video; }
  bool get_has_audio() const { return m_has_audio; }
  int32_t get_src_app_type() const { return m_src_app_type; }
  int32_t get_qel_chunk_version() const { return m_qel_chunk_version; }
  // The last stream scan found the file cut short: sizes past its end, no index.
  bool get_is_cut() const { return m_is_cut; }
  // What an earlier scan found, for a record filled from its cache entry.
  void set_is_cut(bool _is_cut) { m_is_cut = _is_cut; }
  // Bytes on disk as the folder was last listed.
  uint64_t get_file_size() const { return m_listed.size; }
  // The file's size and time as last listed; the cache entry written from then on names
  // them, so that a later load can tell whether the entry still describes the file.
  void set_listed(const platform::FileStamp& _stamp);
  // False when the entry last loaded was written for the file at another size or time (a
  // file still growing, or an earlier file of that name). An entry that names no file was
  // written before entries did, and is taken as it is.
  bool is_cache_for_listed() const;
  // Makes a cut recording playable in place; the chunk and cache entry stay as they are,
  // and a file that had no chunk gets one.
  bool dojob_repair();

 private:
  // The cache entry's key below the cache key.
  bool dojob_get_file_key(ZulProfileKey* _file_key);
  bool dojob_write_chunk_record(const uint8_t* _data, uint32_t _len);
  bool dojob_has_qel_chunk();

  uint32_t m_id;
  // At its length: a library holds many records. create refuses what reaches the limit.
  std::u16string m_file_name;
  bool m_has_video = false;
  bool m_has_audio = false;
  int32_t m_time_len = 0;
  int32_t m_qel_chunk_version = 2;
  int32_t m_src_app_type = 0;
  int64_t m_start_time = 0;
  platform::FileStamp m_listed;
  bool m_has_listed = false;
  platform::FileStamp m_cached_for;
  bool m_has_cached_for = false;
  ZulProfileKey m_profile_key;
  bool m_is_cut = false;
};
