// How the portable half of the windows gets its words: a lookup by string-table id
// (res/resource.h) that the program answers in the user's language and tests answer from the
// default table.
#pragma once

#include "res/resource.h"

// Null for an id the table does not hold; callers then show an empty text.
using qel_ui_text_fn = const char16_t* (*)(unsigned int _id);
