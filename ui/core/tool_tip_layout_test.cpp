#include "ui/core/tool_tip_layout.h"

#include <gtest/gtest.h>

namespace {

constexpr UiRect kScreen = {0, 0, 1280, 1024};
constexpr UiPoint kOffset = {0, 20};

TEST(ToolTipLayout, TipSitsBelowTheCursorWithItsMargins) {
  ToolTipMargins margins;
  UiSize size = tool_tip_window_size(UiSize{50, 13}, margins);
  EXPECT_EQ(size.cx, 50 + 2 + 3 + 2);
  EXPECT_EQ(size.cy, 13 + 2 + 3 + 2);
  UiRect rect = tool_tip_window_rect(UiPoint{100, 100}, kOffset, UiSize{50, 13}, margins, kScreen);
  EXPECT_EQ(rect, (UiRect{100, 120, 157, 140}));
  EXPECT_EQ(tool_tip_text_rect(size, margins), (UiRect{3, 3, 53, 16}));
}

TEST(ToolTipLayout, TipStaysOnTheScreen) {
  ToolTipMargins margins;
  UiRect near_corner =
      tool_tip_window_rect(UiPoint{1270, 1010}, kOffset, UiSize{50, 13}, margins, kScreen);
  EXPECT_EQ(near_corner.right, 1280);
  EXPECT_EQ(near_corner.bottom, 1010) << "above the cursor instead of below";
  UiRect wider_than_screen =
      tool_tip_window_rect(UiPoint{10, 10}, kOffset, UiSize{2000, 13}, margins, kScreen);
  EXPECT_EQ(wider_than_screen.left, 0);
}

TEST(ToolTipLayout, TipStaysOnAScreenAwayFromTheOrigin) {
  // A second monitor left of the first: its left edge is negative, its top 0.
  constexpr UiRect kLeftScreen = {-1280, 0, 0, 1024};
  ToolTipMargins margins;
  // Too tall to fit below or above the cursor: it starts at the screen's top.
  UiRect tall =
      tool_tip_window_rect(UiPoint{-600, 500}, kOffset, UiSize{50, 900}, margins, kLeftScreen);
  EXPECT_EQ(tall.top, 0);
  EXPECT_EQ(tall.left, -600);
  UiRect wide =
      tool_tip_window_rect(UiPoint{-1270, 10}, kOffset, UiSize{2000, 13}, margins, kLeftScreen);
  EXPECT_EQ(wide.left, -1280);
  EXPECT_EQ(wide.top, 30);
}

}  // namespace
