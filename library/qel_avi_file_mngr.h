// The library of recordings: the "*.avi" files of the recording folder as qel_avi_file
// records by id, new file names for recordings about to start, and play, delete, totals
// and UI records on request.
#pragma once

#include <cstdint>
#include <functional>
#include <set>
#include <string>
#include <string_view>
#include <unordered_map>

#include "library/qel_avi_file.h"
#include "library/qel_profile.h"
#include "library/qel_ui_file_info_list.h"
#include "qel_lib/qel_assert.h"
#include "qel_lib/qel_iobject.h"
#include "qel_lib/qel_ptr.h"

// True when a file can be created in the folder (a temporary file, removed again).
bool dojob_check_dir_writable(const char16_t* _path);

// Moves a recording to the recycle bin without asking; the shell's outcome is not examined.
// A path that does not fit a 2048-character buffer with its two terminators (2046
// characters or more) is left on disk.
void dojob_recycle_avi_file(std::u16string_view _path);

class qel_avi_file_mngr : public ZulIObject {
 public:
  qel_avi_file_mngr();
  ~qel_avi_file_mngr() override;

  // _profile_key is the product key; the cache lives in its "avi_file_info_cache".
  bool create(const ZulProfileKey& _profile_key);
  void Finalize();

  bool dojob_load_directory(const char16_t* _directory_name);
  // Full path without extension for a recording starting now.
  bool create_new_file_name(char16_t* _buf, uint32_t _buf_len);
  shared_ptr<qel_avi_file> insert_new_file(const char16_t* _path, int64_t _start_time);
  bool play_file(uint32_t _id);
  bool del_file(uint32_t _id);
  shared_ptr<qel_ui_avi_file_info> make_ui_file_info(shared_ptr<qel_avi_file> _avi_file);
  // One UI record per library file, in the map's order, into a list or a vector (the
  // start-up's, reserved by the caller, which makes no node per record).
  template <class Records>
  int make_ui_file_info_list(Records& _list) {
    if (!QEL_ASSERT(m_is_valid))
      return 0;
    QEL_ASSERT(_list.size() == 0);
    _list.clear();
    // Made in place: a record handed through a pointer moves its count up and down.
    for (const auto& entry : m_hash)
      dojob_fill_ui_file_info(*entry.second, _list.emplace_back(new qel_ui_avi_file_info).get());
    QEL_ASSERT(_list.size() == m_hash.size());
    return static_cast<int>(_list.size());
  }
  int get_total_minutes();
  int get_total_files();
  // How fast recordings fill the disk: the library's bytes over its seconds; 0 when no
  // recording has a length.
  uint64_t get_bytes_per_second() const;
  bool reset_dest_dir(const char16_t* _path);
  const char16_t* get_dest_dir() const { return m_dest_dir; }
  shared_ptr<qel_avi_file> find_file(uint32_t _id);
  // Makes a recording cut short whole (the user's Repair); its record and cache follow.
  // False, with the file as it was, when it cannot be repaired.
  bool repair_file(uint32_t _id);

 private:
  bool m_is_valid = false;
  char16_t m_dest_dir[const_qel_avi_file_name_len];
  std::unordered_map<uint32_t, shared_ptr<qel_avi_file>> m_hash;
  int64_t m_last_name_time = 0;
  ZulProfileKey m_profile_key;
  // File names (as the cache entries are keyed) of recordings known to be cut short, kept
  // in one value of the cache key: a cached file is never scanned at load.
  std::set<std::u16string, std::less<>> m_cut_names;

  // Scans the file when asked, takes its start from its name when it has none, and writes
  // its cache entry.
  void dojob_cache_scan(qel_avi_file* _file,
                        bool _scan,
                        std::u16string_view _name,
                        const std::string& _entry,
                        qel_avi_cache_index* _index);
  void dojob_load_cut_names();
  static void dojob_fill_ui_file_info(const qel_avi_file& _avi_file, qel_ui_avi_file_info* _info);
  void dojob_set_cut(qel_avi_file* _file, bool _is_cut);
};
