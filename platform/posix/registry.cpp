// An in-memory registry with the Windows semantics the portable core relies on: names compare
// without regard to letter case, handles of a deleted key fail with ERROR_KEY_DELETED, a key
// with sub-keys cannot be deleted, short buffers give ERROR_MORE_DATA.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>
#include <vector>

#include "platform/posix/registry_test_hooks.h"
#include "platform/registry.h"

namespace platform {
namespace {

constexpr long kErrorBadPathname = 161;
constexpr size_t kMaxKeyNameLen = 255;
constexpr uintptr_t kPredefined[] = {0x80000001u, 0x80000002u, 0x80000000u};
constexpr int kRootCount = 3;

std::string lower(std::string_view text) {
  std::string out(text);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z')
      c = static_cast<char>(c - 'A' + 'a');
  return out;
}

struct CaseLess {
  bool operator()(const std::string& a, const std::string& b) const { return lower(a) < lower(b); }
};

struct Value {
  uint32_t type;
  std::vector<unsigned char> data;
};

struct Node {
  std::string name;
  std::string path;  // lower-case path below the root, for access refusals
  int root = 0;
  std::weak_ptr<Node> parent;
  bool deleted = false;
  uint64_t last_write = 0;
  std::map<std::string, std::shared_ptr<Node>, CaseLess> sub_keys;
  std::map<std::string, Value, CaseLess> values;
};

struct Registry {
  std::mutex lock;
  std::shared_ptr<Node> roots[kRootCount];
  std::unordered_map<uintptr_t, std::shared_ptr<Node>> handles;
  uintptr_t next_handle = 0x1000;
  // A counter rather than the clock: every change gets a write time of its own.
  uint64_t write_clock = 0;
  std::set<std::pair<int, std::string>> denied;
  long query_info_failure = kErrorSuccess;
  uint32_t query_info_needed = 0;

  Registry() { Reset(); }

  void Reset() {
    for (int i = 0; i < kRootCount; ++i) {
      roots[i] = std::make_shared<Node>();
      roots[i]->root = i;
    }
    handles.clear();
    denied.clear();
    query_info_failure = kErrorSuccess;
  }

  // The node behind a handle, or the error a call on it gives.
  long Resolve(RegKey key, std::shared_ptr<Node>* out) {
    uintptr_t id = reinterpret_cast<uintptr_t>(key);
    for (int i = 0; i < kRootCount; ++i)
      if (id == kPredefined[i])
        return (*out = roots[i], kErrorSuccess);
    auto it = handles.find(id);
    if (it == handles.end())
      return kErrorInvalidHandle;
    *out = it->second;
    return it->second->deleted ? kErrorKeyDeleted : kErrorSuccess;
  }

  RegKey NewHandle(std::shared_ptr<Node> node) {
    uintptr_t id = next_handle;
    next_handle += 4;
    handles[id] = std::move(node);
    return reinterpret_cast<RegKey>(id);
  }

  // Walks `name` below `node`; with `create`, missing keys are made along the way.
  long Walk(std::shared_ptr<Node> node,
            std::string_view name,
            bool create,
            std::shared_ptr<Node>* out) {
    if (!name.empty() && name.front() == '\\')
      return kErrorBadPathname;
    while (!name.empty()) {
      size_t sep = name.find('\\');
      std::string part(name.substr(0, sep));
      name = sep == std::string_view::npos ? std::string_view() : name.substr(sep + 1);
      if (part.empty())
        continue;
      if (part.size() > kMaxKeyNameLen)
        return kErrorInvalidParameter;
      std::string path = node->path.empty() ? lower(part) : node->path + "\\" + lower(part);
      if (denied.count({node->root, path}))
        return kErrorAccessDenied;
      auto it = node->sub_keys.find(part);
      if (it == node->sub_keys.end()) {
        if (!create)
          return kErrorFileNotFound;
        auto child = std::make_shared<Node>();
        child->name = part;
        child->path = path;
        child->root = node->root;
        child->parent = node;
        child->last_write = ++write_clock;
        node->last_write = ++write_clock;
        it = node->sub_keys.emplace(part, child).first;
      }
      node = it->second;
    }
    *out = node;
    return kErrorSuccess;
  }

  long Open(RegKey parent, const char* name, bool create, RegKey* out) {
    *out = nullptr;
    std::shared_ptr<Node> node;
    long rc = Resolve(parent, &node);
    if (rc == kErrorSuccess)
      rc = Walk(node, name ? name : "", create, &node);
    if (rc == kErrorSuccess)
      *out = NewHandle(node);
    return rc;
  }
};

Registry& registry() {
  static Registry r;
  return r;
}

using Lock = std::lock_guard<std::mutex>;

}  // namespace

RegKey reg_current_user() {
  return reinterpret_cast<RegKey>(kPredefined[0]);
}
RegKey reg_local_machine() {
  return reinterpret_cast<RegKey>(kPredefined[1]);
}
RegKey reg_classes_root() {
  return reinterpret_cast<RegKey>(kPredefined[2]);
}

long reg_open_key(RegKey parent, const char* name, RegKey* out) {
  Lock lock(registry().lock);
  return registry().Open(parent, name, false, out);
}

long reg_create_key(RegKey parent, const char* name, RegKey* out) {
  Lock lock(registry().lock);
  return registry().Open(parent, name, true, out);
}

long reg_close_key(RegKey key) {
  Registry& r = registry();
  Lock lock(r.lock);
  uintptr_t id = reinterpret_cast<uintptr_t>(key);
  if (std::find(std::begin(kPredefined), std::end(kPredefined), id) != std::end(kPredefined))
    return kErrorSuccess;
  return r.handles.erase(id) ? kErrorSuccess : kErrorInvalidHandle;
}

long reg_query_info_key(RegKey key, char* class_name, uint32_t* class_len, uint32_t* sub_keys) {
  Registry& r = registry();
  Lock lock(r.lock);
  if (long rc = std::exchange(r.query_info_failure, kErrorSuccess)) {
    if (class_len)
      *class_len = r.query_info_needed;
    return rc;
  }
  std::shared_ptr<Node> node;
  if (long rc = r.Resolve(key, &node))
    return rc;
  // Class strings are always empty here; the terminator still needs room.
  if (class_name && class_len) {
    if (*class_len < 1)
      return kErrorMoreData;
    class_name[0] = '\0';
  }
  if (class_len)
    *class_len = 0;
  if (sub_keys)
    *sub_keys = static_cast<uint32_t>(node->sub_keys.size());
  return kErrorSuccess;
}

long reg_enum_key(RegKey key,
                  uint32_t index,
                  char* name,
                  uint32_t* name_len,
                  uint64_t* last_write) {
  Lock lock(registry().lock);
  std::shared_ptr<Node> node;
  if (long rc = registry().Resolve(key, &node))
    return rc;
  if (!name || !name_len)
    return kErrorInvalidParameter;
  if (index >= node->sub_keys.size())
    return kErrorNoMoreItems;
  const Node& child = *std::next(node->sub_keys.begin(), index)->second;
  const std::string& found = child.name;
  if (*name_len <= found.size())
    return kErrorMoreData;
  if (last_write)
    *last_write = child.last_write;
  std::memcpy(name, found.c_str(), found.size() + 1);
  *name_len = static_cast<uint32_t>(found.size());
  return kErrorSuccess;
}

long reg_query_value(RegKey key, const char* name, uint32_t* type, void* data, uint32_t* size) {
  Lock lock(registry().lock);
  std::shared_ptr<Node> node;
  if (long rc = registry().Resolve(key, &node))
    return rc;
  auto it = node->values.find(name ? name : "");
  if (it == node->values.end())
    return kErrorFileNotFound;
  const Value& value = it->second;
  uint32_t needed = static_cast<uint32_t>(value.data.size());
  if (type)
    *type = value.type;
  if (!data) {
    if (size)
      *size = needed;
    return kErrorSuccess;
  }
  if (!size)
    return kErrorInvalidParameter;
  if (*size < needed) {
    *size = needed;
    return kErrorMoreData;
  }
  if (needed)
    std::memcpy(data, value.data.data(), needed);
  *size = needed;
  return kErrorSuccess;
}

long reg_set_value(RegKey key, const char* name, uint32_t type, const void* data, uint32_t size) {
  Lock lock(registry().lock);
  std::shared_ptr<Node> node;
  if (long rc = registry().Resolve(key, &node))
    return rc;
  if (!data && size)
    return kErrorInvalidParameter;
  const auto* bytes = static_cast<const unsigned char*>(data);
  node->values[name ? name : ""] = Value{type, std::vector<unsigned char>(bytes, bytes + size)};
  node->last_write = ++registry().write_clock;
  return kErrorSuccess;
}

long reg_delete_key(RegKey parent, const char* name) {
  Registry& r = registry();
  Lock lock(r.lock);
  std::shared_ptr<Node> node;
  if (long rc = r.Resolve(parent, &node))
    return rc;
  if (long rc = r.Walk(node, name ? name : "", false, &node))
    return rc;
  std::shared_ptr<Node> owner = node->parent.lock();
  if (!owner || !node->sub_keys.empty())
    return kErrorAccessDenied;
  node->deleted = true;
  owner->sub_keys.erase(node->name);
  owner->last_write = ++r.write_clock;
  return kErrorSuccess;
}

long reg_delete_value(RegKey key, const char* name) {
  Lock lock(registry().lock);
  std::shared_ptr<Node> node;
  if (long rc = registry().Resolve(key, &node))
    return rc;
  if (!node->values.erase(name ? name : ""))
    return kErrorFileNotFound;
  node->last_write = ++registry().write_clock;
  return kErrorSuccess;
}

namespace test {

void reg_reset() {
  Lock lock(registry().lock);
  registry().Reset();
}

void reg_deny_access(RegKey root, const std::string& path) {
  Lock lock(registry().lock);
  uintptr_t id = reinterpret_cast<uintptr_t>(root);
  for (int i = 0; i < kRootCount; ++i)
    if (id == kPredefined[i])
      registry().denied.insert({i, lower(path)});
}

void reg_fail_next_query_info(long code, uint32_t needed) {
  Lock lock(registry().lock);
  registry().query_info_failure = code;
  registry().query_info_needed = needed;
}

size_t reg_open_handle_count() {
  Lock lock(registry().lock);
  return registry().handles.size();
}

}  // namespace test
}  // namespace platform
