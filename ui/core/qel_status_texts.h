// The status bar's library totals.
#pragma once

#include <string>

#include "ui/core/qel_ui_text.h"

// "%d files, %d minutes recorded in total", the text the window starts with.
std::u16string qel_status_total_text(int _files, int _minutes, qel_ui_text_fn _text);
// "%d files, %d minutes recorded", after a change of the totals.
std::u16string qel_status_change_text(int _files, int _minutes, qel_ui_text_fn _text);
