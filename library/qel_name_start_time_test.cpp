#include "library/qel_name_start_time.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "platform/testing/fixed_clock.h"

namespace {

using test_env::FixedClock;
using test_env::utc;

// The name the program gives a recording starting at `time`, as the library names it.
std::u16string name_at(int64_t time, const char* tail = ".avi") {
  platform::LocalTime t = {};
  EXPECT_TRUE(platform::local_time(time, &t));
  char stamp[64];
  snprintf(stamp, sizeof stamp, "%4d-%02d-%02d %02d-%02d-%02d%s", t.year, t.month, t.day, t.hour,
           t.minute, t.second, tail);
  return std::u16string(stamp, stamp + std::char_traits<char>::length(stamp));
}

int64_t from_name(std::u16string_view name) {
  int64_t time = -1;
  return qel_start_time_from_name(name, &time) ? time : -1;
}

TEST(NameStartTime, StampsWithTheSuffixAndExtensionTheProgramWrites) {
  FixedClock clock(utc(2026, 12, 8, 12, 0));
  EXPECT_EQ(utc(2026, 12, 8, 9, 30, 5), from_name(u"2026-12-08 09-30-05.avi"));
  EXPECT_EQ(utc(2026, 12, 8, 9, 30, 5), from_name(u"2026-12-08 09-30-05"));
  EXPECT_EQ(utc(2026, 12, 8, 9, 30, 5), from_name(u"2026-12-08 09-30-05-1.avi"));
  EXPECT_EQ(utc(2026, 12, 8, 9, 30, 5), from_name(u"2026-12-08 09-30-05-107.AVI"));
  EXPECT_EQ(utc(2028, 2, 29, 0, 0, 0), from_name(u"2028-02-29 00-00-00.avi"));
  EXPECT_EQ(utc(2000, 2, 29, 23, 59, 59), from_name(u"2000-02-29 23-59-59.avi"));
  EXPECT_EQ(utc(2026, 12, 31, 23, 59, 59), from_name(u"2026-12-31 23-59-59.avi"));
  EXPECT_EQ(utc(1970, 1, 1, 0, 0, 0), from_name(u"1970-01-01 00-00-00.avi"));
}

TEST(NameStartTime, ImpossibleDatesAndTimesGiveNone) {
  FixedClock clock(utc(2026, 12, 8, 12, 0));
  platform::LocalTime t;
  for (const char16_t* name :
       {u"2026-00-08 09-30-05.avi", u"2026-13-08 09-30-05.avi", u"2026-12-00 09-30-05.avi",
        u"2026-12-32 09-30-05.avi", u"2026-02-31 09-30-05.avi", u"2028-02-30 09-30-05.avi",
        u"2027-02-29 09-30-05.avi", u"1900-02-29 09-30-05.avi", u"2026-04-31 09-30-05.avi",
        u"2026-11-31 09-30-05.avi", u"2026-12-08 24-00-00.avi", u"2026-12-08 09-60-05.avi",
        u"2026-12-08 09-30-60.avi", u"2026-12-08 99-99-99.avi"}) {
    EXPECT_FALSE(qel_parse_name_stamp(name, &t)) << std::string(name, name + 23);
    EXPECT_EQ(-1, from_name(name)) << std::string(name, name + 23);
  }
  // Real dates the calendar cannot convert.
  EXPECT_EQ(-1, from_name(u"1969-12-31 23-59-59.avi"));
  EXPECT_EQ(-1, from_name(u"3001-01-01 00-00-00.avi"));
}

TEST(NameStartTime, NamesThatAreNotAStampGiveNone) {
  FixedClock clock(utc(2026, 12, 8, 12, 0));
  for (const char16_t* name : {u"",
                               u"holiday.avi",
                               u".avi",
                               u"2026-12-08.avi",
                               u"2026-12-08 09-30-05 copy.avi",
                               u"Copy of 2026-12-08 09-30-05.avi",
                               u"2026-12-08 09-30-05 (2).avi",
                               u"2026-12-08 09-30-05-.avi",
                               u"2026-12-08 09-30-05-0.avi",
                               u"2026-12-08 09-30-05-01.avi",
                               u"2026-12-08 09-30-05-1a.avi",
                               u"2026-12-08 09-30-05.part.avi",
                               u"2026-12-08 09-30-5.avi",
                               u"2026-12-8 09-30-05.avi",
                               u"2026-12-08_09-30-05.avi",
                               u"2026-12-08 09:30:05.avi",
                               u"2026/12/08 09-30-05.avi",
                               u" 2026-12-08 09-30-05.avi",
                               u"+026-12-08 09-30-05.avi",
                               u"2026-12-08 09-30-0\u0665.avi"}) {
    EXPECT_EQ(-1, from_name(name)) << std::u16string(name).size();
  }
}

// Every name the program gives in a year of Berlin time reads back as the instant it was
// made at, but in the hour the clock repeats, whose second pass reads as the first.
TEST(NameStartTime, NamesReadBackThroughTheLocalClockAcrossSummerTime) {
  FixedClock clock(utc(2026, 1, 1), FixedClock::kBerlin);
  const int64_t back = FixedClock::last_sunday_one_utc(2026, 10);  // 03:00 CEST -> 02:00 CET
  for (int64_t t = utc(2026, 1, 1); t < utc(2027, 1, 1); t += 20 * 60 + 7) {
    bool second_pass = t >= back && t < back + 3600;
    EXPECT_EQ(second_pass ? t - 3600 : t, from_name(name_at(t, "-3.avi"))) << t;
  }
  for (int64_t t = back - 7200; t < back + 7200; ++t) {
    int64_t read = from_name(name_at(t));
    ASSERT_EQ(name_at(read), name_at(t)) << t;
    ASSERT_EQ(t >= back && t < back + 3600 ? t - 3600 : t, read) << t;
  }
  const int64_t forward = FixedClock::last_sunday_one_utc(2026, 3);  // 02:00 CET -> 03:00 CEST
  for (int64_t t = forward - 7200; t < forward + 7200; ++t)
    ASSERT_EQ(t, from_name(name_at(t))) << t;
}

TEST(NameStartTime, TheRepeatedHourIsItsFirstPassAndTheMissingHourReadsAsBeforeTheSwitch) {
  FixedClock clock(utc(2026, 12, 8), FixedClock::kBerlin);
  // 2026-10-25: 02:30 comes at 00:30 UTC (summer time) and again at 01:30 UTC.
  EXPECT_EQ(utc(2026, 10, 25, 0, 30), from_name(u"2026-10-25 02-30-00.avi"));
  EXPECT_EQ(utc(2026, 10, 25, 0, 59, 59), from_name(u"2026-10-25 02-59-59.avi"));
  EXPECT_EQ(utc(2026, 10, 25, 2, 0), from_name(u"2026-10-25 03-00-00.avi"));
  EXPECT_EQ(utc(2026, 10, 24, 23, 59, 59), from_name(u"2026-10-25 01-59-59.avi"));
  // 2026-03-29: the clock goes from 02:00 to 03:00; 02:30 is read with the winter offset.
  EXPECT_EQ(utc(2026, 3, 29, 0, 59, 59), from_name(u"2026-03-29 01-59-59.avi"));
  EXPECT_EQ(utc(2026, 3, 29, 1, 0), from_name(u"2026-03-29 02-00-00.avi"));
  EXPECT_EQ(utc(2026, 3, 29, 1, 30), from_name(u"2026-03-29 02-30-00.avi"));
  EXPECT_EQ(utc(2026, 3, 29, 1, 59, 59), from_name(u"2026-03-29 02-59-59.avi"));
  EXPECT_EQ(utc(2026, 3, 29, 1, 0), from_name(u"2026-03-29 03-00-00.avi"));
  EXPECT_EQ(u"2026-03-29 03-30-00.avi", name_at(from_name(u"2026-03-29 02-30-00.avi")));
  // The first instant of the calendar's range in a zone ahead of UTC lies before it.
  EXPECT_EQ(-1, from_name(u"1970-01-01 00-30-00.avi"));
  EXPECT_EQ(0, from_name(u"1970-01-01 01-00-00.avi"));
}

}  // namespace
