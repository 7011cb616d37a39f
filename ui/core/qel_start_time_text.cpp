#include "ui/core/qel_start_time_text.h"

#include "platform/clock.h"
#include "qel_lib/qel_assert.h"
#include "ui/core/qel_u16_format.h"

namespace {

constexpr uint64_t kTwoDays = 172800;
constexpr uint64_t kSixDays = 518400;

// Days since 1970-01-01 of a proleptic Gregorian date (month 1-12).
int64_t days_from_civil(int64_t y, int m, int d) {
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

int weekday_from_days(int64_t days) {
  int64_t w = (days + 4) % 7;  // 1970-01-01 was a Thursday
  return static_cast<int>(w < 0 ? w + 7 : w);
}

// What the list shows for a start time it cannot place: 2000-01-01, 01:00.
qel_calendar fallback_calendar() {
  qel_calendar c;
  c.year = 100;
  c.mday = 1;
  c.hour = 1;
  return c;
}

std::u16string day_and_time(qel_ui_text_fn text, int id, const qel_calendar& s) {
  return qel_u16_format(u"%s, %02d:%02d", {text ? text(id) : nullptr, s.hour, s.minute});
}

}  // namespace

bool qel_os_local_calendar(int64_t _time, qel_calendar* _out) {
  platform::LocalTime lt;
  if (!platform::local_time(_time, &lt))
    return false;
  _out->year = lt.year - 1900;
  _out->month = lt.month - 1;
  _out->mday = lt.day;
  _out->hour = lt.hour;
  _out->minute = lt.minute;
  _out->weekday = weekday_from_days(days_from_civil(lt.year, lt.month, lt.day));
  return true;
}

bool qel_utc_calendar(int64_t _time, qel_calendar* _out) {
  int64_t days = _time / 86400;
  int64_t secs = _time % 86400;
  if (secs < 0) {
    secs += 86400;
    --days;
  }
  // Civil date from days, after Howard Hinnant's algorithm.
  int64_t z = days + 719468;
  int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  int64_t doe = z - era * 146097;
  int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  int64_t mp = (5 * doy + 2) / 153;
  int64_t d = doy - (153 * mp + 2) / 5 + 1;
  int64_t m = mp < 10 ? mp + 3 : mp - 9;
  int64_t y = yoe + era * 400 + (m <= 2);
  if (y - 1900 > INT32_MAX || y - 1900 < INT32_MIN)
    return false;
  _out->year = static_cast<int>(y - 1900);
  _out->month = static_cast<int>(m - 1);
  _out->mday = static_cast<int>(d);
  _out->hour = static_cast<int>(secs / 3600);
  _out->minute = static_cast<int>(secs / 60 % 60);
  _out->weekday = weekday_from_days(days);
  return true;
}

bool qel_is_displayable_time(int64_t _time) {
  return _time >= 1 && _time <= (int64_t{1} << 44) - 1;
}

std::u16string qel_start_time_text(int64_t _now,
                                   int64_t _start,
                                   qel_local_time_fn _local_time,
                                   qel_ui_text_fn _text) {
  qel_calendar n;
  if (!QEL_ASSERT(qel_is_displayable_time(_now)) || !_local_time || !_local_time(_now, &n))
    n = qel_calendar();
  qel_calendar s;
  // A start the C library cannot convert (beyond its year 3000 on Windows) is shown like
  // one out of range rather than with whatever the failed call left behind.
  if (!qel_is_displayable_time(_start) || !_local_time || !_local_time(_start, &s))
    s = fallback_calendar();

  // Unsigned, so that a start near the lowest value cannot overflow the difference.
  uint64_t ago = _now > _start ? static_cast<uint64_t>(_now) - static_cast<uint64_t>(_start) : 0;
  if (ago && ago < kTwoDays && (n.mday == s.mday || n.mday == s.mday + 1))
    return day_and_time(_text, n.mday == s.mday ? IDS_TODAY : IDS_YESTERDAY, s);
  if (ago && ago < kSixDays)
    return day_and_time(_text, IDS_WEEKDAY_FIRST + s.weekday, s);
  if (s.year == n.year || (s.year + 1 == n.year && n.month + 12 - s.month < 12)) {
    return qel_u16_format(u"%s %d, %02d:%02d", {_text ? _text(IDS_MONTH_FIRST + s.month) : nullptr,
                                                s.mday, s.hour, s.minute});
  }
  return qel_u16_format(u"%04d-%02d-%02d, %02d:%02d",
                        {s.year + 1900, s.month + 1, s.mday, s.hour, s.minute});
}
