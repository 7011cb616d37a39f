// The rules of a history combo's list, apart from the control and the store: the value names,
// which stored values are shown, and what goes back into the store.
#pragma once

#include <functional>
#include <string>
#include <vector>

// One stored history value as the store reports it.
struct qel_history_value {
  enum Kind { kMissing, kNotText, kText };
  Kind kind = kMissing;
  std::u16string text;
};

// Name of item n: "%s%04d" of the prefix and n ("Folder0003").
std::string qel_history_item_key(const std::string& prefix, int n);
// The value that holds the last selection: the given key, else the prefix, else "Last".
std::string qel_history_last_key(const std::string& key, const std::string& prefix);

using qel_history_read_fn = std::function<qel_history_value(int n)>;
using qel_history_exists_fn = std::function<bool(const std::u16string& path)>;

// Items to show, in stored order. Reading stops at the first missing or empty value or after
// `max_count` values; a value that is not text is skipped; with `exists` set, only values that
// name an existing path are kept. A repeated item is shown once.
std::vector<std::u16string> qel_history_load(const qel_history_read_fn& read,
                                             int max_count,
                                             const qel_history_exists_fn& exists);

// Items to store: the current text first (when not empty), then the others without it, at most
// `max_count`. Paths compare without regard to ASCII letter case.
std::vector<std::u16string> qel_history_to_save(const std::u16string& current,
                                                const std::vector<std::u16string>& items,
                                                int max_count);

bool qel_history_same_path(const std::u16string& a, const std::u16string& b);
