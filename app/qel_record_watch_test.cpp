#include "app/qel_record_watch.h"

#include <gtest/gtest.h>

#include <set>

namespace {

// The engines still connected, by cookie.
struct Connected {
  std::set<uint32_t> cookies;
  bool operator()(uint32_t c) const { return cookies.count(c) > 0; }
};

TEST(QelRecordWatchTest, RecordingIsLostOnlyWhenEveryEngineThatTookItIsGone) {
  qel_record_watch watch;
  Connected connected{{1, 2, 3}};
  std::u16string file;
  int64_t start = 0;
  EXPECT_FALSE(watch.take_lost(connected, &file, &start)) << "nothing recording";

  // Engines 1 and 3 took the request; 2 was idle.
  watch.watch(u"C:\\rec\\2026-12-07 18-00-00", 1796666400, {1, 3});
  connected.cookies.erase(2);
  EXPECT_FALSE(watch.take_lost(connected, &file, &start)) << "an idle engine died";
  connected.cookies.erase(1);
  EXPECT_FALSE(watch.take_lost(connected, &file, &start)) << "engine 3 still writes";
  EXPECT_TRUE(watch.watching());
  connected.cookies.erase(3);
  ASSERT_TRUE(watch.take_lost(connected, &file, &start));
  EXPECT_EQ(file, u"C:\\rec\\2026-12-07 18-00-00.avi");
  EXPECT_EQ(start, 1796666400);
  // Told once: a second sign of the same death finds nothing.
  EXPECT_FALSE(watch.watching());
  EXPECT_FALSE(watch.take_lost(connected, &file, &start));
}

TEST(QelRecordWatchTest, RequestNobodyTookKeepsTheWatchAndAReportedEndClearsIt) {
  qel_record_watch watch;
  watch.watch(u"a", 10, {});
  EXPECT_FALSE(watch.watching());
  watch.watch(u"a", 10, {4});
  watch.watch(u"b", 20, {});
  std::u16string file;
  int64_t start = 0;
  ASSERT_TRUE(watch.take_lost([](uint32_t) { return false; }, &file, &start));
  EXPECT_EQ(file, u"a.avi");
  EXPECT_EQ(start, 10);

  // The engine reported the end itself: its later death is no loss.
  watch.watch(u"c", 30, {5});
  watch.unwatch();
  EXPECT_FALSE(watch.take_lost([](uint32_t) { return false; }, &file, &start));
}

}  // namespace
