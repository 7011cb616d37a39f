// The user's settings in the registry (recording folder, output settings, start with Windows,
// auto record) and the conversion tables of the enumerated settings. Every access builds its
// key handles afresh from ZulProfileKey::Root_CurrentUser; nothing is cached in memory.
#pragma once

#include <cstdint>
#include <string>

#include "library/qel_profile.h"

// Capacity in characters of every recording path buffer.
inline constexpr uint32_t g_qel_avi_file_max_path_len = 2048;

// The output (recording) settings shared by the engine and the options dialog. Callers
// zero-fill it before loading.
struct qel_output_settings {
  int32_t profile_number;
  char profile_name[kZulProfileNameMax];
  int32_t container_file_fmt;
  int32_t audio_codec;
  int32_t audio_channels;
  int32_t audio_sampling_rate;
  int32_t audio_settings;
  int32_t video_codec;
  int32_t video_img_size;
  int32_t video_frame_rate;
  int32_t video_settings;
  int32_t video_local_pos_PIP;
  int32_t video_local_pos_SBS;
  int32_t video_local_size;
};

enum qel_audio_settings : int32_t {
  kQelAudioUnknown = 0,
  kQelAudioNone = 1,
  kQelAudioMicrophoneOnly = 2,
  kQelAudioSpeakerOnly = 3,
  kQelAudioBoth = 4,
};

enum qel_video_settings : int32_t {
  kQelVideoUnknown = 0,
  kQelVideoNone = 1,
  kQelVideoLocalOnly = 2,
  kQelVideoRemoteOnly = 3,
  kQelVideoPictureInPicture = 4,
  kQelVideoSideBySide = 5,
  kQelVideoSeparateFiles = 6,
};

namespace qel_app_setting {

// Recording folder, stored as UTF-16 code units without terminator.
void set_dest_dir(const char16_t* _dest_dir);
// `_len` is the buffer's capacity in characters and must be g_qel_avi_file_max_path_len or
// more. On a fresh profile computes "<Documents>\Quorvantine Records for Msn" and stores it.
bool get_dest_dir(char16_t* _dest_dir, uint32_t _len);

void load_output_settings(qel_output_settings* settings);
void save_output_settings(qel_output_settings* settings);
void normalize_output_settings(qel_output_settings* settings);

int get_output_audio_settings();
void set_output_audio_settings(int value);
int get_output_video_settings();
void set_output_video_settings(int value);

bool get_auto_record();
void set_auto_record(bool on);

// Free space on the recording folder's volume below which a recording is not started, and
// below which a running one is stopped ("record_start_min_free_mb", "record_stop_min_free_mb"
// under the settings key, in MB). Out of range values give the defaults; a start threshold
// under the stop threshold is raised to it, as a recording would end as it began.
inline constexpr uint32_t kQelRecordStartMinFreeMb = 500;
inline constexpr uint32_t kQelRecordStopMinFreeMb = 200;
struct qel_disk_thresholds {
  uint64_t start_bytes;
  uint64_t stop_bytes;
};
qel_disk_thresholds get_disk_thresholds();

// The "quorvantine_msn" value of the Run key: the program path and "/start_context sys_auto",
// or the empty string when disabled. Any non-empty value counts as on, also the unquoted form
// earlier versions wrote.
bool get_auto_start();
void set_auto_start(bool on);
// The logon command for the program at that path. The path is quoted: unquoted, a path with
// spaces ("C:\Program Files\...") leaves the shell guessing which file is meant.
std::string auto_start_command(const std::string& program_path);

bool set_history_wfex(uint32_t _sample_rate,
                      uint32_t _channels,
                      uint32_t _sample_bits,
                      bool is_local);
bool get_history_wfex(uint32_t* _sample_rate,
                      uint32_t* _channels,
                      uint32_t* _sample_bits,
                      bool is_local);

const char16_t* static_get_audio_settings_str(int value);
uint32_t static_get_cmd_id_by_audio_settings(int value);
int static_get_audio_settings_by_cmd_id(uint32_t cmd_id);
uint32_t static_get_ui_cmd_id_by_audio_settings(int value);

const char16_t* static_get_video_settings_str(int value);
uint32_t static_get_cmd_id_by_video_settings(int value);
int static_get_video_settings_by_cmd_id(uint32_t cmd_id);
uint32_t static_get_ui_cmd_id_by_video_settings(int value);

const char16_t* static_get_video_local_pos_str(int value);
const char16_t* static_get_video_local_size_str(int value);
const char16_t* static_get_video_frame_rate_str(int value);
const char16_t* static_get_video_img_size_str(int value);
const char16_t* dojob_get_video_img_size_name(int value);
bool dojob_get_video_img_size_wxh(int value, int* width, int* height);

}  // namespace qel_app_setting
