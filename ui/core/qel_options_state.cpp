#include "ui/core/qel_options_state.h"

#include "library/qel_app_setting.h"

namespace {

constexpr int kPictureInPicture = 4;
constexpr int kSideBySide = 5;

}  // namespace

qel_options_placement qel_options_placement_for(int video_mode) {
  if (video_mode == kPictureInPicture)
    return {true, true, false, false, true};
  if (video_mode == kSideBySide)
    return {false, false, true, true, false};
  return {true, false, false, false, false};
}

int qel_options_item_for(qel_options_range range, int value, int fallback) {
  if (value < range.first || value > range.last)
    value = fallback;
  if (value < range.first || value > range.last)
    value = range.first;
  return value - range.first;
}

bool qel_options_choose_video(qel_options_choice* choice, int mode) {
  if (mode < kQelOptionsVideoRange.first || mode > kQelOptionsVideoRange.last ||
      mode == choice->video_settings)
    return false;
  choice->video_settings = mode;
  return true;
}

void qel_options_choose_placement(qel_options_choice* choice, int value) {
  if (choice->video_settings == kPictureInPicture) {
    if (value >= kQelOptionsCornerRange.first && value <= kQelOptionsCornerRange.last)
      choice->local_pos_PIP = value;
  } else if (value >= kQelOptionsSideRange.first && value <= kQelOptionsSideRange.last) {
    choice->local_pos_SBS = value;
  }
}

std::vector<int32_t> qel_options_ok_commands(const qel_options_choice& choice) {
  return {static_cast<int32_t>(
              qel_app_setting::static_get_ui_cmd_id_by_video_settings(choice.video_settings)),
          static_cast<int32_t>(
              qel_app_setting::static_get_ui_cmd_id_by_audio_settings(choice.audio_settings))};
}
