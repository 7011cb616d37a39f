// A small volume for the recording folder: a tmpfs mounted for a test (as root) and mapped to
// a free drive letter of the test's Wine prefix; both go again at the end, also on failure.
#pragma once

#include <cstdint>
#include <string>

namespace qel_testing {

class SmallVolume {
 public:
  explicit SmallVolume(int megabytes);
  ~SmallVolume();
  SmallVolume(const SmallVolume&) = delete;
  SmallVolume& operator=(const SmallVolume&) = delete;

  // Empty when mounted and mapped.
  const std::string& why_not() const { return why_not_; }
  const std::wstring& root() const { return root_; }  // "Q:\" or the like
  uint64_t free_bytes() const;
  // Leaves `free` bytes free with a filler file, made anew each time.
  bool fill_until_free(uint64_t free);

 private:
  void run(const std::string& script) const;
  std::string host_name(const char* suffix) const;

  std::string unix_dir_, link_, why_not_;
  std::wstring root_;
};

}  // namespace qel_testing
