#include "app/testing/com_registration.h"

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win.h"

namespace qel_testing {

bool key_exists(const std::wstring& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS)
    return false;
  platform::ScopedRegKey opened(key);
  return true;
}

std::wstring value(const std::wstring& path, const wchar_t* name) {
  wchar_t data[1024] = {};
  DWORD size = sizeof data - sizeof(wchar_t);
  if (RegGetValueW(HKEY_CLASSES_ROOT, path.c_str(), *name ? name : nullptr, RRF_RT_REG_SZ, nullptr,
                   data, &size) != ERROR_SUCCESS)
    return L"<none>";
  return data;
}

std::vector<std::wstring> registered_keys() {
  std::vector<std::wstring> keys = {std::wstring(L"AppID\\") + kAppId,
                                    L"AppID\\quorvantine_msn.EXE",
                                    L"quorvantine_msn.co_qel_app_msn.1",
                                    L"quorvantine_msn.co_qel_app_msn",
                                    std::wstring(L"CLSID\\") + kAppClsid,
                                    L"test_qel_ui.QelUI.1",
                                    L"test_qel_ui.QelUI",
                                    std::wstring(L"CLSID\\") + kUiClsid,
                                    std::wstring(L"CLSID\\") + kPsClsid};
  for (const wchar_t* iid : kInterfaces)
    keys.push_back(std::wstring(L"Interface\\") + iid);
  return keys;
}

}  // namespace qel_testing
