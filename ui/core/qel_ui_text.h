// How the portable half of the windows gets its words: a lookup by string-table id that
// the program answers from its string table and tests answer from a fixed table.
#pragma once

// Null for an id the table does not hold; callers then show an empty text.
using qel_ui_text_fn = const char16_t* (*)(int _id);

// The string-table ids the portable texts use.
enum qel_ui_text_id : int {
  kQelTextToday = 138,
  kQelTextYesterday = 139,
  kQelTextFiles = 143,
  kQelTextMinutesRecorded = 171,
  kQelTextDeleteOneFile = 194,
  kQelTextDeleteFiles = 195,
  kQelTextMonthFirst = 40010,    // "Jan"; December is 40021
  kQelTextWeekdayFirst = 40030,  // "Sun"; Saturday is 40036
};
