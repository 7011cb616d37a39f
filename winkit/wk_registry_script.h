// Self-registration as a tree of keys, applied to and removed from one root key. Names and
// data may hold %NAME% placeholders, replaced before use (%MODULE%, %APPID%).
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "platform/win32/win.h"

struct WkRegValue {
  std::wstring name;
  std::wstring data;
};

struct WkRegKey {
  enum Removal {
    kRemoveWhenEmpty,  // removed unless keys from elsewhere remain below it
    kNoRemove,         // never removed; only what the script put below it goes
    kForceRemove,      // replaced on registration and removed whole
  };

  std::wstring name;
  bool has_default = false;
  std::wstring default_value;
  std::vector<WkRegValue> values;
  std::vector<WkRegKey> children;
  Removal removal = kRemoveWhenEmpty;
};

using WkRegistryScript = std::vector<WkRegKey>;
using WkRegReplacements = std::vector<std::pair<std::wstring, std::wstring>>;

// Creates every key and sets every value of the script below root.
HRESULT WkRegisterScript(HKEY root,
                         const WkRegistryScript& script,
                         const WkRegReplacements& replacements);
// Removes what the script wrote, as each key's Removal says. Keys already gone are fine.
HRESULT WkUnregisterScript(HKEY root,
                           const WkRegistryScript& script,
                           const WkRegReplacements& replacements);

// Text with every placeholder replaced.
std::wstring WkRegExpand(const std::wstring& text, const WkRegReplacements& replacements);
