// A copy of every cache entry's values in one value of the cache key, so that a library of
// thousands of recordings loads with one registry call per entry instead of seven. Each copy
// carries the entry's last write time and is used only while the entry still has that time:
// an entry written since, by any program, is read from the entry itself.
//
// Listing the entries' times still costs one call per entry. A stamp beside the copy skips
// it when nothing was written since the copy was saved: every entry write counts up a
// generation value, and the stamp holds the generation, the number of entries and a hash of
// the copy as they were when it was saved. A writer that does not count (an older build)
// still adds entries or rewrites the copy, which the count and the hash notice.
//
// The stamp also holds each file's size and write time from the folder listing, so that a
// file changed by another program since the last load is told apart and read again.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "library/qel_profile.h"
#include "platform/files.h"

struct qel_avi_cache_record {
  int32_t src_app_type = 0;
  int64_t start_time = 0;
  int32_t time_len = 0;
  bool has_video = false;
  bool has_audio = false;
};

class qel_avi_cache_index {
 public:
  // Reads the saved copies and, unless the stamp vouches for them, lists the entries with
  // their write times.
  void load(const ZulProfileKey& _cache_key);
  // Whether load trusted the stamp instead of listing the entries.
  bool is_stamped() const { return m_stamped; }
  // The saved copy of an entry that has not been written since it was saved.
  const qel_avi_cache_record* find(const std::string& _entry) const;
  // True when the entry's file was listed at the last save with another size or time.
  bool is_file_changed(const std::string& _entry, const platform::FileStamp& _file) const;
  // Keeps an entry's values for the next save, stamped with the write time listed by load,
  // which is no later than the values were read; entries load did not list are left out.
  void keep(const std::string& _entry, const qel_avi_cache_record& _record);
  // Keeps the values of an entry this load has just written (and counted). Its write time is
  // not known: the copy serves only loads that trust the stamp, which vouches for it.
  void keep_written(const std::string& _entry, const qel_avi_cache_record& _record);
  // Keeps the listed size and time of the entry's file for the next save.
  void keep_file(const std::string& _entry, const platform::FileStamp& _file);
  // Writes the kept copies when they differ from the saved ones, and the stamp.
  bool save(const ZulProfileKey& _cache_key);
  // Every writer of an entry calls this after the write, so the next load lists the entries.
  static void count_entry_write(const ZulProfileKey& _cache_key);

  static std::vector<uint8_t> encode(
      const std::unordered_map<std::string, std::pair<uint64_t, qel_avi_cache_record>>& _records);
  // False, with nothing decoded, for bytes that are not a whole index.
  static bool decode(
      const std::vector<uint8_t>& _bytes,
      std::unordered_map<std::string, std::pair<uint64_t, qel_avi_cache_record>>* _records);

  // The generation, entry count and copy's hash it was saved with (entries is -1 in a
  // stamp that vouches for nothing), and each listed file's size and time by entry name.
  struct Stamp {
    uint32_t generation = 0;
    int64_t entries = -1;
    uint64_t hash = 0;
    std::unordered_map<std::string, platform::FileStamp> files;
    bool operator==(const Stamp&) const = default;
  };
  static std::vector<uint8_t> encode_stamp(const Stamp& _stamp);
  // False, with nothing decoded, for bytes that are not a whole stamp.
  static bool decode_stamp(const std::vector<uint8_t>& _bytes, Stamp* _stamp);

 private:
  using Records = std::unordered_map<std::string, std::pair<uint64_t, qel_avi_cache_record>>;
  // Everything known of one entry name, so that a load of thousands of files looks each name
  // up once per question instead of filling a map per kind of fact.
  struct Entry {
    // Into the loaded copy or stamp, or into m_names for a name only listed or kept.
    std::string_view name;
    bool has_saved = false;
    bool listed = false;
    bool has_found_file = false;
    bool has_kept = false;
    bool has_kept_file = false;
    uint64_t saved_time = 0;
    uint64_t listed_time = 0;
    uint64_t kept_time = 0;
    qel_avi_cache_record saved;
    qel_avi_cache_record kept;
    platform::FileStamp found_file;
    platform::FileStamp kept_file;
  };
  static constexpr uint32_t kNone = ~uint32_t{0};

  // The entry's place in m_entries, made when asked to; kNone when there is none.
  uint32_t slot(std::string_view _entry, bool _create);
  const Entry* lookup(std::string_view _entry) const;
  // The place in m_table that holds the name or, when none does, where it would go.
  uint32_t& table_cell(std::string_view _entry);
  uint32_t table_find(std::string_view _entry) const;
  // Sizes the table for that many entries.
  void make_room(size_t _entries);
  uint32_t add_entry(std::string_view _name);
  void set_kept(uint32_t _at, uint64_t _time, const qel_avi_cache_record& _record);
  // Load's decoders: nothing is taken from bytes that are not a whole index or stamp.
  bool decode_saved();
  bool decode_found();
  // Whether `_stamp` with `_files` kept is the stamp found at load.
  bool found_equals(const Stamp& _stamp, const std::vector<uint32_t>& _files) const;

  // The bytes of the copy and the stamp as loaded: the entries' names point into them, so
  // that thousands of names are not copied one by one.
  std::vector<uint8_t> m_saved_bytes;
  std::vector<uint8_t> m_found_bytes;
  // Names only listed or kept: a deque leaves them where they are as it grows.
  std::deque<std::string> m_names;
  std::vector<Entry> m_entries;
  // Open addressing over m_entries (place + 1, 0 for a free cell), a power of two in size:
  // a node per name would cost an allocation per name.
  std::vector<uint32_t> m_table;
  // The last entry asked for: a file's questions come one after the other.
  uint32_t m_last = kNone;
  size_t m_saved_count = 0;
  size_t m_found_files = 0;
  // Kept entries and files in the order they were first kept: the saved values list them in
  // the order a map filled that way iterates.
  std::vector<uint32_t> m_kept_order;
  std::vector<uint32_t> m_kept_file_order;
  bool m_changed = false;
  // Kept an entry whose write time is unknown: the next load must list the entries.
  bool m_unlisted_kept = false;
  // Entries this load wrote; when the generation moved by exactly that many, no other writer
  // came between, and the stamp may vouch for the entries as they are after the load.
  uint32_t m_written = 0;
  bool m_stamped = false;
  // The state at load, which the saved stamp records, and the stamp found then (its files
  // are the entries' found files).
  Stamp m_loaded;
  Stamp m_found;
};
