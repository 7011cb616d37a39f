// The application's per-application profile store: text values by section and key, kept in
// the registry below the product key of HKEY_CURRENT_USER (one sub-key per section).
#pragma once

#include <string>

#include "ui/core/qel_history_list.h"

// The value, or kMissing / kNotText; a text longer than the path limit counts as not text.
qel_history_value qel_profile_get_string(const char* section, const std::string& key);
bool qel_profile_write_string(const char* section,
                              const std::string& key,
                              const std::u16string& value);
