// The texts qel_l10n_get_string has found so far, and the language it looks them up in.
#pragma once

#include <string>
#include <vector>

struct L10nCache {
  bool language_known = false;
  unsigned short language = 0;      // a LANGID
  std::vector<std::wstring> texts;  // by position in the string table; empty until found
};

// The process's one cache.
L10nCache& qel_l10n_cache();
