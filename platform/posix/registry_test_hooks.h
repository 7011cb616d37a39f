// Test controls of the in-memory registry of the posix build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/registry.h"

namespace platform::test {

// Drops every key, value, open handle and refusal; the predefined roots stay empty.
void reg_reset();
// Opening or creating `path` below `root` (or anything below it) fails with access denied.
void reg_deny_access(RegKey root, const std::string& path);
// The next reg_query_info_key fails with `code`, reporting `needed` as the class length.
void reg_fail_next_query_info(long code, uint32_t needed);
// Handles opened and not yet closed (predefined roots not counted).
size_t reg_open_handle_count();

}  // namespace platform::test
