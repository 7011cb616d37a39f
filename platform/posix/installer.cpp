// Natively there is no Authenticode and nothing to start: files are real, so the core's file
// handling can be tried, but every installer is refused.
#include "platform/installer.h"

#include <fcntl.h>
#include <sys/random.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "platform/posix/native_path.h"

namespace platform {

struct InstallerFileTag {
  int fd;
};

InstallerFile installer_create(std::u16string* path) {
  const char* tmp = std::getenv("TMPDIR");
  std::string folder = tmp && *tmp ? std::string(tmp) + "/" : "/tmp/";
  for (int attempt = 0; attempt < 64; ++attempt) {
    uint32_t r[2];
    if (getrandom(r, sizeof r, 0) != sizeof r)
      return nullptr;
    std::string name = folder + ".ZulInstaller-" + std::to_string(r[0] & 0x7fffffff) + "-" +
                       std::to_string(r[1] & 0x7fffffff) + ".exe";
    int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd >= 0) {
      *path = std::u16string(name.begin(), name.end());
      return new InstallerFileTag{fd};
    }
    if (errno != EEXIST)
      return nullptr;
  }
  return nullptr;
}

bool installer_write(InstallerFile file, const void* data, uint32_t len) {
  const char* p = static_cast<const char*>(data);
  while (len > 0) {
    ssize_t n = write(file->fd, p, len);
    if (n < 0 && errno == EINTR)
      continue;
    if (n <= 0)
      return false;
    p += n;
    len -= static_cast<uint32_t>(n);
  }
  return true;
}

InstallerFile installer_hold(const std::u16string& path) {
  int fd = open(native_path(path).c_str(), O_RDONLY | O_CLOEXEC);
  return fd < 0 ? nullptr : new InstallerFileTag{fd};
}

void installer_close(InstallerFile file) {
  if (!file)
    return;
  close(file->fd);
  delete file;
}

bool installer_delete(const std::u16string& path) {
  return unlink(native_path(path).c_str()) == 0;
}

bool installer_inspect(InstallerFile, const std::u16string&, InstallerFacts* facts) {
  *facts = InstallerFacts();
  return false;
}

bool installer_start(const std::u16string&) {
  return false;
}

bool open_web_address(const std::string&) {
  return false;
}

}  // namespace platform
