#include "ui/qel_l10n_strings.h"

#include <string>
#include <vector>

#include "platform/win32/win.h"
#include "qel_lib/qel_assert.h"
#include "ui/core/qel_l10n_string_table.h"
#include "ui/qel_l10n_cache.h"

namespace {

// A string block holds 16 counted strings; ids 16n..16n+15 live in block n + 1. The walk is
// bounded by the block's size, so a damaged block gives nothing instead of a read past it.
bool copy_from_block(HMODULE module, LANGID language, unsigned int id, std::wstring* out) {
  HRSRC found = FindResourceExW(module, MAKEINTRESOURCEW(6) /* RT_STRING */,
                                MAKEINTRESOURCEW(id / 16 + 1), language);
  if (!found)
    return false;
  HGLOBAL loaded = LoadResource(module, found);
  const WCHAR* p = loaded ? static_cast<const WCHAR*>(LockResource(loaded)) : nullptr;
  if (!p)
    return false;
  const WCHAR* end = p + SizeofResource(module, found) / sizeof(WCHAR);
  for (unsigned int i = 0; i < id % 16; ++i) {
    if (p >= end)
      return false;
    p += 1 + *p;
  }
  if (p >= end || *p == 0 || *p > end - p - 1)
    return false;
  out->assign(p + 1, *p);
  return true;
}

// The usual loader: the module's default language and the system's fall-backs.
bool copy_default(HMODULE module, unsigned int id, std::wstring* out) {
  const WCHAR* text = nullptr;
  int length = LoadStringW(module, id, reinterpret_cast<LPWSTR>(&text), 0);
  if (length <= 0 || !text)
    return false;
  out->assign(text, length);
  return true;
}

}  // namespace

L10nCache& qel_l10n_cache() {
  static L10nCache c;
  return c;
}

const wchar_t* qel_l10n_get_string(unsigned int id) {
  int index = qel_l10n_string_index(id);
  if (index < 0) {
    QEL_ASSERT(false);
    return nullptr;
  }
  L10nCache& c = qel_l10n_cache();
  if (!c.language_known) {
    c.language = GetUserDefaultUILanguage();
    c.language_known = true;
  }
  if (c.texts.empty())
    c.texts.resize(qel_l10n_string_entries().size());
  std::wstring& text = c.texts[index];
  if (text.empty()) {
    HMODULE module = GetModuleHandleW(nullptr);
    if (!copy_from_block(module, c.language, id, &text))
      copy_default(module, id, &text);
  }
  return text.c_str();
}

const char16_t* qel_l10n_ui_text(unsigned int id) {
  return as_u16(qel_l10n_get_string(id));
}
