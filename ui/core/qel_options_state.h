// The options dialog's decisions apart from its window: which placement list is shown and
// enabled for a video mode, how list choices change the working copy, where each list starts
// and which commands OK publishes.
#pragma once

#include <cstdint>
#include <vector>

// The settings the dialog's lists edit; both placements are kept whichever mode is chosen.
struct qel_options_choice {
  int32_t audio_settings;
  int32_t video_settings;
  int32_t local_pos_PIP;
  int32_t local_pos_SBS;
  int32_t local_size;
  int32_t img_size;
  int32_t frame_rate;
};

struct qel_options_placement {
  bool corner_shown;
  bool corner_enabled;
  bool side_shown;
  bool side_enabled;
  bool local_size_enabled;
};

// Mode 4 (picture in picture): corner list and local size; mode 5 (side by side): side list;
// any other mode: the corner list shown disabled.
qel_options_placement qel_options_placement_for(int video_mode);

// The values one list offers, first to last; the item for a value is (value - first).
struct qel_options_range {
  int first;
  int last;
};
inline constexpr qel_options_range kQelOptionsAudioRange{2, 4};
inline constexpr qel_options_range kQelOptionsVideoRange{1, 6};
inline constexpr qel_options_range kQelOptionsCornerRange{1, 4};
inline constexpr qel_options_range kQelOptionsSideRange{5, 6};
inline constexpr qel_options_range kQelOptionsLocalSizeRange{1, 3};
inline constexpr qel_options_range kQelOptionsImgSizeRange{7, 10};
inline constexpr qel_options_range kQelOptionsFrameRateRange{1, 2};

// The item to select for a value; a value outside the list selects `fallback`'s item, so a
// list is never left without a selection.
int qel_options_item_for(qel_options_range range, int value, int fallback);

// A new video mode from its list: stored when it differs; true when the placement lists must
// be updated.
bool qel_options_choose_video(qel_options_choice* choice, int mode);
// A placement from either placement list: the corner position in mode 4, else the side one.
void qel_options_choose_placement(qel_options_choice* choice, int value);

// UI command codes OK publishes, in order: the video mode's, then the audio mode's.
std::vector<int32_t> qel_options_ok_commands(const qel_options_choice& choice);
