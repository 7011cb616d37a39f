#include "app/testing/small_volume.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "app/testing/program_runner.h"
#include "platform/win32/scoped_handle.h"
#include "platform/win32/win.h"

namespace qel_testing {

namespace {

constexpr uint64_t kMb = 1024 * 1024;

// Where Wine keeps the drive letters of this prefix, for the shell.
std::string dosdevices() {
  wchar_t prefix[1024] = {};
  DWORD n = GetEnvironmentVariableW(L"WINEPREFIX", prefix, 1024);
  std::string dir = n && n < 1024 ? narrow(prefix) : "${WINEPREFIX:-$HOME/.wine}";
  return dir + "/dosdevices";
}

bool total_and_free(const std::wstring& root, uint64_t* total, uint64_t* free) {
  ULARGE_INTEGER t = {}, f = {};
  if (!GetDiskFreeSpaceExW(root.c_str(), &f, &t, nullptr))
    return false;
  *total = t.QuadPart;
  *free = f.QuadPart;
  return true;
}

}  // namespace

SmallVolume::SmallVolume(int megabytes) {
  DWORD drives = GetLogicalDrives();
  wchar_t letter = L'Q';
  while (letter <= L'Y' && (drives & (1u << (letter - L'A'))))
    ++letter;
  if (letter > L'Y') {
    why_not_ = "no drive letter is free";
    return;
  }
  root_ = std::wstring(1, letter) + L":\\";
  unix_dir_ = "/tmp/qel_volume_" + std::to_string(GetCurrentProcessId());
  link_ = dosdevices() + "/" + static_cast<char>(letter + L'a' - L'A') + ":";
  mounted_ = true;
  std::string size = std::to_string(megabytes) + "m";
  run("mkdir -p " + unix_dir_ + " && mount -t tmpfs -o size=" + size + " tmpfs " + unix_dir_ +
      " && ln -sfn " + unix_dir_ + " \"" + link_ + "\"");
  uint64_t total = 0, free = 0;
  // The size tells this volume from the folder beneath it.
  bool mapped = wait_until(
      [&] {
        return total_and_free(root_, &total, &free) &&
               total == static_cast<uint64_t>(megabytes) * kMb;
      },
      5000);
  if (!mapped)
    why_not_ = "cannot mount a " + size + " tmpfs at " + unix_dir_ + " as " + narrow(root_) +
               " (mounting needs root)";
}

SmallVolume::~SmallVolume() {
  unfill();
  if (mounted_)
    run("rm -f \"" + link_ + "\"; umount -l " + unix_dir_ + "; rmdir " + unix_dir_);
}

uint64_t SmallVolume::free_bytes() const {
  uint64_t total = 0, free = 0;
  return total_and_free(root_, &total, &free) ? free : 0;
}

bool SmallVolume::fill_until_free(uint64_t free) {
  unfill();
  uint64_t now = free_bytes();
  if (now <= free)
    return now != 0;
  platform::ScopedFileHandle file(CreateFileW((root_ + L"filler.bin").c_str(), GENERIC_WRITE, 0,
                                              nullptr, CREATE_ALWAYS, 0, nullptr));
  if (!file)
    return false;
  std::vector<char> block(kMb, 'f');
  for (uint64_t left = now - free; left;) {
    DWORD n = static_cast<DWORD>(left < block.size() ? left : block.size());
    DWORD written = 0;
    if (!WriteFile(file.get(), block.data(), n, &written, nullptr) || written != n)
      return false;
    left -= n;
  }
  return true;
}

void SmallVolume::unfill() {
  if (!root_.empty())
    DeleteFileW((root_ + L"filler.bin").c_str());
}

// The Unix side through Wine's "start /unix", from a script file (quoting survives no other
// way through cmd, start and the shell).
bool SmallVolume::run(const std::string& script) const {
  std::string name = "qel_volume_" + std::to_string(GetCurrentProcessId()) + ".sh";
  std::wstring windows_path = L"Z:\\tmp\\" + widen(name);
  FILE* out = _wfopen(windows_path.c_str(), L"wb");
  if (!out)
    return false;
  std::string text = "PATH=/usr/sbin:/usr/bin:/sbin:/bin\n" + script + "\n";
  fwrite(text.data(), 1, text.size(), out);
  fclose(out);
  int rc = std::system(("start /wait /unix /bin/sh /tmp/" + name).c_str());
  DeleteFileW(windows_path.c_str());
  return rc == 0;
}

}  // namespace qel_testing
