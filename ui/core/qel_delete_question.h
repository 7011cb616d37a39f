// The question asked before recordings are deleted.
#pragma once

#include <string>

#include "ui/core/qel_ui_text.h"

// Names the file when one is selected, gives the count for several; empty for none, when
// nothing is to be asked.
std::u16string qel_delete_question(int _count, const char16_t* _single_title, qel_ui_text_fn _text);
