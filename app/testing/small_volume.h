// A small volume for the recording folder: a tmpfs mounted for a test and mapped to a free
// drive letter of the test's Wine prefix, both removed again at the end, also when the test
// fails. Mounting needs root; ok() says whether it worked and why_not() why it did not.
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

  bool ok() const { return why_not_.empty(); }
  const std::string& why_not() const { return why_not_; }
  // "Q:\" or the like.
  const std::wstring& root() const { return root_; }
  // What the system answers for the volume now; 0 when it does not answer.
  uint64_t free_bytes() const;
  // Fills it up to `free` bytes left with a file of its own (made anew each time).
  bool fill_until_free(uint64_t free);
  // Takes that file away.
  void unfill();

 private:
  bool run(const std::string& script) const;

  std::string unix_dir_;
  std::string link_;
  std::wstring root_;
  std::string why_not_;
  bool mounted_ = false;
};

}  // namespace qel_testing
