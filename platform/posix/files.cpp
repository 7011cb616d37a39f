#include "platform/files.h"

#include <dirent.h>
#include <fcntl.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

#include "platform/posix/native_path.h"
#include "platform/text.h"

namespace platform {

struct FileTag {
  int fd;
};

struct FindTag {
  DIR* dir;
  std::string pattern;
};

// The core writes Windows paths; natively a backslash is a separator.
std::string native_path(const std::u16string& path) {
  std::string p = to_ansi(path);
  for (char& c : p)
    if (c == '\\')
      c = '/';
  return p;
}

File file_open(const std::u16string& path, FileMode mode) {
  int flags = mode == FileMode::kRead        ? O_RDONLY
              : mode == FileMode::kReadWrite ? O_RDWR
                                             : O_RDWR | O_CREAT | O_TRUNC;
  int fd = open(native_path(path).c_str(), flags | O_CLOEXEC, 0644);
  if (fd < 0)
    return nullptr;
  struct stat st;
  if (fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
    close(fd);
    return nullptr;
  }
  return new FileTag{fd};
}

void file_close(File file) {
  if (!file)
    return;
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
  return rename(native_path(from).c_str(), native_path(to).c_str()) == 0;
}

bool file_delete(const std::u16string& path) {
  return unlink(native_path(path).c_str()) == 0;
}

bool create_directory(const std::u16string& path) {
  return mkdir(native_path(path).c_str(), 0755) == 0;
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

static bool next_match(Find find, std::u16string* name) {
  while (dirent* e = readdir(find->dir)) {
    if (fnmatch(find->pattern.c_str(), e->d_name, FNM_CASEFOLD) == 0) {
      *name = from_ansi(e->d_name);
      return true;
    }
  }
  return false;
}

Find find_first(const std::u16string& pattern, std::u16string* name) {
  std::string p = native_path(pattern);
  size_t slash = p.rfind('/');
  std::string dir = slash == std::string::npos ? "." : p.substr(0, slash);
  DIR* d = opendir(dir.empty() ? "/" : dir.c_str());
  if (!d)
    return nullptr;
  Find find = new FindTag{d, p.substr(slash == std::string::npos ? 0 : slash + 1)};
  if (next_match(find, name))
    return find;
  find_close(find);
  return nullptr;
}

bool find_next(Find find, std::u16string* name) {
  return next_match(find, name);
}

void find_close(Find find) {
  if (!find)
    return;
  closedir(find->dir);
  delete find;
}

int64_t current_time() {
  return static_cast<int64_t>(time(nullptr));
}

bool local_time(int64_t t, LocalTime* out) {
  time_t tt = static_cast<time_t>(t);
  struct tm tm;
  if (!localtime_r(&tt, &tm))
    return false;
  *out = {tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec};
  return true;
}

}  // namespace platform
