// The UI strings the program knows, by id, with their texts in the default (English) table.
// The string lookup answers exactly these ids; res/strings.rc holds the same texts.
#pragma once

#include <span>

struct qel_l10n_string_entry {
  unsigned int id;
  const char16_t* text;
};

// Every known id once, in ascending order.
std::span<const qel_l10n_string_entry> qel_l10n_string_entries();

// Position of the id in qel_l10n_string_entries(), or -1 for an id the lookup does not know.
int qel_l10n_string_index(unsigned int id);

// The default text of a known id, or null.
const char16_t* qel_l10n_default_text(unsigned int id);
