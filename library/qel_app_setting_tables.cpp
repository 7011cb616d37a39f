// Conversion tables of the enumerated settings: display strings, menu commands and the UI
// command codes sent to the application.
#include "library/qel_app_setting.h"
#include "qel_lib/qel_assert.h"

namespace qel_app_setting {
namespace {

struct ModeRow {
  int value;
  const char16_t* text;
  uint32_t cmd_id;
  uint32_t ui_cmd_id;
};

constexpr ModeRow kAudioModes[] = {
    {1, u"None", 32806, 12},
    {2, u"Microphone Only", 32807, 13},
    {3, u"Speaker Only", 32808, 14},
    {4, u"Both", 32810, 15},
};

constexpr ModeRow kVideoModes[] = {
    {1, u"None (Audio Only)", 32811, 17},  {2, u"Local Webcam Only", 32813, 18},
    {3, u"Remote Webcam Only", 32812, 19}, {4, u"Picture In Picture", 32815, 21},
    {5, u"Side By Side", 32816, 22},       {6, u"Separate Files", 40004, 20},
};

template <size_t N>
const ModeRow* by_value(const ModeRow (&rows)[N], int value) {
  for (const ModeRow& row : rows)
    if (row.value == value)
      return &row;
  return nullptr;
}

template <size_t N>
const ModeRow* by_cmd_id(const ModeRow (&rows)[N], uint32_t cmd_id) {
  for (const ModeRow& row : rows)
    if (row.cmd_id == cmd_id)
      return &row;
  return nullptr;
}

struct ImgSizeRow {
  int width;
  int height;
  const char16_t* short_text;
  const char16_t* long_name;
};

// The long names pad the height label so that the sizes line up in a list.
constexpr ImgSizeRow kImgSizes[] = {
    {0, 0, nullptr, u"unknown"},
    {176, 144, u"176x144 Mobile", u"Mobile, 176x144, 16:9"},
    {400, 226, u" 400x226", u"240p    400x226, 16:9"},
    {640, 360, u" 640x360", u"360p    640x360, 16:9"},
    {854, 480, u" 854x480", u"480p    854x480, 16:9"},
    {1280, 720, u"1280x720", u"720p   1280x720, 16:9"},
    {1920, 1080, u"1920x1080", u"1080p  1920x1080, 16:9"},
    {320, 240, u"320x240", u"240p    320x240, 4:3"},
    {480, 360, u"480x360", u"360p    480x360, 4:3"},
    {640, 480, u"640x480", u"480p    640x480, 4:3"},
    {960, 720, u"960x720", u"720p    960x720, 4:3"},
};
constexpr int kImgSizeCount = static_cast<int>(sizeof kImgSizes / sizeof kImgSizes[0]);

}  // namespace

const char16_t* static_get_audio_settings_str(int value) {
  const ModeRow* row = by_value(kAudioModes, value);
  return row ? row->text : u"Unknown";
}

uint32_t static_get_cmd_id_by_audio_settings(int value) {
  const ModeRow* row = by_value(kAudioModes, value);
  return QEL_ASSERT_MSG(row, "false") ? row->cmd_id : 32810;
}

int static_get_audio_settings_by_cmd_id(uint32_t cmd_id) {
  const ModeRow* row = by_cmd_id(kAudioModes, cmd_id);
  return QEL_ASSERT_MSG(row, "false") ? row->value : 0;
}

uint32_t static_get_ui_cmd_id_by_audio_settings(int value) {
  const ModeRow* row = by_value(kAudioModes, value);
  return QEL_ASSERT_MSG(row, "false") ? row->ui_cmd_id : 0;
}

const char16_t* static_get_video_settings_str(int value) {
  const ModeRow* row = by_value(kVideoModes, value);
  return row ? row->text : u"Unknown";
}

uint32_t static_get_cmd_id_by_video_settings(int value) {
  const ModeRow* row = by_value(kVideoModes, value);
  return QEL_ASSERT_MSG(row, "false") ? row->cmd_id : 32812;
}

int static_get_video_settings_by_cmd_id(uint32_t cmd_id) {
  const ModeRow* row = by_cmd_id(kVideoModes, cmd_id);
  return QEL_ASSERT_MSG(row, "false") ? row->value : 0;
}

uint32_t static_get_ui_cmd_id_by_video_settings(int value) {
  const ModeRow* row = by_value(kVideoModes, value);
  return QEL_ASSERT_MSG(row, "false") ? row->ui_cmd_id : 0;
}

const char16_t* static_get_video_local_pos_str(int value) {
  static constexpr const char16_t* kNames[] = {u"Top-Left",     u"Top-Right", u"Bottom-Left",
                                               u"Bottom-Right", u"Left Side", u"Right Side"};
  if (!QEL_ASSERT_MSG(value >= 1 && value <= 6, "false"))
    return u"Bottom-Right";
  return kNames[value - 1];
}

const char16_t* static_get_video_local_size_str(int value) {
  if (value == 1)
    return u"Small";
  if (value == 2)
    return u"Normal";
  return u"Huge";
}

const char16_t* static_get_video_frame_rate_str(int value) {
  return value == 2 ? u"High" : u"Normal";
}

const char16_t* static_get_video_img_size_str(int value) {
  if (!QEL_ASSERT_MSG(value >= 1 && value < kImgSizeCount, "false"))
    return u"320x240";
  return kImgSizes[value].short_text;
}

const char16_t* dojob_get_video_img_size_name(int value) {
  if (!QEL_ASSERT_MSG(value >= 0 && value < kImgSizeCount, "false"))
    return u"invalid";
  return kImgSizes[value].long_name;
}

bool dojob_get_video_img_size_wxh(int value, int* width, int* height) {
  if (!QEL_ASSERT_MSG(value >= 0 && value < kImgSizeCount, "false"))
    return false;
  if (!width || !height)
    return false;
  *width = kImgSizes[value].width;
  *height = kImgSizes[value].height;
  return true;
}

}  // namespace qel_app_setting
