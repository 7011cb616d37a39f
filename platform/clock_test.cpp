#include "platform/clock.h"

#include <gtest/gtest.h>

#include "platform/testing/fixed_clock.h"

namespace {

using test_env::FixedClock;
using test_env::utc;

platform::LocalTime local_of(int64_t t) {
  platform::LocalTime lt = {};
  EXPECT_TRUE(platform::local_time(t, &lt)) << t;
  return lt;
}

std::string text(const platform::LocalTime& t) {
  char buf[32];
  snprintf(buf, sizeof buf, "%04d-%02d-%02d %02d:%02d:%02d", t.year, t.month, t.day, t.hour,
           t.minute, t.second);
  return buf;
}

TEST(Clock, AFixedClockStandsInForTheSystemsUntilItGoes) {
  {
    FixedClock outer(1000);
    {
      FixedClock inner(2000);
      EXPECT_EQ(platform::current_time(), 2000);
      inner.advance(-1);
      EXPECT_EQ(platform::current_time(), 1999);
    }
    EXPECT_EQ(platform::current_time(), 1000);
  }
  // The system's clock again, whatever its hour: nothing set, so the seam reads the system.
  FixedClock* none = nullptr;
  EXPECT_EQ(platform::set_clock(none), nullptr);
}

TEST(Clock, BerlinSwitchesToSummerTimeAndBackAtOneUtc) {
  FixedClock clock(0, FixedClock::kBerlin);
  EXPECT_EQ(text(local_of(utc(2027, 3, 28, 0, 59, 59))), "2027-03-28 01:59:59");
  EXPECT_EQ(text(local_of(utc(2027, 3, 28, 1, 0, 0))), "2027-03-28 03:00:00");
  EXPECT_EQ(text(local_of(utc(2027, 10, 31, 0, 59, 59))), "2027-10-31 02:59:59");
  EXPECT_EQ(text(local_of(utc(2027, 10, 31, 1, 0, 0))), "2027-10-31 02:00:00");
  EXPECT_EQ(text(local_of(utc(2028, 2, 29, 23, 0, 0))), "2028-03-01 00:00:00");
  EXPECT_EQ(text(local_of(utc(2026, 12, 31, 23, 30, 0))), "2027-01-01 00:30:00");

  // Wall-clock times back to instants: the first of a repeated hour, past a skipped one.
  EXPECT_EQ(clock.local(2027, 10, 31, 2, 30), utc(2027, 10, 31, 0, 30));
  EXPECT_EQ(clock.local(2027, 3, 28, 2, 30), utc(2027, 3, 28, 1, 30));
  EXPECT_EQ(clock.local(2027, 7, 1, 12, 0), utc(2027, 7, 1, 10, 0));
  EXPECT_EQ(clock.local(2027, 1, 1, 0, 0), utc(2026, 12, 31, 23, 0));
}

TEST(Clock, TimesTheCalendarCannotConvertAreRefusedAsOnWindows) {
  for (bool fixed : {true, false}) {
    FixedClock* clock = fixed ? new FixedClock(0) : nullptr;
    platform::LocalTime lt = {};
    EXPECT_FALSE(platform::local_time(-1, &lt)) << fixed;
    EXPECT_FALSE(platform::local_time(utc(3001, 1, 2), &lt)) << fixed;
    EXPECT_TRUE(platform::local_time(utc(2999, 12, 30), &lt)) << fixed;
    EXPECT_EQ(lt.year, 2999);
    delete clock;
  }
}

}  // namespace
