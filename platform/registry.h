// Registry operations of the platform seam. Each function is one registry call with the
// Windows meaning of its result: 0 on success, else a Windows error code. Names are 8-bit
// text in the thread's ANSI code page. On Windows these are the real Reg*A calls; the posix
// build keeps an in-memory registry for native tests.
#pragma once

#include <cstdint>

namespace platform {

struct RegKeyTag;
using RegKey = RegKeyTag*;

RegKey reg_current_user();
RegKey reg_local_machine();
RegKey reg_classes_root();

enum RegType : uint32_t { kRegNone = 0, kRegSz = 1, kRegBinary = 3, kRegDword = 4 };

enum RegError : long {
  kErrorSuccess = 0,
  kErrorFileNotFound = 2,
  kErrorAccessDenied = 5,
  kErrorInvalidHandle = 6,
  kErrorInvalidParameter = 87,
  kErrorMoreData = 234,
  kErrorNoMoreItems = 259,
  kErrorKeyDeleted = 1018,
};

// RegOpenKeyExA(parent, name, 0, KEY_ALL_ACCESS).
long reg_open_key(RegKey parent, const char* name, RegKey* out);
// RegCreateKeyA: opens the key, creating it and missing ancestors.
long reg_create_key(RegKey parent, const char* name, RegKey* out);
long reg_close_key(RegKey key);
// RegQueryInfoKeyA: class string (size in characters in/out, without terminator out) and
// number of sub-keys; either output may be null.
long reg_query_info_key(RegKey key, char* class_name, uint32_t* class_len, uint32_t* sub_keys);
// RegEnumKeyExA: name size in characters in/out (without terminator out). `last_write`, when
// given, receives the sub-key's last write time, which moves whenever its values change.
long reg_enum_key(RegKey key,
                  uint32_t index,
                  char* name,
                  uint32_t* name_len,
                  uint64_t* last_write = nullptr);
// RegQueryValueExA: data may be null to ask for the size; size in bytes in/out.
long reg_query_value(RegKey key, const char* name, uint32_t* type, void* data, uint32_t* size);
// RegSetValueExA.
long reg_set_value(RegKey key, const char* name, uint32_t type, const void* data, uint32_t size);
// RegDeleteKeyA: the key must have no sub-keys.
long reg_delete_key(RegKey parent, const char* name);
long reg_delete_value(RegKey key, const char* name);

}  // namespace platform
