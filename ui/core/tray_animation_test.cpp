#include "ui/core/tray_animation.h"

#include <gtest/gtest.h>

namespace {

TEST(TrayAnimation, WithoutIconsNothingStarts) {
  TrayAnimation animation;
  EXPECT_FALSE(animation.Start(0, 0, -1));
  EXPECT_FALSE(animation.running());
  EXPECT_EQ(animation.Tick(500), -1);
}

TEST(TrayAnimation, StepsWrapAndRunWithoutEnd) {
  TrayAnimation animation;
  ASSERT_TRUE(animation.Start(2, 1000, -1));
  EXPECT_EQ(animation.index(), 0);
  EXPECT_EQ(animation.Tick(1500), 1);
  EXPECT_EQ(animation.Tick(2000), 0);
  EXPECT_EQ(animation.Tick(1000 + 3600 * 1000), 1) << "no end with a negative duration";
  animation.Stop();
  EXPECT_EQ(animation.Tick(5000), -1);
}

TEST(TrayAnimation, EndsOnlyAfterMoreThanItsDuration) {
  TrayAnimation animation;
  ASSERT_TRUE(animation.Start(3, 0, 2));
  EXPECT_EQ(animation.Tick(2000), 1) << "exactly the duration still animates";
  EXPECT_EQ(animation.Tick(2001), -1);
  EXPECT_FALSE(animation.running());
  // A restart begins at the first icon again.
  ASSERT_TRUE(animation.Start(3, 5000, 0));
  EXPECT_EQ(animation.index(), 0);
  EXPECT_EQ(animation.Tick(99000), 1) << "duration 0 means no end";
}

TEST(TrayTip, CutAtACharacterBoundary) {
  EXPECT_EQ(tray_cut_tip(u"short", 63), u"short");
  std::u16string long_tip(100, u'x');
  EXPECT_EQ(tray_cut_tip(long_tip, 63).size(), 63u);
  // A character outside the basic plane straddling the limit is dropped whole.
  std::u16string tip = std::u16string(62, u'a') + u"\U0001F600" + u"b";
  EXPECT_EQ(tray_cut_tip(tip, 63), std::u16string(62, u'a'));
  EXPECT_EQ(tray_cut_tip(tip, 64), std::u16string(62, u'a') + u"\U0001F600");
  EXPECT_EQ(tray_cut_tip(tip, 0), u"");
}

}  // namespace
