#include "app/testing/auto_start_setting.h"

#include "library/qel_app_constants.h"

namespace qel_testing {

namespace {
constexpr char kAutoStartEnable[] = "sys_auto_start_enable";
constexpr char kMainWndShow[] = "ui_main_wnd_show";
}  // namespace

AutoStartSetting::AutoStartSetting() {
  HKEY key = nullptr;
  RegCreateKeyA(HKEY_CURRENT_USER, g_qel_settings_path, &key);
  key_.reset(key);
}

void AutoStartSetting::Set(DWORD value) {
  RegSetValueExA(key_.get(), kAutoStartEnable, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                 sizeof value);
}

void AutoStartSetting::SetMainWindowShown(DWORD value) {
  RegSetValueExA(key_.get(), kMainWndShow, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                 sizeof value);
}

long AutoStartSetting::Get() const {
  DWORD value = 0, size = sizeof value;
  if (RegQueryValueExA(key_.get(), kAutoStartEnable, nullptr, nullptr,
                       reinterpret_cast<BYTE*>(&value), &size) != ERROR_SUCCESS)
    return -1;
  return static_cast<long>(value);
}

}  // namespace qel_testing
