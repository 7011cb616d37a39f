// The window texts by string-table id, in the forms the two halves of the UI want.
#pragma once

#include "platform/win32/win.h"

// Never null: an id the table lacks gives the empty text (after its report).
const wchar_t* qel_text(UINT _id);
// The same for the portable half (qel_ui_text_fn); null for an unknown id.
const char16_t* qel_text16(unsigned int _id);
