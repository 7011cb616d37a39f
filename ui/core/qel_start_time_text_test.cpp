#include "ui/core/qel_start_time_text.h"

#include <gtest/gtest.h>

#include "qel_lib/qel_assert_capture.h"
#include "ui/core/qel_l10n_string_table.h"

namespace {

// A fixed zone one hour east of UTC, the same on every machine the tests run on.
bool utc_plus_one(int64_t t, qel_calendar* c) {
  return qel_utc_calendar(t + 3600, c);
}

// Like the C library beyond its range: some times cannot be converted.
bool odd_times_fail(int64_t t, qel_calendar* c) {
  return t % 2 == 0 && utc_plus_one(t, c);
}

// Seconds since 1970 of a local time in that zone, counted day by day so that it does
// not share its arithmetic with the converter under test.
int64_t local(int year, int month, int day, int hour, int minute) {
  auto leap = [](int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; };
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int64_t days = 0;
  for (int y = 1970; y < year; ++y)
    days += leap(y) ? 366 : 365;
  for (int m = 1; m < month; ++m)
    days += kDays[m - 1] + (m == 2 && leap(year));
  days += day - 1;
  return days * 86400 + hour * 3600 + minute * 60 - 3600;
}

std::u16string text(int64_t now, int64_t start) {
  return qel_start_time_text(now, start, &utc_plus_one, &qel_l10n_default_text);
}

TEST(StartTimeText, RecentStartsNameTheDay) {
  int64_t now = local(2024, 3, 15, 12, 0);  // a Friday
  EXPECT_EQ(text(now, local(2024, 3, 15, 11, 30)), u"Today, 11:30");
  EXPECT_EQ(text(now, local(2024, 3, 15, 0, 0)), u"Today, 00:00");
  EXPECT_EQ(text(now, local(2024, 3, 14, 22, 10)), u"Yesterday, 22:10");
  EXPECT_EQ(text(now, local(2024, 3, 14, 0, 1)), u"Yesterday, 00:01");
  // 23:30 UTC on the 14th is already the 15th in this zone.
  EXPECT_EQ(text(now, local(2024, 3, 15, 0, 30)), u"Today, 00:30");
  EXPECT_EQ(text(now, local(2024, 3, 15, 0, 30) - 1), u"Today, 00:29");
}

TEST(StartTimeText, DaysBeforeYesterdayNameTheWeekdayForSixDays) {
  int64_t now = local(2024, 3, 15, 12, 0);
  EXPECT_EQ(text(now, local(2024, 3, 13, 12, 1)), u"Wed, 12:01");
  EXPECT_EQ(text(now, local(2024, 3, 12, 9, 30)), u"Tue, 09:30");
  EXPECT_EQ(text(now, local(2024, 3, 9, 12, 1)), u"Sat, 12:01");
  EXPECT_EQ(text(now, local(2024, 3, 9, 12, 0)), u"Mar 9, 12:00") << "exactly six days";
  EXPECT_EQ(text(now, local(2024, 3, 5, 12, 0)), u"Mar 5, 12:00");
  EXPECT_EQ(text(now, local(2024, 1, 3, 14, 5)), u"Jan 3, 14:05");
}

TEST(StartTimeText, OnlyTheDayOfMonthDecidesYesterday) {
  // Twelve hours before the first of April is the 31st: not "Yesterday" by the day test.
  EXPECT_EQ(text(local(2024, 4, 1, 10, 0), local(2024, 3, 31, 22, 0)), u"Sun, 22:00");
  // Within two days but two calendar days apart.
  EXPECT_EQ(text(local(2024, 3, 15, 0, 30), local(2024, 3, 13, 1, 0)), u"Wed, 01:00");
  EXPECT_EQ(text(local(2024, 3, 1, 8, 0), local(2024, 2, 29, 20, 0)), u"Thu, 20:00");
}

TEST(StartTimeText, MonthFormReachesBackLessThanTwelveMonthsOverNewYear) {
  int64_t january = local(2024, 1, 5, 9, 0);
  EXPECT_EQ(text(january, local(2023, 12, 20, 18, 45)), u"Dec 20, 18:45");
  EXPECT_EQ(text(january, local(2023, 2, 10, 8, 0)), u"Feb 10, 08:00");
  EXPECT_EQ(text(january, local(2023, 1, 10, 8, 0)), u"2023-01-10, 08:00");
  int64_t december = local(2024, 12, 20, 9, 0);
  EXPECT_EQ(text(december, local(2024, 1, 1, 0, 0)), u"Jan 1, 00:00");
  EXPECT_EQ(text(december, local(2023, 1, 10, 8, 0)), u"2023-01-10, 08:00");
  EXPECT_EQ(text(december, local(2022, 12, 31, 8, 0)), u"2022-12-31, 08:00");
}

TEST(StartTimeText, FutureStartsShowTheDate) {
  int64_t now = local(2024, 3, 15, 12, 0);
  EXPECT_EQ(text(now, now + 3600), u"Mar 15, 13:00");
  EXPECT_EQ(text(now, local(2025, 2, 1, 7, 5)), u"2025-02-01, 07:05");
  EXPECT_EQ(text(now, now), u"Mar 15, 12:00") << "not before now, so not today";
}

TEST(StartTimeText, StartsOutOfRangeShowTheFixedFallback) {
  int64_t now = local(2024, 3, 15, 12, 0);
  for (int64_t start : {int64_t{0}, int64_t{-5}, int64_t{1} << 44, INT64_MIN, INT64_MAX})
    EXPECT_EQ(text(now, start), u"2000-01-01, 01:00") << start;
  // The last start in range is still shown as its own (distant) date.
  std::u16string last = text(now, (int64_t{1} << 44) - 1);
  EXPECT_NE(last, u"2000-01-01, 01:00");
  EXPECT_EQ(last.substr(0, 7), u"559444-");
  EXPECT_EQ(qel_start_time_text(now, now - 30 * 86400 - 1, &odd_times_fail, &qel_l10n_default_text),
            u"2000-01-01, 01:00");
  // The fallback keeps the start's distance from now, so a recent one names a weekday.
  EXPECT_EQ(qel_start_time_text(now, now - 61, &odd_times_fail, &qel_l10n_default_text),
            u"Sun, 01:00");
}

TEST(StartTimeText, ClockOutOfRangeIsReportedAndCountsAsZero) {
  AssertCapture capture;
  EXPECT_EQ(text(0, local(2024, 3, 15, 12, 0)), u"2024-03-15, 12:00");
  EXPECT_EQ(capture.count(), 1u);
  capture.Clear();
  EXPECT_EQ(text(int64_t{1} << 44, 1000), u"1970-01-01, 01:16");
  EXPECT_EQ(capture.count(), 1u);
}

TEST(StartTimeText, MissingWordsLeaveTheirPlaceEmpty) {
  int64_t now = local(2024, 3, 15, 12, 0);
  auto nothing = [](unsigned int) -> const char16_t* { return nullptr; };
  EXPECT_EQ(qel_start_time_text(now, now - 60, &utc_plus_one, nothing), u", 11:59");
}

TEST(UtcCalendar, KnownDatesAndWeekdays) {
  qel_calendar c;
  ASSERT_TRUE(qel_utc_calendar(0, &c));
  EXPECT_EQ(c.year, 70);
  EXPECT_EQ(c.weekday, 4);
  ASSERT_TRUE(qel_utc_calendar(951782400, &c));  // 2000-02-29 00:00, a Tuesday
  EXPECT_EQ(c.year, 100);
  EXPECT_EQ(c.month, 1);
  EXPECT_EQ(c.mday, 29);
  EXPECT_EQ(c.weekday, 2);
  ASSERT_TRUE(qel_utc_calendar(-1, &c));
  EXPECT_EQ(c.year, 69);
  EXPECT_EQ(c.month, 11);
  EXPECT_EQ(c.mday, 31);
  EXPECT_EQ(c.hour, 23);
  EXPECT_EQ(c.minute, 59);
}

TEST(UtcCalendar, OperatingSystemZoneAgreesOnTheDayOfWeek) {
  // Whatever zone the machine has, the weekday must belong to the date it reports.
  qel_calendar local_fields;
  ASSERT_TRUE(qel_os_local_calendar(1710504000, &local_fields));
  qel_calendar utc_noon;
  int64_t days = 0;
  for (int y = 70; y < local_fields.year; ++y) {
    int full = y + 1900;
    days += ((full % 4 == 0 && full % 100 != 0) || full % 400 == 0) ? 366 : 365;
  }
  ASSERT_TRUE(
      qel_utc_calendar((days + 31 + 29 + local_fields.mday - 1) * 86400 + 43200, &utc_noon));
  ASSERT_EQ(local_fields.month, 2) << "mid-March in every zone";
  EXPECT_EQ(utc_noon.mday, local_fields.mday);
  EXPECT_EQ(utc_noon.weekday, local_fields.weekday);
}

}  // namespace
