// Where a portable test runs: natively, against the posix stand-ins (an in-memory registry, a
// recycle bin folder of the test's choosing, a shell that only records what it was asked to
// play), or under Wine against the real registry, shell and file system of the test prefix.
// The one place where tests tell the two apart.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/registry.h"

#if defined(_WIN32)
#include <process.h>
#else
#include <unistd.h>

#include "platform/posix/registry_test_hooks.h"
#include "platform/posix/shell_record.h"
#endif

namespace test_env {

namespace fs = std::filesystem;

#if defined(_WIN32)
constexpr bool kUnderWine = true;
#else
constexpr bool kUnderWine = false;
#endif
constexpr bool kNative = !kUnderWine;

inline int process_id() {
#if defined(_WIN32)
  return _getpid();
#else
  return getpid();
#endif
}

// Natively the registry starts empty for each test; under Wine it is the prefix's, and each
// test cleans up what it made.
inline void registry_reset() {
#if !defined(_WIN32)
  platform::test::reg_reset();
#endif
}

// Handles of the in-memory registry not yet closed; always 0 under Wine, where nobody counts.
inline size_t registry_open_handles() {
#if defined(_WIN32)
  return 0;
#else
  return platform::test::reg_open_handle_count();
#endif
}

// Natively, opening or creating `path` below `root` (or anything below it) is refused from now
// on; false under Wine, where the test cannot arrange it.
inline bool registry_deny_access(platform::RegKey root, const std::string& path) {
#if defined(_WIN32)
  return false;
#else
  platform::test::reg_deny_access(root, path);
  return true;
#endif
}

// Natively the Documents folder is the one given here; under Wine it stays the prefix's own.
inline void use_documents_folder(const std::string& folder) {
#if !defined(_WIN32)
  if (folder.empty())
    unsetenv("QEL_DOCUMENTS");
  else
    setenv("QEL_DOCUMENTS", folder.c_str(), 1);
#endif
}

// Natively recycled files go into this folder (empty makes recycling fail); under Wine the
// recycle bin is the desktop trash of the Unix user. RecycleBin looks into either.
inline void use_recycle_folder(const std::string& folder) {
#if !defined(_WIN32)
  platform::set_recycle_folder(folder);
#endif
}

// The files the shell was asked to play, natively; under Wine nobody records them.
inline std::vector<std::u16string> played_files() {
#if defined(_WIN32)
  return {};
#else
  return platform::played_files();
#endif
}

// A library of the system that is always there but is none that this system asks for, by
// name and by full path, and a file name for a copy of it that nothing else uses.
#if defined(_WIN32)
constexpr char kOtherSystemLibrary[] = "winmm.dll";
constexpr char kOtherSystemLibraryPath[] = "C:\\windows\\system32\\winmm.dll";
constexpr char kPlantedLibrary[] = "qel_planted_lib.dll";
#else
constexpr char kOtherSystemLibrary[] = "libz.so.1";
constexpr char kOtherSystemLibraryPath[] = "/lib/x86_64-linux-gnu/libz.so.1";
constexpr char kPlantedLibrary[] = "libqel_planted.so";
#endif
// Wine will not load a renamed copy of one of its built-in libraries.
constexpr bool kRenamedSystemLibraryLoads = kNative;

// Windows refuses to open a read-only file for writing or to replace it (access denied), and
// so does the posix stand-in, for root as well. Wine run as root, as here, allows both and
// only refuses the delete.
constexpr bool kReadOnlyFilesRefuseWriting = kNative;

// Under Wine the registry is real and shared by test processes running side by side: those
// that touch the same keys hold this lock. Natively each process has a registry of its own.
class RegistryLock {
 public:
  RegistryLock() {
    if (kNative)
      return;
    dir_ = fs::temp_directory_path() / "qel_settings_test.lock";
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    std::error_code ec;
    while (!fs::create_directory(dir_, ec) && std::chrono::steady_clock::now() < deadline)
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  ~RegistryLock() {
    std::error_code ec;
    if (!dir_.empty())
      fs::remove(dir_, ec);
  }
  RegistryLock(const RegistryLock&) = delete;
  RegistryLock& operator=(const RegistryLock&) = delete;

 private:
  fs::path dir_;
};

// A folder nobody may write to, not even root: the immutable attribute, set with chattr
// (under Wine through "start /unix"). ok() is false when the file system cannot do it.
class ReadOnlyFolder {
 public:
  ReadOnlyFolder() {
    std::string name = "qel_ro_" + std::to_string(process_id());
    unix_ = "/tmp/" + name;
    path_ = (kUnderWine ? u"Z:\\tmp\\" : u"/tmp/") + std::u16string(name.begin(), name.end());
    fs::create_directories(fs::path(path_));
    chattr("+i");
    // Refused when even a new file cannot be made in it.
    fs::path probe = fs::path(path_) / "probe";
    ok_ = !std::ofstream(probe).is_open();
  }
  ~ReadOnlyFolder() {
    chattr("-i");
    std::error_code ec;
    fs::remove_all(fs::path(path_), ec);
  }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;
  bool ok() const { return ok_; }
  const std::u16string& path() const { return path_; }

 private:
  void chattr(const char* flag) {
    std::string cmd = kUnderWine
                          ? "start /wait /unix /usr/bin/chattr " + std::string(flag) + " " + unix_
                          : "chattr " + std::string(flag) + " " + unix_ + " 2>/dev/null";
    if (std::system(cmd.c_str()) != 0)
      return;
  }
  std::string unix_;
  std::u16string path_;
  bool ok_ = false;
};

}  // namespace test_env
