#include "ui/core/qel_history_list.h"

#include <algorithm>
#include <cstdio>

namespace {

char16_t fold(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

bool contains(const std::vector<std::u16string>& items, const std::u16string& text) {
  return std::any_of(items.begin(), items.end(),
                     [&](const std::u16string& item) { return qel_history_same_path(item, text); });
}

}  // namespace

std::string qel_history_item_key(const std::string& prefix, int n) {
  char number[16];
  std::snprintf(number, sizeof number, "%04d", n);
  return prefix + number;
}

std::string qel_history_last_key(const std::string& key, const std::string& prefix) {
  if (!key.empty())
    return key;
  return prefix.empty() ? "Last" : prefix;
}

bool qel_history_same_path(const std::u16string& a, const std::u16string& b) {
  return a.size() == b.size() &&
         std::equal(a.begin(), a.end(), b.begin(),
                    [](char16_t x, char16_t y) { return fold(x) == fold(y); });
}

std::vector<std::u16string> qel_history_load(const qel_history_read_fn& read,
                                             int max_count,
                                             const qel_history_exists_fn& exists) {
  std::vector<std::u16string> items;
  for (int n = 0; n < max_count; ++n) {
    qel_history_value value = read(n);
    if (value.kind == qel_history_value::kMissing)
      break;
    if (value.kind == qel_history_value::kNotText)
      continue;
    if (value.text.empty())
      break;
    if (exists && !exists(value.text))
      continue;
    if (!contains(items, value.text))
      items.push_back(value.text);
  }
  return items;
}

std::vector<std::u16string> qel_history_to_save(const std::u16string& current,
                                                const std::vector<std::u16string>& items,
                                                int max_count) {
  std::vector<std::u16string> out;
  if (!current.empty() && max_count > 0)
    out.push_back(current);
  for (const std::u16string& item : items) {
    if (static_cast<int>(out.size()) >= max_count)
      break;
    if (!item.empty() && !contains(out, item))
      out.push_back(item);
  }
  return out;
}
