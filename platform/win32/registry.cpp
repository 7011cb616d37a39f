#include "platform/registry.h"

#include "platform/win32/win.h"

namespace platform {
namespace {
HKEY hkey(RegKey k) {
  return reinterpret_cast<HKEY>(k);
}
RegKey key(HKEY k) {
  return reinterpret_cast<RegKey>(k);
}
}  // namespace

RegKey reg_current_user() {
  return key(HKEY_CURRENT_USER);
}
RegKey reg_local_machine() {
  return key(HKEY_LOCAL_MACHINE);
}
RegKey reg_classes_root() {
  return key(HKEY_CLASSES_ROOT);
}

long reg_open_key(RegKey parent, const char* name, RegKey* out) {
  HKEY h = nullptr;
  long rc = RegOpenKeyExA(hkey(parent), name, 0, KEY_ALL_ACCESS, &h);
  *out = rc == ERROR_SUCCESS ? key(h) : nullptr;
  return rc;
}

long reg_create_key(RegKey parent, const char* name, RegKey* out) {
  HKEY h = nullptr;
  long rc = RegCreateKeyA(hkey(parent), name, &h);
  *out = rc == ERROR_SUCCESS ? key(h) : nullptr;
  return rc;
}

long reg_close_key(RegKey k) {
  return RegCloseKey(hkey(k));
}

long reg_query_info_key(RegKey k, char* class_name, uint32_t* class_len, uint32_t* sub_keys) {
  DWORD len = class_len ? *class_len : 0;
  DWORD subs = 0;
  long rc = RegQueryInfoKeyA(hkey(k), class_name, class_len ? &len : nullptr, nullptr, &subs,
                             nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr);
  if (class_len)
    *class_len = len;
  if (sub_keys)
    *sub_keys = subs;
  return rc;
}

long reg_enum_key(RegKey k, uint32_t index, char* name, uint32_t* name_len, uint64_t* last_write) {
  DWORD len = *name_len;
  FILETIME time = {};
  long rc = RegEnumKeyExA(hkey(k), index, name, &len, nullptr, nullptr, nullptr, &time);
  *name_len = len;
  if (last_write)
    *last_write = (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
  return rc;
}

long reg_query_value(RegKey k, const char* name, uint32_t* type, void* data, uint32_t* size) {
  DWORD t = 0;
  DWORD n = size ? *size : 0;
  long rc =
      RegQueryValueExA(hkey(k), name, nullptr, &t, static_cast<BYTE*>(data), size ? &n : nullptr);
  if (type)
    *type = t;
  if (size)
    *size = n;
  return rc;
}

long reg_set_value(RegKey k, const char* name, uint32_t type, const void* data, uint32_t size) {
  return RegSetValueExA(hkey(k), name, 0, type, static_cast<const BYTE*>(data), size);
}

long reg_delete_key(RegKey parent, const char* name) {
  return RegDeleteKeyA(hkey(parent), name);
}

long reg_delete_value(RegKey k, const char* name) {
  return RegDeleteValueA(hkey(k), name);
}

}  // namespace platform
