#include "app/testing/small_volume.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

#include "app/testing/program_runner.h"
#include "platform/win32/scoped_handle.h"

namespace qel_testing {

// A host path of this test's own: process ids repeat between Wine prefixes that run side by
// side, so the prefix is part of the name.
std::string SmallVolume::host_name(const char* suffix) const {
  wchar_t prefix[1024] = {};
  GetEnvironmentVariableW(L"WINEPREFIX", prefix, 1024);
  return "/tmp/qel_volume_" + std::to_string(GetCurrentProcessId()) + "_" +
         std::to_string(std::hash<std::wstring>()(prefix) % 1000000007u) + suffix;
}

SmallVolume::SmallVolume(int megabytes) {
  wchar_t letter = L'Q';
  while (letter < L'Z' && (GetLogicalDrives() & (1u << (letter - L'A'))))
    ++letter;
  root_ = std::wstring(1, letter) + L":\\";
  wchar_t prefix[1024] = {};
  if (letter == L'Z' || !GetEnvironmentVariableW(L"WINEPREFIX", prefix, 1024)) {
    why_not_ = "no free drive letter or no WINEPREFIX";
    return;
  }
  unix_dir_ = host_name("");
  link_ = narrow(prefix) + "/dosdevices/" + static_cast<char>(letter - L'A' + 'a') + ":";
  std::string size = std::to_string(megabytes) + "m";
  run("mkdir -p " + unix_dir_ + " && mount -t tmpfs -o size=" + size + " tmpfs " + unix_dir_ +
      " && ln -sfn " + unix_dir_ + " '" + link_ + "'");
  // The size tells the volume from the folder beneath it.
  ULARGE_INTEGER total = {};
  if (!wait_until(
          [&] {
            return GetDiskFreeSpaceExW(root_.c_str(), nullptr, &total, nullptr) &&
                   total.QuadPart == static_cast<uint64_t>(megabytes) << 20;
          },
          5000))
    why_not_ = "no " + size + " tmpfs as " + narrow(root_) + " (mounting needs root)";
}

SmallVolume::~SmallVolume() {
  if (link_.empty())
    return;
  DeleteFileW((root_ + L"filler").c_str());
  run("rm -f '" + link_ + "'; umount -l " + unix_dir_ + "; rmdir " + unix_dir_);
}

uint64_t SmallVolume::free_bytes() const {
  ULARGE_INTEGER free = {};
  return GetDiskFreeSpaceExW(root_.c_str(), &free, nullptr, nullptr) ? free.QuadPart : 0;
}

bool SmallVolume::fill_until_free(uint64_t free) {
  DeleteFileW((root_ + L"filler").c_str());
  platform::ScopedFileHandle file(CreateFileW((root_ + L"filler").c_str(), GENERIC_WRITE, 0,
                                              nullptr, CREATE_ALWAYS, 0, nullptr));
  std::vector<char> block(1 << 20, 'f');
  for (uint64_t now; file && (now = free_bytes()) > free;) {
    DWORD n = static_cast<DWORD>(std::min<uint64_t>(now - free, block.size())), written = 0;
    if (!WriteFile(file.get(), block.data(), n, &written, nullptr) || written != n)
      return false;
  }
  return static_cast<bool>(file);
}

// Through Wine's "start /unix", from a script file: quoting survives no other way through
// cmd, start and the shell.
void SmallVolume::run(const std::string& script) const {
  std::string name = host_name(".sh");
  std::wstring path = L"Z:" + widen(name);
  if (FILE* out = _wfopen(path.c_str(), L"wb")) {
    std::fprintf(out, "PATH=/usr/sbin:/usr/bin:/sbin:/bin\n%s\n", script.c_str());
    std::fclose(out);
    std::system(("start /wait /unix /bin/sh " + name).c_str());
  }
  DeleteFileW(path.c_str());
}

}  // namespace qel_testing
