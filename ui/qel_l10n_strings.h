// Every visible UI text by string id, in the user's interface language where the program has a
// string table for it, else from the default table.
#pragma once

// The text of a known id (ui/core/qel_l10n_string_table.h), valid for the life of the process; an
// unknown id is reported and gives null.
const wchar_t* qel_l10n_get_string(unsigned int id);

// The same as UTF-16 text, in the shape the portable half of the windows asks for its words
// (qel_ui_text_fn of ui/core/qel_ui_text.h).
const char16_t* qel_l10n_ui_text(unsigned int id);
