// A clock that stands still at an instant a test chooses, in a zone it chooses: a fixed
// offset from UTC, or Central European time with its summer-time switches. While a
// FixedClock lives, everything in the process that reads the time reads it.
#pragma once

#include <cstdint>

#include "platform/clock.h"

namespace test_env {

// Days since 1970-01-01 of a proleptic Gregorian date (month 1-12).
constexpr int64_t days_from_civil(int64_t y, int m, int d) {
  y -= m <= 2;
  int64_t era = (y >= 0 ? y : y - 399) / 400;
  int64_t yoe = y - era * 400;
  int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  return era * 146097 + yoe * 365 + yoe / 4 - yoe / 100 + doy - 719468;
}

// Seconds since 1970 of a UTC date and time.
constexpr int64_t utc(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) {
  return days_from_civil(y, mo, d) * 86400 + h * 3600 + mi * 60 + s;
}

// A zone east of UTC by a whole number of seconds, with or without the EU's summer time.
struct Zone {
  int32_t offset;
  bool central_european;
};

class FixedClock : public platform::Clock {
 public:
  static constexpr Zone kUtc{0, false};
  static constexpr Zone kBerlin{3600, true};

  explicit FixedClock(int64_t now, Zone zone = kUtc) : now_(now), zone_(zone) {
    previous_ = platform::set_clock(this);
  }
  ~FixedClock() override { platform::set_clock(previous_); }
  FixedClock(const FixedClock&) = delete;
  FixedClock& operator=(const FixedClock&) = delete;

  void set(int64_t now) { now_ = now; }
  void advance(int64_t seconds) { now_ += seconds; }

  // The UTC instant of a wall-clock time in this clock's zone (the earlier one where the
  // wall clock repeats an hour, the later where it skips one).
  int64_t local(int y, int mo, int d, int h = 0, int mi = 0, int s = 0) const {
    int64_t wall = utc(y, mo, d, h, mi, s);
    int64_t standard = wall - zone_.offset;
    int64_t summer = standard - 3600;
    if (zone_.central_european && summer + offset_at(summer) == wall)
      return summer;
    return standard;
  }

  int64_t now() override { return now_; }

  bool local_time(int64_t time, platform::LocalTime* out) override {
    // The Windows C library's range: nothing before 1970 or after the year 3000.
    if (time < 0 || time > utc(3000, 12, 31, 23, 59, 59))
      return false;
    int64_t t = time + offset_at(time);
    int64_t days = t / 86400;
    int64_t secs = t % 86400;
    int64_t z = days + 719468;
    int64_t era = z / 146097;
    int64_t doe = z - era * 146097;
    int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    int64_t mp = (5 * doy + 2) / 153;
    int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    *out = {static_cast<int>(yoe + era * 400 + (m <= 2)),
            m,
            static_cast<int>(doy - (153 * mp + 2) / 5 + 1),
            static_cast<int>(secs / 3600),
            static_cast<int>(secs / 60 % 60),
            static_cast<int>(secs % 60)};
    return true;
  }

  // Summer time runs from the last Sunday of March to the last Sunday of October, both
  // switches at 01:00 UTC.
  int32_t offset_at(int64_t time) const {
    if (!zone_.central_european)
      return zone_.offset;
    int year = year_of(time);
    bool summer = time >= last_sunday_one_utc(year, 3) && time < last_sunday_one_utc(year, 10);
    return zone_.offset + (summer ? 3600 : 0);
  }

  static int64_t last_sunday_one_utc(int year, int month) {
    int64_t last = days_from_civil(year, month + 1, 1) - 1;
    int64_t weekday = (last + 4) % 7;  // 1970-01-01 was a Thursday; 0 is Sunday
    return (last - weekday) * 86400 + 3600;
  }

 private:
  static int year_of(int64_t time) {
    int year = 1970 + static_cast<int>(time / 31556952);
    while (utc(year, 1, 1) > time)
      --year;
    while (utc(year + 1, 1, 1) <= time)
      ++year;
    return year;
  }

  int64_t now_;
  Zone zone_;
  platform::Clock* previous_ = nullptr;
};

}  // namespace test_env
