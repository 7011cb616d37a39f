#include "library/qel_profile.h"

#include <algorithm>
#include <cstdio>

#include "platform/message_box.h"
#include "qel_lib/qel_assert.h"

namespace {

constexpr char kPathSeparator = '\\';

ZulProfileKeyImpl* gCurrentUserKeyImpl = nullptr;
ZulProfileKeyImpl* gLocalMachineKeyImpl = nullptr;
std::mutex gRootLock;

using Lock = std::lock_guard<std::recursive_mutex>;

// Creates the root node for a predefined key; returns the registry's result.
long create_root(platform::RegKey predefined, ZulProfileKeyImpl** global, uint32_t* needed) {
  std::string class_name(kZulProfileNameMax, '\0');
  *needed = kZulProfileNameMax;
  long rtn = platform::reg_query_info_key(predefined, class_name.data(), needed, nullptr);
  if (rtn != platform::kErrorSuccess)
    return rtn;
  class_name.resize(std::min<size_t>(*needed, kZulProfileNameMax - 1));
  *global = new ZulProfileKeyImpl(class_name, predefined, nullptr);
  // The process holds the root for its whole life, so its count never falls to 0.
  (*global)->AddRef();
  return rtn;
}

// The walk both enumerations share, under the node's lock: on_key for each registry sub-key
// in the registry's order, with its name and last write time. Returns how many were visited;
// a failed step ends the walk there and leaves the key open.
template <class OnKey>
int for_each_sub_key(ZulProfileKeyImpl* node, OnKey on_key) {
  platform::RegKey key = node->GetOpenHKEY();
  if (!key)
    return 0;
  uint32_t count = 0;
  if (platform::reg_query_info_key(key, nullptr, nullptr, &count) != platform::kErrorSuccess)
    return 0;
  std::string name(kZulProfileNameMax, '\0');
  int visited = 0;
  for (uint32_t index = 0; index < count; ++index) {
    uint32_t len = kZulProfileNameMax;
    uint64_t time = 0;
    if (platform::reg_enum_key(key, index, name.data(), &len, &time) != platform::kErrorSuccess)
      return visited;
    on_key(std::string_view(name.data(), std::min<size_t>(len, name.size())), time);
    ++visited;
  }
  node->CloseIfIdle();
  return visited;
}

}  // namespace

ZulProfileKeyImpl::ZulProfileKeyImpl(std::string_view name,
                                     platform::RegKey hkey,
                                     ZulProfileKeyImpl* super_key)
    : m_name(name), m_hKeyHandle(hkey), m_pSuperKey(super_key) {}

ZulProfileKeyImpl::~ZulProfileKeyImpl() {
  if (!m_pSuperKey)
    return;
  if (m_hKeyHandle)
    platform::reg_close_key(m_hKeyHandle);
  m_pSuperKey->DetachSubKey(this);
}

void ZulProfileKeyImpl::Release() {
  bool idle;
  {
    Lock lock(m_lock);
    --m_refCount;
    idle = IsIdle();
  }
  if (idle)
    delete this;
}

template <class Node>
void ZulProfileKeyImpl::Detach(std::vector<Node*>* list, Node* node) {
  bool idle;
  {
    Lock lock(m_lock);
    list->erase(std::remove(list->begin(), list->end(), node), list->end());
    CloseIfIdle();
    idle = IsIdle();
  }
  if (idle)
    delete this;
}

void ZulProfileKeyImpl::DetachSubKey(ZulProfileKeyImpl* child) {
  Detach(&m_subKeys, child);
}

void ZulProfileKeyImpl::DetachValue(ZulProfileValueImpl* value) {
  Detach(&m_values, value);
}

platform::RegKey ZulProfileKeyImpl::GetOpenHKEY() {
  Lock lock(m_lock);
  if (m_hKeyHandle)
    return m_hKeyHandle;
  if (!QEL_ASSERT(m_pSuperKey))
    return nullptr;
  platform::RegKey parent = m_pSuperKey->GetOpenHKEY();
  if (!parent)
    return nullptr;
  platform::RegKey key = nullptr;
  if (platform::reg_open_key(parent, m_name.c_str(), &key) != platform::kErrorSuccess &&
      platform::reg_create_key(parent, m_name.c_str(), &key) != platform::kErrorSuccess) {
    key = nullptr;
  }
  m_hKeyHandle = key;
  return m_hKeyHandle;
}

platform::RegKey ZulProfileKeyImpl::AssertOpenHKEY() {
  Lock lock(m_lock);
  if (platform::RegKey key = GetOpenHKEY())
    return key;
  if (!QEL_ASSERT(m_pSuperKey))
    return nullptr;
  platform::RegKey parent = m_pSuperKey->AssertOpenHKEY();
  if (parent) {
    platform::RegKey key = nullptr;
    if (platform::reg_create_key(parent, m_name.c_str(), &key) == platform::kErrorSuccess)
      m_hKeyHandle = key;
    QEL_ASSERT(m_hKeyHandle);
  }
  return m_hKeyHandle;
}

void ZulProfileKeyImpl::CloseIfIdle() {
  Lock lock(m_lock);
  // Roots keep their predefined handle; a value node keeps its key open.
  if (!m_hKeyHandle || !m_pSuperKey || !m_values.empty())
    return;
  for (ZulProfileKeyImpl* child : m_subKeys)
    if (child->m_hKeyHandle)
      return;
  platform::reg_close_key(m_hKeyHandle);
  m_hKeyHandle = nullptr;
  m_pSuperKey->CloseIfIdle();
}

void ZulProfileKeyImpl::CloseAll() {
  Lock lock(m_lock);
  if (!m_hKeyHandle)
    return;
  for (ZulProfileKeyImpl* child : m_subKeys)
    child->CloseAll();
  if (!m_pSuperKey)
    return;
  platform::reg_close_key(m_hKeyHandle);
  m_hKeyHandle = nullptr;
}

ZulProfileKey ZulProfileKeyImpl::GetChild(std::string_view name) {
  Lock lock(m_lock);
  for (ZulProfileKeyImpl* child : m_subKeys)
    if (child->m_name == name)
      return ZulProfileKey(child);
  auto* child = new ZulProfileKeyImpl(name, nullptr, this);
  m_subKeys.push_back(child);
  return ZulProfileKey(child);
}

ZulProfileValue ZulProfileKeyImpl::GetValueNode(std::string_view name) {
  Lock lock(m_lock);
  for (ZulProfileValueImpl* value : m_values)
    if (value->Name() == name)
      return ZulProfileValue(value);
  auto* value = new ZulProfileValueImpl(this, name);
  m_values.push_back(value);
  return ZulProfileValue(value);
}

int ZulProfileKeyImpl::EnumSubKeys(std::vector<ZulProfileKey>* list) {
  Lock lock(m_lock);
  return for_each_sub_key(
      this, [&](std::string_view name, uint64_t) { list->push_back(GetChild(name)); });
}

int ZulProfileKeyImpl::EnumSubKeyTimes(std::vector<std::pair<std::string, uint64_t>>* list) {
  Lock lock(m_lock);
  return for_each_sub_key(this, [&](std::string_view name, uint64_t time) {
    list->emplace_back(std::string(name), time);
  });
}

int64_t ZulProfileKeyImpl::CountSubKeys() {
  Lock lock(m_lock);
  platform::RegKey key = GetOpenHKEY();
  if (!key)
    return -1;
  uint32_t count = 0;
  long rtn = platform::reg_query_info_key(key, nullptr, nullptr, &count);
  CloseIfIdle();
  return rtn == platform::kErrorSuccess ? count : -1;
}

bool ZulProfileKeyImpl::Remove() {
  Lock lock(m_lock);
  QEL_ASSERT(m_subKeys.size() || m_values.size() || m_refCount);
  if (!GetOpenHKEY() || !m_pSuperKey)
    return false;
  {
    std::vector<ZulProfileKey> sub_keys;
    EnumSubKeys(&sub_keys);
    for (const ZulProfileKey& sub_key : sub_keys)
      sub_key.Remove();
  }
  CloseAll();
  platform::RegKey parent = m_pSuperKey->GetOpenHKEY();
  return parent && platform::reg_delete_key(parent, m_name.c_str()) == platform::kErrorSuccess;
}

bool ZulProfileKeyImpl::RemoveSubKey(std::string_view name) {
  Lock lock(m_lock);
  QEL_ASSERT(m_refCount > 0);
  if (!GetOpenHKEY())
    return false;
  ZulProfileKey self(this);
  return self.GetSubKey(name).Remove();
}

ZulProfileValueImpl::ZulProfileValueImpl(ZulProfileKeyImpl* key, std::string_view name)
    : m_key(key), m_name(name) {}

ZulProfileValueImpl::~ZulProfileValueImpl() {
  m_key->DetachValue(this);
}

void ZulProfileValueImpl::Release() {
  if (--m_refCount <= 0)
    delete this;
}

ZulProfileKey ZulProfileKey::Root_CurrentUser() {
  std::lock_guard<std::mutex> lock(gRootLock);
  if (!gCurrentUserKeyImpl) {
    uint32_t needed = 0;
    long rtn = create_root(platform::reg_current_user(), &gCurrentUserKeyImpl, &needed);
    if (rtn == platform::kErrorMoreData) {
      char text[128];
      std::snprintf(text, sizeof text, "RegQueryInfoKey failed. Max: %d, Needed: %d",
                    static_cast<int>(kZulProfileNameMax), static_cast<int>(needed));
      platform::message_box(text, "", platform::kMbOk);
    } else if (rtn == platform::kErrorInvalidParameter) {
      QEL_ASSERT_MSG(false, "rtn != ERROR_INVALID_PARAMETER");
    } else if (rtn != platform::kErrorSuccess) {
      QEL_ASSERT(false);
    }
  }
  QEL_ASSERT(gCurrentUserKeyImpl);
  return ZulProfileKey(gCurrentUserKeyImpl);
}

ZulProfileKey ZulProfileKey::Root_LocalMachine() {
  std::lock_guard<std::mutex> lock(gRootLock);
  if (!gLocalMachineKeyImpl) {
    uint32_t needed = 0;
    long rtn = create_root(platform::reg_local_machine(), &gLocalMachineKeyImpl, &needed);
    if (rtn == platform::kErrorMoreData) {
      QEL_ASSERT_MSG(false, "rtn != ERROR_MORE_DATA");
    } else if (rtn == platform::kErrorInvalidParameter) {
      QEL_ASSERT_MSG(false, "rtn != ERROR_INVALID_PARAMETER");
    } else if (rtn != platform::kErrorSuccess) {
      QEL_ASSERT(false);
    }
  }
  QEL_ASSERT(gLocalMachineKeyImpl);
  return ZulProfileKey(gLocalMachineKeyImpl);
}

ZulProfileKey ZulProfileKey::GetSubKey(std::string_view path) const {
  if (!m_impl)
    return ZulProfileKey();
  ZulProfileKey node = *this;
  for (;;) {
    size_t separator = path.find(kPathSeparator);
    std::string_view name = path.substr(0, separator);
    if (!QEL_ASSERT(name.size() < kZulProfileNameMax))
      return ZulProfileKey();
    node = node.m_impl->GetChild(name);
    if (separator == std::string_view::npos)
      return node;
    path.remove_prefix(separator + 1);
  }
}

ZulProfileValue ZulProfileKey::GetValue(std::string_view name) const {
  if (!m_impl)
    return ZulProfileValue();
  if (!QEL_ASSERT(name.size() < kZulProfileNameMax))
    return ZulProfileValue();
  return m_impl->GetValueNode(name);
}

int ZulProfileKey::EnumSubKeys(std::vector<ZulProfileKey>* list) const {
  return m_impl && list ? m_impl->EnumSubKeys(list) : 0;
}

int ZulProfileKey::EnumSubKeyTimes(std::vector<std::pair<std::string, uint64_t>>* list) const {
  return m_impl && list ? m_impl->EnumSubKeyTimes(list) : 0;
}

int64_t ZulProfileKey::CountSubKeys() const {
  return m_impl ? m_impl->CountSubKeys() : -1;
}

bool ZulProfileKey::RemoveSubKey(std::string_view name) const {
  return m_impl && m_impl->RemoveSubKey(name);
}

bool ZulProfileKey::Remove() const {
  return m_impl && m_impl->Remove();
}
