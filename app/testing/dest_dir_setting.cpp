#include "app/testing/dest_dir_setting.h"

#include <string>

#include "library/qel_app_constants.h"

namespace qel_testing {

namespace {
constexpr char kDestDir[] = "dest_dir";
}  // namespace

DestDirSetting::DestDirSetting() {
  std::string path = std::string(g_qel_settings_path) + "\\avi_file_info_cache";
  HKEY key = nullptr;
  RegCreateKeyA(HKEY_CURRENT_USER, path.c_str(), &key);
  key_.reset(key);
  DWORD size = 0;
  had_value_ =
      RegQueryValueExA(key_.get(), kDestDir, nullptr, &type_, nullptr, &size) == ERROR_SUCCESS;
  saved_.resize(size);
  if (had_value_ && size)
    RegQueryValueExA(key_.get(), kDestDir, nullptr, &type_, saved_.data(), &size);
}

DestDirSetting::~DestDirSetting() {
  if (had_value_)
    RegSetValueExA(key_.get(), kDestDir, 0, type_, saved_.data(),
                   static_cast<DWORD>(saved_.size()));
  else
    RegDeleteValueA(key_.get(), kDestDir);
}

// Stored as the program stores it: the UTF-16 characters without a terminator.
void DestDirSetting::Set(const std::wstring& dir) {
  RegSetValueExA(key_.get(), kDestDir, 0, REG_BINARY, reinterpret_cast<const BYTE*>(dir.data()),
                 static_cast<DWORD>(dir.size() * sizeof(wchar_t)));
}

std::wstring DestDirSetting::Get() const {
  wchar_t buf[2048] = {};
  DWORD size = sizeof buf - sizeof(wchar_t);
  if (RegQueryValueExA(key_.get(), kDestDir, nullptr, nullptr, reinterpret_cast<BYTE*>(buf),
                       &size) != ERROR_SUCCESS)
    return {};
  return std::wstring(buf, size / sizeof(wchar_t));
}

}  // namespace qel_testing
