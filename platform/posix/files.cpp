#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>
#include <map>
#include <mutex>
#include <utility>

#include "platform/posix/native_path.h"
#include "platform/text.h"

namespace platform {

using FileId = std::pair<dev_t, ino_t>;

struct FileTag {
  int fd;
  FileId id;
  bool write;
};

struct FindTag {
  DIR* dir;
  std::string pattern;
};

namespace {

// Windows opens these files shared for reading only and refuses what would break that: the
// handles open on each file of this process, by kind. (Other processes are not seen.)
struct Handles {
  int readers = 0;
  int writers = 0;
};

std::mutex& handles_lock() {
  static std::mutex lock;
  return lock;
}

std::map<FileId, Handles>& open_handles() {
  static auto* handles = new std::map<FileId, Handles>;
  return *handles;
}

// Under handles_lock: whether an open for writing (or reading), a delete or a rename of the
// file would meet a handle that does not share it.
bool in_use(const struct stat& st, bool write) {
  auto it = open_handles().find({st.st_dev, st.st_ino});
  if (it == open_handles().end())
    return false;
  return it->second.writers > 0 || (write && it->second.readers > 0);
}

// The read-only attribute: no write permission for anyone. Root may write anyway; Windows
// refuses everybody.
bool read_only(const struct stat& st) {
  return (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// What may be written, deleted or replaced at `path`: nothing there, or a file that is neither
// read-only nor open.
bool may_change(const std::string& path, bool* exists) {
  struct stat st;
  *exists = stat(path.c_str(), &st) == 0;
  if (!*exists)
    return true;
  if (S_ISDIR(st.st_mode) || read_only(st)) {
    errno = EACCES;
    return false;
  }
  if (in_use(st, true)) {
    errno = EBUSY;
    return false;
  }
  return true;
}

}  // namespace

File file_open(const std::u16string& path, FileMode mode) {
  if (is_reserved_name(path))
    return nullptr;
  std::string native = native_path(path);
  bool write = mode != FileMode::kRead;
  std::lock_guard<std::mutex> hold(handles_lock());
  struct stat st;
  if (stat(native.c_str(), &st) == 0) {
    if (S_ISDIR(st.st_mode) || (write && read_only(st)) || in_use(st, write))
      return nullptr;
  }
  int flags = mode == FileMode::kRead        ? O_RDONLY
              : mode == FileMode::kReadWrite ? O_RDWR
                                             : O_RDWR | O_CREAT | O_TRUNC;
  int fd = open(native.c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0)
    return nullptr;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    return nullptr;
  }
  FileId id{st.st_dev, st.st_ino};
  Handles& handles = open_handles()[id];
  ++(write ? handles.writers : handles.readers);
  return new FileTag{fd, id, write};
}

void file_close(File file) {
  if (!file)
    return;
  {
    std::lock_guard<std::mutex> hold(handles_lock());
    auto it = open_handles().find(file->id);
    if (it != open_handles().end()) {
      --(file->write ? it->second.writers : it->second.readers);
      if (it->second.readers == 0 && it->second.writers == 0)
        open_handles().erase(it);
    }
  }
  close(file->fd);
  delete file;
}

bool file_read_at(File file, uint64_t offset, void* data, uint32_t len, uint32_t* got) {
  *got = 0;
  while (*got < len) {
    ssize_t n = pread(file->fd, static_cast<char*>(data) + *got, len - *got,
                      static_cast<off_t>(offset + *got));
    if (n < 0 && errno == EINTR)
      continue;
    if (n < 0)
      return false;
    if (n == 0)
      break;
    *got += static_cast<uint32_t>(n);
  }
  return true;
}

bool file_write_at(File file, uint64_t offset, const void* data, uint32_t len) {
  uint32_t done = 0;
  while (done < len) {
    ssize_t n = pwrite(file->fd, static_cast<const char*>(data) + done, len - done,
                       static_cast<off_t>(offset + done));
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    done += static_cast<uint32_t>(n);
  }
  return true;
}

bool file_size(File file, uint64_t* size) {
  struct stat st;
  if (fstat(file->fd, &st) != 0)
    return false;
  *size = static_cast<uint64_t>(st.st_size);
  return true;
}

bool file_truncate(File file, uint64_t size) {
  return ftruncate(file->fd, static_cast<off_t>(size)) == 0;
}

bool file_flush(File file) {
  return fdatasync(file->fd) == 0;
}

bool file_replace(const std::u16string& from, const std::u16string& to) {
  if (is_reserved_name(from) || is_reserved_name(to))
    return false;
  std::string source = native_path(from), target = native_path(to);
  std::lock_guard<std::mutex> hold(handles_lock());
  struct stat st;
  if (stat(source.c_str(), &st) != 0 || in_use(st, true))
    return false;
  bool exists = false;
  if (!may_change(target, &exists))
    return false;
  return rename(source.c_str(), target.c_str()) == 0;
}

bool file_delete(const std::u16string& path) {
  if (is_reserved_name(path))
    return false;
  std::string native = native_path(path);
  std::lock_guard<std::mutex> hold(handles_lock());
  bool exists = false;
  return may_change(native, &exists) && exists && unlink(native.c_str()) == 0;
}

bool create_directory(const std::u16string& path) {
  return !is_reserved_name(path) && mkdir(native_path(path).c_str(), 0755) == 0;
}

// Like GetTempFileNameW: the first three characters of the prefix, four hex digits, ".tmp".
bool temp_file_name(const std::u16string& folder,
                    const std::u16string& prefix,
                    std::u16string* name) {
  std::string dir = native_path(folder);
  std::string pre = to_ansi(prefix.substr(0, 3));
  unsigned start = static_cast<unsigned>(time(nullptr) ^ getpid()) & 0xFFFF;
  for (unsigned i = 0; i < 0x10000; ++i) {
    char hex[8];
    snprintf(hex, sizeof hex, "%X", (start + i) & 0xFFFF ? (start + i) & 0xFFFF : 1);
    std::string leaf = pre + hex + ".tmp";
    int fd = open((dir + "/" + leaf).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
    if (fd >= 0) {
      close(fd);
      *name = folder + u"\\" + from_ansi(leaf);
      return true;
    }
    if (errno != EEXIST)
      return false;
  }
  return false;
}

static bool next_match(Find find, std::u16string* name, FileStamp* stamp) {
  while (dirent* e = readdir(find->dir)) {
    if (fnmatch(find->pattern.c_str(), e->d_name, FNM_CASEFOLD) == 0) {
      *name = from_ansi(e->d_name);
      struct stat st;
      if (stamp && fstatat(dirfd(find->dir), e->d_name, &st, 0) == 0) {
        stamp->size = static_cast<uint64_t>(st.st_size);
        stamp->write_time = static_cast<uint64_t>(st.st_mtim.tv_sec) * 1000000000u +
                            static_cast<uint64_t>(st.st_mtim.tv_nsec);
        stamp->directory = S_ISDIR(st.st_mode);
      } else if (stamp) {
        *stamp = FileStamp{};
      }
      return true;
    }
  }
  return false;
}

Find find_first(const std::u16string& pattern, std::u16string* name, FileStamp* stamp) {
  // The folder is looked up as any path; the last component is the pattern.
  size_t slash = pattern.find_last_of(u"\\/");
  std::u16string folder = slash == std::u16string::npos ? u"." : pattern.substr(0, slash);
  if (is_reserved_name(folder))
    return nullptr;
  std::string dir = native_path(folder);
  DIR* d = opendir(dir.empty() ? "/" : dir.c_str());
  if (!d)
    return nullptr;
  std::u16string leaf = pattern.substr(slash == std::u16string::npos ? 0 : slash + 1);
  Find find = new FindTag{d, to_ansi(leaf)};
  if (next_match(find, name, stamp))
    return find;
  find_close(find);
  return nullptr;
}

bool find_next(Find find, std::u16string* name, FileStamp* stamp) {
  return next_match(find, name, stamp);
}

void find_close(Find find) {
  if (!find)
    return;
  closedir(find->dir);
  delete find;
}

bool list_folder(
    const std::u16string& folder,
    const std::u16string& mask,
    const std::function<void(std::u16string_view name, const FileStamp& stamp)>& on_entry) {
  std::u16string name;
  FileStamp stamp;
  Find find = find_first(folder + u"\\" + mask, &name, &stamp);
  if (!find)
    return false;
  do
    on_entry(name, stamp);
  while (find_next(find, &name, &stamp));
  find_close(find);
  return true;
}

}  // namespace platform
