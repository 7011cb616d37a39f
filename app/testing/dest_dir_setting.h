// The recording folder in the user's settings of this Wine prefix: tests set it before the
// program starts and read what the program stored; the user's own value comes back at the end.
#pragma once

#include <string>
#include <vector>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win.h"

namespace qel_testing {

class DestDirSetting {
 public:
  DestDirSetting();
  ~DestDirSetting();
  DestDirSetting(const DestDirSetting&) = delete;
  DestDirSetting& operator=(const DestDirSetting&) = delete;

  void Set(const std::wstring& dir);
  // Empty when the value is missing.
  std::wstring Get() const;

 private:
  platform::ScopedRegKey key_;
  bool had_value_ = false;
  DWORD type_ = 0;
  std::vector<BYTE> saved_;
};

}  // namespace qel_testing
