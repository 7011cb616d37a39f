#include "library/qel_avi_file_mngr.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "library/qel_app_setting.h"
#include "library/qel_name_start_time.h"
#include "platform/clock.h"
#include "platform/files.h"
#include "platform/shell.h"
#include "qel_lib/qel_assert.h"

namespace {

std::u16string ascii16(const char* s) {
  return std::u16string(s, s + strlen(s));
}

// The engine adds its own extension, so a candidate is in use when any "<leaf>.<ext>" exists,
// not only the bare name.
bool leaf_in_use(const std::vector<std::u16string>& names, const std::u16string& leaf) {
  for (const std::u16string& name : names) {
    if (name.compare(0, leaf.size(), leaf) != 0)
      continue;
    if (name.size() == leaf.size() || name[leaf.size()] == u'.')
      return true;
  }
  return false;
}

// The value of the cache key that lists the recordings cut short; "|" cannot occur in a
// file name.
constexpr char kCutNamesValue[] = "cut_files";
constexpr char16_t kCutNamesSeparator = u'|';
constexpr uint32_t kCutNamesMaxUnits = 1 << 20;

std::u16string leaf_of(const char16_t* path) {
  std::u16string_view p(path);
  size_t slash = p.rfind(u'\\');
  return std::u16string(slash == std::u16string_view::npos ? p : p.substr(slash + 1));
}

// One listing of the folder answers every candidate of a stamp.
std::vector<std::u16string> names_starting_with(const std::u16string& prefix) {
  std::vector<std::u16string> names;
  std::u16string found;
  platform::Find find = platform::find_first(prefix + u"*", &found);
  if (!find)
    return names;
  do
    names.push_back(found);
  while (platform::find_next(find, &found));
  platform::find_close(find);
  return names;
}

// The size and time the folder lists for one file; zeros when it is not there.
platform::FileStamp listing_of(const char16_t* path) {
  std::u16string found;
  platform::FileStamp stamp;
  platform::Find find = platform::find_first(path, &found, &stamp);
  if (!find)
    return {};
  platform::find_close(find);
  return stamp;
}

// A scan only adds to what the record holds: a scan again starts from no streams.
void forget_streams(qel_avi_file* file) {
  qel_avi_cache_record record = file->get_cache_record();
  record.time_len = 0;
  record.has_video = record.has_audio = false;
  file->set_cache_record(record);
}

// A recording the engine finished after the program was killed has no chunk and no cache
// entry to say when it started; its name does.
void take_start_time_from_name(qel_avi_file* file, std::u16string_view name) {
  int64_t start = 0;
  if (file->get_start_time() == 0 && qel_start_time_from_name(name, &start))
    file->set_start_time(start, false);
}

// An entry cached before names gave start times has none; its name gives it once and the
// entry keeps it. False when the entry stays as it was.
bool date_cached_from_name(qel_avi_file* file,
                           std::u16string_view name,
                           const std::string& entry,
                           qel_avi_cache_index* index) {
  if (file->get_start_time() != 0)
    return false;
  take_start_time_from_name(file, name);
  if (file->get_start_time() == 0 || !file->write_to_registry())
    return false;
  index->keep_written(entry, file->get_cache_record());
  return true;
}

// The "*.avi" files of a folder with their stamps, in the order the system lists them.
// Folders named like a recording are left out: Delete would recycle all they hold.
struct FolderListing {
  bool listed = false;
  struct File {
    size_t at = 0;
    size_t len = 0;
    platform::FileStamp stamp;
  };
  std::vector<File> files;
  // The names one after the other: thousands of names are not allocated one by one.
  std::u16string names;
  std::u16string_view name(const File& file) const { return {names.data() + file.at, file.len}; }
};

FolderListing list_avi_files(const char16_t* folder) {
  FolderListing listing;
  listing.listed = platform::list_folder(
      folder, u"*.avi", [&](std::u16string_view name, const platform::FileStamp& stamp) {
        if (stamp.directory)
          return;
        listing.files.push_back({listing.names.size(), name.size(), stamp});
        listing.names += name;
      });
  return listing;
}

}  // namespace

bool dojob_check_dir_writable(const char16_t* _path) {
  if (!_path || !_path[0])
    return false;
  std::u16string temp;
  if (!platform::temp_file_name(_path, u"quorvantine_", &temp))
    return false;
  platform::file_delete(temp);
  return true;
}

qel_avi_file_mngr::qel_avi_file_mngr() {
  m_dest_dir[0] = 0;
}

qel_avi_file_mngr::~qel_avi_file_mngr() {
  QEL_ASSERT(!m_is_valid);
  Finalize();
}

bool qel_avi_file_mngr::create(const ZulProfileKey& _profile_key) {
  if (!QEL_ASSERT(!m_is_valid))
    return false;
  if (!QEL_ASSERT(_profile_key.IsValid()))
    return false;
  m_profile_key = _profile_key.GetSubKey("avi_file_info_cache");
  bool rtn = qel_app_setting::get_dest_dir(m_dest_dir, const_qel_avi_file_name_len);
  QEL_ASSERT(rtn);
  m_last_name_time = platform::current_time();
  rtn = dojob_load_directory(m_dest_dir);
  QEL_ASSERT(rtn);
  m_is_valid = true;
  return true;
}

void qel_avi_file_mngr::Finalize() {
  if (!m_is_valid)
    return;
  m_is_valid = false;
  m_hash.clear();
  m_last_name_time = 0;
}

// Files with a cache entry or a chunk are not scanned, so a cached library loads quickly.
// A file whose size or time changed since the last load, or since its entry was written, is
// scanned again, keeping the start time and source its entry or chunk give.
bool qel_avi_file_mngr::dojob_load_directory(const char16_t* _directory_name) {
  if (!QEL_ASSERT(_directory_name))
    return false;
  m_hash.clear();
  platform::create_directory(_directory_name);
  // A live value node keeps the cache key open while the entries below it are read, instead
  // of the key path being reopened for every file.
  ZulProfileValue keep_cache_open = m_profile_key.GetValue("dest_dir");
  dojob_load_cut_names();
  qel_avi_cache_index index;
  index.load(m_profile_key);
  // The whole folder is listed before the first record is made: the listing's system calls
  // between one record and the next would push out of the cache what the records look up.
  FolderListing listing = list_avi_files(_directory_name);
  if (!listing.listed)
    return true;
  std::u16string path = std::u16string(m_dest_dir) + u"\\";
  const size_t folder_len = path.size();
  // Sized once for the listing: the map is not rebuilt as it grows.
  m_hash.reserve(listing.files.size());
  std::string entry;
  for (const FolderListing::File& found_file : listing.files) {
    std::u16string_view found = listing.name(found_file);
    const platform::FileStamp& stamp = found_file.stamp;
    path.resize(folder_len);
    path += found;
    shared_ptr<qel_avi_file> file(new qel_avi_file);
    bool rtn = file->create(path.c_str(), m_profile_key);
    if (!QEL_ASSERT(rtn))
      continue;
    file->set_listed(stamp);
    file->get_cache_entry_name(&entry);
    index.keep_file(entry, stamp);
    bool changed = index.is_file_changed(entry, stamp);
    const qel_avi_cache_record* saved = changed ? nullptr : index.find(entry);
    bool cached = !saved && file->load_from_registry();
    if (saved) {
      file->set_cache_record(*saved);
      if (!date_cached_from_name(file.get(), found, entry, &index))
        index.keep(entry, *saved);
      file->set_is_cut(m_cut_names.count(found) != 0);
    } else if (cached && !changed && file->is_cache_for_listed()) {
      if (!date_cached_from_name(file.get(), found, entry, &index))
        index.keep(entry, file->get_cache_record());
      file->set_is_cut(m_cut_names.count(found) != 0);
    } else if (cached || changed) {
      // Changed since the last load, or its entry was written for the file at another size
      // or time (a program killed while it grew, an earlier file of that name): scanned
      // again, keeping the start and source the entry or chunk give.
      if (!cached)
        file->dojob_read_qel_chunk();
      forget_streams(file.get());
      dojob_cache_scan(file.get(), true, found, entry, &index);
    } else {
      // A file that came without the program (no cache entry, no chunk) is scanned once,
      // headers and chunk headers only, and the result cached.
      dojob_cache_scan(file.get(), !file->dojob_read_qel_chunk(), found, entry, &index);
    }
    m_hash.emplace(file->get_id(), file);
  }
  index.save(m_profile_key);
  return true;
}

bool qel_avi_file_mngr::create_new_file_name(char16_t* _buf, uint32_t _buf_len) {
  QEL_ASSERT(m_is_valid);
  QEL_ASSERT(_buf_len > 1024);
  if (!_buf || _buf_len == 0)
    return false;
  int64_t now = platform::current_time();
  // After the clock went back, names go on from the last one rather than repeat.
  if (now >= m_last_name_time)
    m_last_name_time = now;
  else
    now = ++m_last_name_time;
  platform::LocalTime t = {};
  int err = platform::local_time(now, &t) ? 0 : 1;
  QEL_ASSERT(0 == err);
  char stamp[64];
  snprintf(stamp, sizeof stamp, "%4d-%02d-%02d %02d-%02d-%02d", t.year, t.month, t.day, t.hour,
           t.minute, t.second);
  // A folder removed while the program runs would make the engine's file fail to open and
  // the call go unrecorded: it is made again before its name is handed out.
  platform::create_directory(m_dest_dir);
  std::u16string folder = std::u16string(m_dest_dir) + u"\\";
  std::u16string leaf = ascii16(stamp);
  std::vector<std::u16string> names = names_starting_with(folder + leaf);
  std::u16string candidate = leaf;
  for (int j = 1; leaf_in_use(names, candidate); ++j)
    candidate = leaf + u"-" + ascii16(std::to_string(j).c_str());
  candidate = folder + candidate;
  int rtn = candidate.size() < _buf_len ? 0 : -1;
  if (!QEL_ASSERT(rtn == 0)) {
    _buf[0] = 0;
    return false;
  }
  std::copy(candidate.c_str(), candidate.c_str() + candidate.size() + 1, _buf);
  return true;
}

shared_ptr<qel_avi_file> qel_avi_file_mngr::insert_new_file(const char16_t* _path,
                                                            int64_t _start_time) {
  if (!_path || !_path[0])
    return shared_ptr<qel_avi_file>();
  shared_ptr<qel_avi_file> file(new qel_avi_file);
  bool rtn = file->create(_path, m_profile_key);
  if (!QEL_ASSERT(rtn))
    return shared_ptr<qel_avi_file>();
  file->set_start_time(_start_time, false);
  file->dojob_load_file_info();
  // A file cut short stays as the engine left it until the user repairs it.
  dojob_set_cut(file.get(), file->get_is_cut());
  if (!file->get_is_cut())
    file->dojob_write_qel_chunk();
  // The entry names the file as the chunk left it.
  file->set_listed(listing_of(_path));
  file->write_to_registry();
  m_hash[file->get_id()] = file;
  return file;
}

bool qel_avi_file_mngr::play_file(uint32_t _id) {
  QEL_ASSERT(m_is_valid);
  shared_ptr<qel_avi_file> file = find_file(_id);
  if (!QEL_ASSERT(file))
    return false;
  return platform::shell_open_maximized(file->get_file_name());
}

// One file only: the shell would expand a wildcard and take a folder with all it holds, and
// a discarded path comes from the engine.
void dojob_recycle_avi_file(std::u16string_view _path) {
  if (_path.empty() || _path.size() >= const_qel_avi_file_name_len - 2 ||
      _path.find_first_of(u"*?") != std::u16string_view::npos)
    return;
  std::u16string path(_path);
  std::u16string found;
  platform::FileStamp stamp;
  platform::Find find = platform::find_first(path, &found, &stamp);
  if (!find)
    return;
  platform::find_close(find);
  if (!stamp.directory)
    platform::shell_recycle(path);
}

// The record leaves the library whatever the shell made of the delete; its cache entry
// stays in the registry.
bool qel_avi_file_mngr::del_file(uint32_t _id) {
  QEL_ASSERT(m_is_valid);
  auto hash_it = m_hash.find(_id);
  if (!QEL_ASSERT(hash_it != m_hash.end()))
    return false;
  dojob_recycle_avi_file(hash_it->second->get_file_name());
  dojob_set_cut(hash_it->second.get(), false);
  m_hash.erase(hash_it);
  return true;
}

shared_ptr<qel_ui_avi_file_info> qel_avi_file_mngr::make_ui_file_info(
    shared_ptr<qel_avi_file> _avi_file) {
  if (!QEL_ASSERT(_avi_file))
    return shared_ptr<qel_ui_avi_file_info>();
  shared_ptr<qel_ui_avi_file_info> info(new qel_ui_avi_file_info);
  dojob_fill_ui_file_info(*_avi_file, info.get());
  return info;
}

void qel_avi_file_mngr::dojob_fill_ui_file_info(const qel_avi_file& _avi_file,
                                                qel_ui_avi_file_info* _info) {
  std::u16string_view path = _avi_file.get_file_name();
  _info->m_id = _avi_file.get_id();
  _info->m_file_path = path;
  size_t slash = path.rfind(u'\\');
  std::u16string_view title = slash == std::u16string_view::npos ? path : path.substr(slash + 1);
  size_t dot = title.rfind(u'.');
  if (dot != std::u16string_view::npos)
    title = title.substr(0, dot);
  _info->m_title = title;
  _info->m_start_time = _avi_file.get_start_time();
  _info->m_time_len = _avi_file.get_time_len();
  _info->m_has_video = _avi_file.get_has_video();
  _info->m_has_audio = _avi_file.get_has_audio();
  _info->m_is_cut = _avi_file.get_is_cut();
}

int qel_avi_file_mngr::get_total_minutes() {
  if (!QEL_ASSERT(m_is_valid))
    return 0;
  int64_t seconds = 0;
  for (auto& entry : m_hash)
    seconds += entry.second->get_time_len();
  return static_cast<int>(seconds / 60);
}

uint64_t qel_avi_file_mngr::get_bytes_per_second() const {
  uint64_t bytes = 0;
  uint64_t seconds = 0;
  for (const auto& entry : m_hash) {
    if (entry.second->get_time_len() <= 0)
      continue;
    bytes += entry.second->get_file_size();
    seconds += static_cast<uint64_t>(entry.second->get_time_len());
  }
  return seconds ? bytes / seconds : 0;
}

int qel_avi_file_mngr::get_total_files() {
  if (!QEL_ASSERT(m_is_valid))
    return 0;
  return static_cast<int>(m_hash.size());
}

bool qel_avi_file_mngr::reset_dest_dir(const char16_t* _path) {
  if (!QEL_ASSERT(_path))
    return false;
  size_t len = std::char_traits<char16_t>::length(_path);
  if (!QEL_ASSERT(len < const_qel_avi_file_name_len))
    return false;
  if (!dojob_check_dir_writable(_path))
    return false;
  std::copy(_path, _path + len + 1, m_dest_dir);
  qel_app_setting::set_dest_dir(m_dest_dir);
  bool rtn = dojob_load_directory(m_dest_dir);
  QEL_ASSERT(rtn);
  return rtn;
}

shared_ptr<qel_avi_file> qel_avi_file_mngr::find_file(uint32_t _id) {
  auto it = m_hash.find(_id);
  return it == m_hash.end() ? shared_ptr<qel_avi_file>() : it->second;
}

bool qel_avi_file_mngr::repair_file(uint32_t _id) {
  QEL_ASSERT(m_is_valid);
  shared_ptr<qel_avi_file> file = find_file(_id);
  if (!QEL_ASSERT(file))
    return false;
  if (!file->dojob_repair()) {
    // Made whole elsewhere since it was listed: nothing is left to repair.
    shared_ptr<qel_avi_file> now(new qel_avi_file);
    if (!now->create(file->get_file_name(), m_profile_key) || !now->dojob_load_file_info() ||
        now->get_is_cut())
      return false;
  }
  dojob_set_cut(file.get(), false);
  file->set_listed(listing_of(file->get_file_name()));
  file->write_to_registry();
  return true;
}

void qel_avi_file_mngr::dojob_cache_scan(qel_avi_file* _file,
                                         bool _scan,
                                         std::u16string_view _name,
                                         const std::string& _entry,
                                         qel_avi_cache_index* _index) {
  if (_scan && _file->dojob_load_file_info())
    dojob_set_cut(_file, _file->get_is_cut());
  take_start_time_from_name(_file, _name);
  if (_file->write_to_registry())
    _index->keep_written(_entry, _file->get_cache_record());
}

void qel_avi_file_mngr::dojob_load_cut_names() {
  m_cut_names.clear();
  std::u16string text;
  if (!m_profile_key.GetValue(kCutNamesValue).GetWString(&text, kCutNamesMaxUnits))
    return;
  for (size_t at = 0; at < text.size();) {
    size_t end = text.find(kCutNamesSeparator, at);
    if (end == std::u16string::npos)
      end = text.size();
    if (end > at)
      m_cut_names.insert(text.substr(at, end - at));
    at = end + 1;
  }
}

void qel_avi_file_mngr::dojob_set_cut(qel_avi_file* _file, bool _is_cut) {
  _file->set_is_cut(_is_cut);
  std::u16string leaf = leaf_of(_file->get_file_name());
  bool listed = m_cut_names.count(leaf) != 0;
  if (listed == _is_cut)
    return;
  if (_is_cut)
    m_cut_names.insert(leaf);
  else
    m_cut_names.erase(leaf);
  std::u16string text;
  for (const std::u16string& name : m_cut_names) {
    if (!text.empty())
      text += kCutNamesSeparator;
    text += name;
  }
  m_profile_key.GetValue(kCutNamesValue).SetWString(text);
}
