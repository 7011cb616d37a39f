// The English words of the string table that the portable texts use, for tests.
#pragma once

#include "ui/core/qel_ui_text.h"

inline const char16_t* qel_english_text(int _id) {
  static const char16_t* const months[] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                                           u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
  static const char16_t* const days[] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
  if (_id >= kQelTextMonthFirst && _id < kQelTextMonthFirst + 12)
    return months[_id - kQelTextMonthFirst];
  if (_id >= kQelTextWeekdayFirst && _id < kQelTextWeekdayFirst + 7)
    return days[_id - kQelTextWeekdayFirst];
  switch (_id) {
    case kQelTextToday:
      return u"Today";
    case kQelTextYesterday:
      return u"Yesterday";
    case kQelTextFiles:
      return u"files";
    case kQelTextMinutesRecorded:
      return u"minutes recorded";
    case kQelTextDeleteOneFile:
      return u"Are you sure you want to delete the file %s?";
    case kQelTextDeleteFiles:
      return u"Are you sure you want to delete the %d files?";
  }
  return nullptr;
}
