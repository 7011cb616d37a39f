#include "winkit/wk_registry_script.h"

#include "platform/win32/scoped_handle.h"

namespace {

LONG set_string(HKEY key, const std::wstring& name, const std::wstring& data) {
  return RegSetValueExW(key, name.empty() ? nullptr : name.c_str(), 0, REG_SZ,
                        reinterpret_cast<const BYTE*>(data.c_str()),
                        static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

LONG register_key(HKEY parent, const WkRegKey& k, const WkRegReplacements& r) {
  std::wstring name = WkRegExpand(k.name, r);
  if (k.removal == WkRegKey::kForceRemove)
    RegDeleteTreeW(parent, name.c_str());
  HKEY created = nullptr;
  LONG rc = RegCreateKeyExW(parent, name.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &created,
                            nullptr);
  platform::ScopedRegKey key(created);
  if (rc != ERROR_SUCCESS)
    return rc;
  if (k.has_default && (rc = set_string(key.get(), L"", WkRegExpand(k.default_value, r))))
    return rc;
  for (const WkRegValue& v : k.values) {
    if ((rc = set_string(key.get(), WkRegExpand(v.name, r), WkRegExpand(v.data, r))))
      return rc;
  }
  for (const WkRegKey& child : k.children) {
    if ((rc = register_key(key.get(), child, r)))
      return rc;
  }
  return ERROR_SUCCESS;
}

bool has_subkeys(HKEY key) {
  DWORD count = 0;
  return RegQueryInfoKeyW(key, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS &&
         count > 0;
}

LONG unregister_key(HKEY parent, const WkRegKey& k, const WkRegReplacements& r) {
  std::wstring name = WkRegExpand(k.name, r);
  if (k.removal == WkRegKey::kForceRemove) {
    LONG rc = RegDeleteTreeW(parent, name.c_str());
    return rc == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : rc;
  }
  HKEY opened = nullptr;
  LONG rc = RegOpenKeyExW(parent, name.c_str(), 0, KEY_ALL_ACCESS, &opened);
  platform::ScopedRegKey key(opened);
  if (rc == ERROR_FILE_NOT_FOUND)
    return ERROR_SUCCESS;
  if (rc != ERROR_SUCCESS)
    return rc;
  for (const WkRegKey& child : k.children) {
    if ((rc = unregister_key(key.get(), child, r)))
      return rc;
  }
  if (k.removal == WkRegKey::kNoRemove) {
    // Only the values the script wrote go; the key and everything else in it stay.
    for (const WkRegValue& v : k.values)
      RegDeleteValueW(key.get(), WkRegExpand(v.name, r).c_str());
    return ERROR_SUCCESS;
  }
  bool keep = has_subkeys(key.get());
  key.reset();
  return keep ? ERROR_SUCCESS : RegDeleteKeyW(parent, name.c_str());
}

}  // namespace

std::wstring WkRegExpand(const std::wstring& text, const WkRegReplacements& replacements) {
  std::wstring out = text;
  for (const auto& [from, to] : replacements) {
    for (size_t at = out.find(from); at != std::wstring::npos; at = out.find(from, at + to.size()))
      out.replace(at, from.size(), to);
  }
  return out;
}

HRESULT WkRegisterScript(HKEY root,
                         const WkRegistryScript& script,
                         const WkRegReplacements& replacements) {
  for (const WkRegKey& k : script) {
    LONG rc = register_key(root, k, replacements);
    if (rc != ERROR_SUCCESS)
      return HRESULT_FROM_WIN32(rc);
  }
  return S_OK;
}

HRESULT WkUnregisterScript(HKEY root,
                           const WkRegistryScript& script,
                           const WkRegReplacements& replacements) {
  HRESULT result = S_OK;
  for (const WkRegKey& k : script) {
    LONG rc = unregister_key(root, k, replacements);
    if (rc != ERROR_SUCCESS)
      result = HRESULT_FROM_WIN32(rc);
  }
  return result;
}
