#include "ui/core/qel_options_state.h"

#include <gtest/gtest.h>

namespace {

qel_options_choice loaded(int video) {
  return {4, video, 2, 5, 2, 8, 1};
}

TEST(OptionsState, PlacementListsFollowTheVideoMode) {
  qel_options_placement pip = qel_options_placement_for(4);
  EXPECT_TRUE(pip.corner_shown && pip.corner_enabled && pip.local_size_enabled);
  EXPECT_FALSE(pip.side_shown || pip.side_enabled);
  qel_options_placement sbs = qel_options_placement_for(5);
  EXPECT_TRUE(sbs.side_shown && sbs.side_enabled);
  EXPECT_FALSE(sbs.corner_shown || sbs.corner_enabled || sbs.local_size_enabled);
  for (int mode : {1, 2, 3, 6}) {
    qel_options_placement other = qel_options_placement_for(mode);
    EXPECT_TRUE(other.corner_shown) << mode;
    EXPECT_FALSE(other.corner_enabled || other.side_shown || other.side_enabled ||
                 other.local_size_enabled)
        << mode;
  }
}

TEST(OptionsState, SwitchingModesKeepsBothPlacements) {
  qel_options_choice choice = loaded(4);
  qel_options_choose_placement(&choice, 1);
  EXPECT_TRUE(qel_options_choose_video(&choice, 5));
  qel_options_choose_placement(&choice, 6);
  EXPECT_TRUE(qel_options_choose_video(&choice, 4));
  EXPECT_EQ(choice.local_pos_PIP, 1);
  EXPECT_EQ(choice.local_pos_SBS, 6);
  // The same mode again changes nothing; a placement of the other list is not taken.
  EXPECT_FALSE(qel_options_choose_video(&choice, 4));
  qel_options_choose_placement(&choice, 5);
  EXPECT_EQ(choice.local_pos_PIP, 1);
  EXPECT_FALSE(qel_options_choose_video(&choice, 9));
  EXPECT_EQ(choice.video_settings, 4);
}

TEST(OptionsState, OutOfRangeValuesSelectTheDefaultItem) {
  EXPECT_EQ(qel_options_item_for(kQelOptionsVideoRange, 5, 4), 4);
  EXPECT_EQ(qel_options_item_for(kQelOptionsVideoRange, 9, 4), 3);
  EXPECT_EQ(qel_options_item_for(kQelOptionsFrameRateRange, -1, 1), 0);
  EXPECT_EQ(qel_options_item_for(kQelOptionsImgSizeRange, 1, 7), 0);
  EXPECT_EQ(qel_options_item_for(kQelOptionsSideRange, 4, 6), 1);
  // A fallback outside the list still selects an item.
  EXPECT_EQ(qel_options_item_for(kQelOptionsAudioRange, 0, 0), 0);
}

TEST(OptionsState, OkPublishesVideoThenAudioCode) {
  qel_options_choice choice = loaded(5);
  choice.audio_settings = 2;
  EXPECT_EQ(qel_options_ok_commands(choice), (std::vector<int32_t>{22, 13}));
  choice.video_settings = 6;
  choice.audio_settings = 4;
  EXPECT_EQ(qel_options_ok_commands(choice), (std::vector<int32_t>{20, 15}));
}

}  // namespace
