#include "library/qel_app_setting.h"

#include <cstring>
#include <string>

#include "library/qel_app_constants.h"
#include "platform/paths.h"
#include "qel_lib/qel_assert.h"

namespace qel_app_setting {
namespace {

constexpr char kRunKeyPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kRunValueName[] = "quorvantine_msn";
constexpr char kAutoStartArgs[] = "/start_context sys_auto";

struct OutputField {
  const char* name;
  int32_t qel_output_settings::*member;
  int32_t min;
  int32_t max;
  int32_t fallback;
  bool saved;
};

// Record order; `saved` marks the values the user can change and save writes.
constexpr OutputField kOutputFields[] = {
    {"output_container_file_fmt", &qel_output_settings::container_file_fmt, 1, 3, 1, false},
    {"output_audio_codec", &qel_output_settings::audio_codec, 1, 2, 1, false},
    {"output_audio_channels", &qel_output_settings::audio_channels, 1, 2, 2, false},
    {"output_audio_sampling_rate", &qel_output_settings::audio_sampling_rate, 1, 5, 3, false},
    {"output_audio_settings", &qel_output_settings::audio_settings, 2, 4, 4, true},
    {"output_video_codec", &qel_output_settings::video_codec, 1, 5, 3, false},
    {"output_video_img_size", &qel_output_settings::video_img_size, 7, 10, 7, true},
    {"output_video_frame_rate", &qel_output_settings::video_frame_rate, 1, 2, 1, true},
    {"output_video_settings", &qel_output_settings::video_settings, 1, 6, 4, true},
    {"output_video_local_pos_PIP", &qel_output_settings::video_local_pos_PIP, 1, 4, 4, true},
    {"output_video_local_pos_SBS", &qel_output_settings::video_local_pos_SBS, 5, 6, 6, true},
    {"output_video_local_size", &qel_output_settings::video_local_size, 1, 3, 2, true},
};

ZulProfileKey product_key(const char* sub_key) {
  return ZulProfileKey::Root_CurrentUser().GetSubKey(g_qel_settings_path).GetSubKey(sub_key);
}

ZulProfileValue output_value(const char* name) {
  return product_key("0").GetValue(name);
}

ZulProfileValue dest_dir_value() {
  return product_key("avi_file_info_cache").GetValue("dest_dir");
}

ZulProfileValue wfex_value(bool is_local, const char* name) {
  return product_key(is_local ? "local_wfex" : "remote_wfex").GetValue(name);
}

ZulProfileValue run_value() {
  return ZulProfileKey::Root_CurrentUser().GetSubKey(kRunKeyPath).GetValue(kRunValueName);
}

bool store_dest_dir(std::u16string_view path) {
  return dest_dir_value().SetBinary(path.data(), static_cast<uint32_t>(path.size() * 2));
}

// "<Documents>\Quorvantine Records for Msn", or below "c:" when there is no Documents folder.
std::u16string default_dest_dir() {
  std::u16string folder;
  bool rtn = platform::documents_folder(&folder);
  if (!QEL_ASSERT(rtn))
    folder = u"c:";
  std::u16string path(g_qel_default_dest_dir_fmt);
  path.replace(path.find(u"%s"), 2, folder);
  return path;
}

}  // namespace

void set_dest_dir(const char16_t* _dest_dir) {
  if (!QEL_ASSERT(_dest_dir && _dest_dir[0]))
    return;
  store_dest_dir(_dest_dir);
}

bool get_dest_dir(char16_t* _dest_dir, uint32_t _len) {
  if (!QEL_ASSERT(_dest_dir && _len))
    return false;
  QEL_ASSERT(_len >= g_qel_avi_file_max_path_len);
  // One character stays free for the terminator: a stored path that fills the whole buffer
  // counts as too long and is replaced like a missing one. So is a stored value that holds no
  // character (one byte, or a terminator first): recordings would go to the drive's root.
  uint32_t out_count = 0;
  bool rtn = dest_dir_value().GetBinary(_dest_dir, (_len - 1) * 2, &out_count);
  if (rtn && out_count) {
    QEL_ASSERT((!rtn && !out_count) || (rtn && out_count));
    QEL_ASSERT_MSG(out_count <= g_qel_avi_file_max_path_len * sizeof(char16_t),
                   "out_count <= g_qel_avi_file_max_path_len * sizeof(WCHAR)");
    _dest_dir[out_count / 2] = u'\0';
    if (_dest_dir[0])
      return true;
  }
  std::u16string path = default_dest_dir();
  if (!QEL_ASSERT(path.size() < _len)) {
    _dest_dir[0] = u'\0';
    return false;
  }
  std::memcpy(_dest_dir, path.c_str(), (path.size() + 1) * sizeof(char16_t));
  store_dest_dir(path);
  return true;
}

void normalize_output_settings(qel_output_settings* settings) {
  settings->profile_number = 0;
  std::memset(settings->profile_name, 0, sizeof settings->profile_name);
  for (const OutputField& field : kOutputFields) {
    int32_t& value = settings->*field.member;
    if (value < field.min || value > field.max)
      value = field.fallback;
  }
}

void load_output_settings(qel_output_settings* settings) {
  output_value("profile_name").GetString(settings->profile_name, sizeof settings->profile_name);
  for (const OutputField& field : kOutputFields)
    output_value(field.name).GetDWORD(&(settings->*field.member));
  normalize_output_settings(settings);
}

void save_output_settings(qel_output_settings* settings) {
  normalize_output_settings(settings);
  for (const OutputField& field : kOutputFields)
    if (field.saved)
      output_value(field.name).SetDWORD(settings->*field.member);
}

int get_output_audio_settings() {
  int32_t value = 0;
  output_value("output_audio_settings").GetDWORD(&value);
  return value < 2 || value > 4 ? 4 : value;
}

void set_output_audio_settings(int value) {
  output_value("output_audio_settings").SetDWORD(value < 2 || value > 4 ? 4 : value);
}

int get_output_video_settings() {
  int32_t value = 0;
  output_value("output_video_settings").GetDWORD(&value);
  return value <= 0 || value > 6 ? 4 : value;
}

void set_output_video_settings(int value) {
  output_value("output_video_settings").SetDWORD(value <= 0 || value > 6 ? 4 : value);
}

bool get_auto_record() {
  bool on = false;
  output_value("auto_record").GetBool(&on);
  return on;
}

void set_auto_record(bool on) {
  output_value("auto_record").SetBool(on);
}

bool get_auto_start() {
  std::string text(kZulProfileNameMax, '\0');
  run_value().GetString(text.data(), kZulProfileNameMax - 1);
  return text[0] != '\0';
}

std::string auto_start_command(const std::string& program_path) {
  return "\"" + program_path + "\" " + kAutoStartArgs;
}

void set_auto_start(bool on) {
  std::string path = platform::program_path_ansi();
  size_t len = path.size();
  if (!QEL_ASSERT(len))
    return;
  run_value().SetString(on ? auto_start_command(path) : std::string());
}

bool set_history_wfex(uint32_t _sample_rate,
                      uint32_t _channels,
                      uint32_t _sample_bits,
                      bool is_local) {
  if (!QEL_ASSERT(_sample_rate && _channels && _sample_bits))
    return false;
  bool ok = wfex_value(is_local, "sample_rate").SetDWORD(_sample_rate);
  ok = wfex_value(is_local, "channels").SetDWORD(_channels) && ok;
  return wfex_value(is_local, "sample_bits").SetDWORD(_sample_bits) && ok;
}

bool get_history_wfex(uint32_t* _sample_rate,
                      uint32_t* _channels,
                      uint32_t* _sample_bits,
                      bool is_local) {
  if (!QEL_ASSERT(_sample_rate && _channels) || !_sample_bits)
    return false;
  uint32_t rate = 0, channels = 0, bits = 0;
  wfex_value(is_local, "sample_rate").GetDWORD(&rate);
  wfex_value(is_local, "channels").GetDWORD(&channels);
  wfex_value(is_local, "sample_bits").GetDWORD(&bits);
  if (!rate || !channels || !bits)
    return false;
  *_sample_rate = rate;
  *_channels = channels;
  *_sample_bits = bits;
  return true;
}

}  // namespace qel_app_setting
