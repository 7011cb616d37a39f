// The program's automatic start switch in the user's settings of this Wine prefix, as the
// tests set it before a start and read it afterwards.
#pragma once

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win.h"

namespace qel_testing {

class AutoStartSetting {
 public:
  AutoStartSetting();
  AutoStartSetting(const AutoStartSetting&) = delete;
  AutoStartSetting& operator=(const AutoStartSetting&) = delete;

  void Set(DWORD value);
  // -1 when the value is missing.
  long Get() const;
  // Whether the main window was visible when last shown or closed; an automatic start follows it.
  void SetMainWindowShown(DWORD value);

 private:
  platform::ScopedRegKey key_;
};

}  // namespace qel_testing
