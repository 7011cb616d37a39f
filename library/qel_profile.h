// Registry profile keys: a process-wide tree of cached registry keys reached through counted
// handles. Registry handles open lazily and close again once no value node and no open child
// needs them; nodes nobody references are freed bottom-up. Every caller builds its handles
// afresh (Root_CurrentUser().GetSubKey(path).GetValue(name).GetDWORD(&v)); none is cached.
#pragma once

#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "library/qel_counted_handle.h"
#include "platform/registry.h"

// Key and value names (with their terminator) never exceed this many 8-bit characters.
inline constexpr size_t kZulProfileNameMax = 26000;

class ZulProfileKey;
class ZulProfileValue;
class ZulProfileValueImpl;

// One node of the key tree; lives while handles, children or value nodes refer to it.
class ZulProfileKeyImpl {
 public:
  ZulProfileKeyImpl(std::string_view name, platform::RegKey hkey, ZulProfileKeyImpl* super_key);
  ZulProfileKeyImpl(const ZulProfileKeyImpl&) = delete;
  ZulProfileKeyImpl& operator=(const ZulProfileKeyImpl&) = delete;
  ~ZulProfileKeyImpl();

  // The open registry handle, opening (or creating) the key and its ancestors on demand.
  platform::RegKey GetOpenHKEY();
  // As GetOpenHKEY, but falls back to creating the key along the path; used by writes.
  platform::RegKey AssertOpenHKEY();
  void CloseIfIdle();
  void CloseAll();

  ZulProfileKey GetChild(std::string_view name);
  ZulProfileValue GetValueNode(std::string_view name);
  int EnumSubKeys(std::vector<ZulProfileKey>* list);
  int EnumSubKeyTimes(std::vector<std::pair<std::string, uint64_t>>* list);
  int64_t CountSubKeys();
  bool Remove();
  bool RemoveSubKey(std::string_view name);

  void AddRef() { ++m_refCount; }
  void Release();
  void DetachValue(ZulProfileValueImpl* value);

  const std::string& Name() const { return m_name; }
  ZulProfileKeyImpl* SuperKey() const { return m_pSuperKey; }
  int32_t RefCount() const { return m_refCount; }
  bool IsOpen() const { return m_hKeyHandle != nullptr; }
  size_t SubKeyCount() const { return m_subKeys.size(); }
  size_t ValueCount() const { return m_values.size(); }

 private:
  bool IsIdle() const { return m_refCount < 1 && m_subKeys.empty() && m_values.empty(); }
  void DetachSubKey(ZulProfileKeyImpl* child);
  // Drops a child or value from this node; frees this node too when nothing needs it.
  template <class Node>
  void Detach(std::vector<Node*>* list, Node* node);

  int32_t m_refCount = 0;
  std::string m_name;
  platform::RegKey m_hKeyHandle;
  ZulProfileKeyImpl* m_pSuperKey;
  std::vector<ZulProfileKeyImpl*> m_subKeys;
  std::vector<ZulProfileValueImpl*> m_values;
  std::recursive_mutex m_lock;
};

// One named value of a key node; it keeps its key node alive.
class ZulProfileValueImpl {
 public:
  ZulProfileValueImpl(ZulProfileKeyImpl* key, std::string_view name);
  ZulProfileValueImpl(const ZulProfileValueImpl&) = delete;
  ZulProfileValueImpl& operator=(const ZulProfileValueImpl&) = delete;
  ~ZulProfileValueImpl();

  void AddRef() { ++m_refCount; }
  void Release();

  ZulProfileKeyImpl* Key() const { return m_key; }
  const std::string& Name() const { return m_name; }

 private:
  int32_t m_refCount = 0;
  ZulProfileKeyImpl* m_key;
  std::string m_name;
};

// Counted handle to a key node. A null handle makes every operation a no-op that returns a
// null handle, false or 0.
class ZulProfileKey : public ZulCountedHandle<ZulProfileKeyImpl> {
 public:
  using ZulCountedHandle::ZulCountedHandle;

  static ZulProfileKey Root_CurrentUser();
  static ZulProfileKey Root_LocalMachine();

  // Node for a relative path of one or more components separated by backslashes. No
  // registry access; a component of kZulProfileNameMax or more bytes gives a null handle.
  ZulProfileKey GetSubKey(std::string_view path) const;
  // Handle to the named value; no registry access. An over-long name gives a null handle.
  ZulProfileValue GetValue(std::string_view name) const;
  // Appends one handle per registry sub-key; returns the number appended.
  int EnumSubKeys(std::vector<ZulProfileKey>* list) const;
  // Appends each registry sub-key's name and last write time, making no nodes for them, so a
  // key of thousands of entries is listed in one call per entry; returns the number appended.
  int EnumSubKeyTimes(std::vector<std::pair<std::string, uint64_t>>* list) const;
  // The number of registry sub-keys, in one call; -1 when the key cannot be opened.
  int64_t CountSubKeys() const;
  // Removes the named sub-key and everything below it from the registry.
  bool RemoveSubKey(std::string_view name) const;
  // Removes this key and everything below it; roots are refused.
  bool Remove() const;
};

// Counted handle to a value. Reads return true only when the registry read succeeded and
// leave the caller's variable untouched otherwise, so callers preset their default first.
// Reads use the key's GetOpenHKEY, writes its AssertOpenHKEY.
class ZulProfileValue : public ZulCountedHandle<ZulProfileValueImpl> {
 public:
  using ZulCountedHandle::ZulCountedHandle;

  // Exactly four bytes of any stored type.
  bool GetDWORD(uint32_t* value) const;
  bool GetDWORD(int32_t* value) const;
  bool SetDWORD(uint32_t value) const;
  bool GetBool(bool* value) const;
  bool SetBool(bool value) const;
  // Raw bytes into a caller's zero-filled buffer of `size` bytes; text that would leave no
  // room for its terminator fails.
  bool GetString(char* buffer, uint32_t size) const;
  // REG_SZ of the text's bytes without the terminator.
  bool SetString(std::string_view text) const;
  // REG_SZ holding the UTF-16 code units as raw bytes, no terminator.
  bool SetWString(std::u16string_view text) const;
  // Reads what SetWString wrote: false for a missing value, a value of another type, an odd
  // byte count or more than `max_units` code units. Trailing NULs are dropped.
  bool GetWString(std::u16string* text, uint32_t max_units) const;
  // The stored type (platform::RegType); false when the value does not exist.
  bool GetType(uint32_t* type) const;
  // At most `capacity` bytes; `out_count` receives the number read.
  bool GetBinary(void* buffer, uint32_t capacity, uint32_t* out_count) const;
  bool SetBinary(const void* data, uint32_t count) const;
  // The whole value, whatever its size.
  bool GetBytes(std::vector<uint8_t>* bytes) const;

 private:
  bool Read(void* buffer, uint32_t* size, uint32_t* type = nullptr) const;
  bool Write(uint32_t type, const void* data, uint32_t size) const;
};
