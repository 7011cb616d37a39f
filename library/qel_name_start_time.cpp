#include "library/qel_name_start_time.h"

namespace {

constexpr std::u16string_view kStampShape = u"0000-00-00 00-00-00";

bool is_digit(char16_t c) {
  return c >= u'0' && c <= u'9';
}

int number_at(std::u16string_view s, size_t at, size_t len) {
  int n = 0;
  for (size_t i = at; i < at + len; ++i)
    n = n * 10 + (s[i] - u'0');
  return n;
}

bool is_leap(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

int days_in_month(int year, int month) {
  static constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && is_leap(year) ? 29 : kDays[month - 1];
}

// Days since 1970-01-01 of a proleptic Gregorian date, after Howard Hinnant's algorithm.
int64_t days_from_civil(int64_t y, int m, int d) {
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

// The fields read as if they were UTC.
int64_t wall_seconds(const platform::LocalTime& t) {
  return days_from_civil(t.year, t.month, t.day) * 86400 + t.hour * 3600 + t.minute * 60 + t.second;
}

bool same_fields(const platform::LocalTime& a, const platform::LocalTime& b) {
  return a.year == b.year && a.month == b.month && a.day == b.day && a.hour == b.hour &&
         a.minute == b.minute && a.second == b.second;
}

// How far the local clock is ahead of UTC at an instant.
bool offset_at(int64_t time, int64_t* offset) {
  platform::LocalTime t;
  if (!platform::local_time(time, &t))
    return false;
  *offset = wall_seconds(t) - time;
  return true;
}

}  // namespace

bool qel_parse_name_stamp(std::u16string_view _file_name, platform::LocalTime* _out) {
  std::u16string_view name = _file_name.substr(0, _file_name.rfind(u'.'));
  if (name.size() < kStampShape.size())
    return false;
  for (size_t i = 0; i < kStampShape.size(); ++i) {
    bool digit_wanted = kStampShape[i] == u'0';
    if (digit_wanted ? !is_digit(name[i]) : name[i] != kStampShape[i])
      return false;
  }
  // The suffix the program adds when the stamp's name is taken: "-1", "-2", ...
  std::u16string_view suffix = name.substr(kStampShape.size());
  if (!suffix.empty()) {
    if (suffix.size() < 2 || suffix[0] != u'-' || suffix[1] == u'0')
      return false;
    for (char16_t c : suffix.substr(1))
      if (!is_digit(c))
        return false;
  }
  platform::LocalTime t = {number_at(name, 0, 4),  number_at(name, 5, 2),  number_at(name, 8, 2),
                           number_at(name, 11, 2), number_at(name, 14, 2), number_at(name, 17, 2)};
  if (t.month < 1 || t.month > 12 || t.day < 1 || t.day > days_in_month(t.year, t.month) ||
      t.hour > 23 || t.minute > 59 || t.second > 59)
    return false;
  *_out = t;
  return true;
}

bool qel_time_from_local(const platform::LocalTime& _local, int64_t* _out) {
  const int64_t wall = wall_seconds(_local);
  // The instant lies within a day of the fields read as UTC, and a zone changes its offset at
  // most once in that span: the offsets a day before and a day after are the only ones the
  // clock can have shown then. The earlier one is tried first.
  int64_t offsets[3];
  int count = 0;
  for (int64_t probe : {wall - 86400, wall, wall + 86400}) {
    if (offset_at(probe, &offsets[count]))
      ++count;
  }
  for (int i = 0; i < count; ++i) {
    platform::LocalTime back;
    if (platform::local_time(wall - offsets[i], &back) && same_fields(back, _local)) {
      *_out = wall - offsets[i];
      return true;
    }
  }
  // No instant shows these fields: the hour the clock skipped.
  platform::LocalTime skipped;
  if (count == 0 || !platform::local_time(wall - offsets[0], &skipped))
    return false;
  *_out = wall - offsets[0];
  return true;
}

bool qel_start_time_from_name(std::u16string_view _file_name, int64_t* _out) {
  platform::LocalTime local;
  return qel_parse_name_stamp(_file_name, &local) && qel_time_from_local(local, _out);
}
