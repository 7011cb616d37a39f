// A copy of every cache entry's values in one value of the cache key, so that a library of
// thousands of recordings loads with one registry call per entry instead of seven. Each copy
// carries the entry's last write time and is used only while the entry still has that time:
// an entry written since, by any program, is read from the entry itself.
#pragma once

#include <cstdint>
#include <string>
#include <unordered_map>
#include <vector>

#include "library/qel_profile.h"

struct qel_avi_cache_record {
  int32_t src_app_type = 0;
  int64_t start_time = 0;
  int32_t time_len = 0;
  bool has_video = false;
  bool has_audio = false;
};

class qel_avi_cache_index {
 public:
  // Lists the entries with their write times and reads the saved copies.
  void load(const ZulProfileKey& _cache_key);
  // The saved copy of an entry that has not been written since it was saved.
  const qel_avi_cache_record* find(const std::string& _entry) const;
  // Keeps an entry's values for the next save, stamped with the write time listed by load,
  // which is no later than the values were read; entries load did not list are left out.
  void keep(const std::string& _entry, const qel_avi_cache_record& _record);
  // Writes the kept copies when they differ from the saved ones.
  bool save(const ZulProfileKey& _cache_key);

  static std::vector<uint8_t> encode(
      const std::unordered_map<std::string, std::pair<uint64_t, qel_avi_cache_record>>& _records);
  // False, with nothing decoded, for bytes that are not a whole index.
  static bool decode(
      const std::vector<uint8_t>& _bytes,
      std::unordered_map<std::string, std::pair<uint64_t, qel_avi_cache_record>>* _records);

 private:
  using Records = std::unordered_map<std::string, std::pair<uint64_t, qel_avi_cache_record>>;
  std::unordered_map<std::string, uint64_t> m_write_times;
  Records m_saved;
  Records m_kept;
  bool m_changed = false;
};
