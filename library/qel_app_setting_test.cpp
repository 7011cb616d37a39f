#include "library/qel_app_setting.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "library/qel_app_constants.h"
#include "library/recording_test_util.h"
#include "platform/paths.h"
#include "platform/testing/test_env.h"
#include "qel_lib/qel_assert_capture.h"
#if defined(_WIN32)
#include "platform/win32/win.h"
// After the gateway: shellapi.h needs windows.h first.
#include <shellapi.h>
#endif

namespace {

namespace setting = qel_app_setting;

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr char kInstalledProgram[] =
    "C:\\Program Files\\Corvelle Software\\Quorvantine for Msn\\quorvantine_msn.exe";

ZulProfileKey product(const char* sub) {
  return ZulProfileKey::Root_CurrentUser().GetSubKey(g_qel_settings_path).GetSubKey(sub);
}

void delete_value(const std::string& path, const char* name) {
  platform::RegKey key = nullptr;
  if (platform::reg_open_key(platform::reg_current_user(), path.c_str(), &key) != 0)
    return;
  platform::reg_delete_value(key, name);
  platform::reg_close_key(key);
}

// Under Wine the settings live in the test prefix's real registry, shared by test processes
// running side by side: the registry lock keeps them apart and each test cleans up.
void clear_settings() {
  for (const char* sub : {"0", "local_wfex", "remote_wfex"})
    ZulProfileKey::Root_CurrentUser().GetSubKey(g_qel_settings_path).RemoveSubKey(sub);
  delete_value(std::string(g_qel_settings_path) + "\\avi_file_info_cache", "dest_dir");
  delete_value(kRunKey, "quorvantine_msn");
  for (const char* name : {"record_start_min_free_mb", "record_stop_min_free_mb"})
    delete_value(g_qel_settings_path, name);
}

// In MB, start then stop, after storing those.
std::pair<uint64_t, uint64_t> thresholds_mb(int32_t start_mb, int32_t stop_mb) {
  ZulProfileKey key = ZulProfileKey::Root_CurrentUser().GetSubKey(g_qel_settings_path);
  key.GetValue("record_start_min_free_mb").SetDWORD(start_mb);
  key.GetValue("record_stop_min_free_mb").SetDWORD(stop_mb);
  setting::qel_disk_thresholds t = setting::get_disk_thresholds();
  return {t.start_bytes >> 20, t.stop_bytes >> 20};
}

class AppSettingTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test_env::registry_reset();
    test_env::use_documents_folder(docs_.path().string());
    clear_settings();
  }
  void TearDown() override {
    clear_settings();
    test_env::use_documents_folder("");
  }

  static std::unique_ptr<qel_output_settings> Load() {
    auto settings = std::make_unique<qel_output_settings>();
    setting::load_output_settings(settings.get());
    return settings;
  }

  rec_test::RegistryLock lock_;
  rec_test::ScratchFolder docs_{"docs"};
};

TEST_F(AppSettingTest, FreshProfileLoadsDefaults) {
  auto s = Load();
  const int32_t loaded[] = {s->container_file_fmt,  s->audio_codec,         s->audio_channels,
                            s->audio_sampling_rate, s->audio_settings,      s->video_codec,
                            s->video_img_size,      s->video_frame_rate,    s->video_settings,
                            s->video_local_pos_PIP, s->video_local_pos_SBS, s->video_local_size};
  EXPECT_THAT(loaded, ::testing::ElementsAre(1, 1, 2, 3, 4, 3, 7, 1, 4, 4, 6, 2));
  EXPECT_FALSE(setting::get_auto_record());
  EXPECT_EQ(setting::get_output_audio_settings(), 4);
  EXPECT_EQ(setting::get_output_video_settings(), 4);
}

TEST_F(AppSettingTest, OutOfRangeStoredValuesLoadAsDefaults) {
  product("0").GetValue("output_video_img_size").SetDWORD(1);
  product("0").GetValue("output_video_local_pos_PIP").SetDWORD(5);
  product("0").GetValue("output_video_local_pos_SBS").SetDWORD(4);
  product("0").GetValue("output_video_frame_rate").SetDWORD(2);
  product("0").GetValue("profile_name").SetString("someone");
  auto s = Load();
  EXPECT_EQ(s->video_img_size, 7);
  EXPECT_EQ(s->video_local_pos_PIP, 4);
  EXPECT_EQ(s->video_local_pos_SBS, 6);
  EXPECT_EQ(s->video_frame_rate, 2);
  EXPECT_EQ(s->profile_name[0], '\0');
}

TEST_F(AppSettingTest, SaveWritesOnlyTheUserSelectableValues) {
  product("0").GetValue("output_container_file_fmt").SetDWORD(9);
  auto s = Load();
  EXPECT_EQ(s->container_file_fmt, 1);
  s->video_settings = 5;
  s->audio_settings = 99;
  setting::save_output_settings(s.get());
  EXPECT_EQ(s->audio_settings, 4);

  uint32_t value = 0;
  EXPECT_TRUE(product("0").GetValue("output_container_file_fmt").GetDWORD(&value));
  EXPECT_EQ(value, 9u);
  EXPECT_FALSE(product("0").GetValue("output_audio_codec").GetDWORD(&value));
  EXPECT_TRUE(product("0").GetValue("output_video_local_size").GetDWORD(&value));
  EXPECT_EQ(value, 2u);
  EXPECT_EQ(setting::get_output_video_settings(), 5);
  setting::set_output_video_settings(7);
  EXPECT_EQ(setting::get_output_video_settings(), 4);
  setting::set_output_audio_settings(1);
  EXPECT_EQ(setting::get_output_audio_settings(), 4);

  // A stored mode outside 1..6 (written by hand or by a later version) reads as the default.
  for (uint32_t stored : {0u, 7u, 100u}) {
    product("0").GetValue("output_video_settings").SetDWORD(stored);
    EXPECT_EQ(setting::get_output_video_settings(), 4) << stored;
  }
  product("0").GetValue("output_video_settings").SetDWORD(6);
  EXPECT_EQ(setting::get_output_video_settings(), 6);
}

TEST_F(AppSettingTest, DestDirIsComputedOnceAndKept) {
  std::u16string docs;
  ASSERT_TRUE(platform::documents_folder(&docs));
  char16_t dir[g_qel_avi_file_max_path_len];
  ASSERT_TRUE(setting::get_dest_dir(dir, g_qel_avi_file_max_path_len));
  EXPECT_EQ(std::u16string(dir), docs + u"\\Quorvantine Records for Msn");

  char16_t stored[g_qel_avi_file_max_path_len] = {};
  uint32_t count = 0;
  ASSERT_TRUE(
      product("avi_file_info_cache").GetValue("dest_dir").GetBinary(stored, sizeof stored, &count));
  EXPECT_EQ(count, std::char_traits<char16_t>::length(dir) * 2);

  setting::set_dest_dir(u"D:\\recordings");
  ASSERT_TRUE(setting::get_dest_dir(dir, g_qel_avi_file_max_path_len));
  EXPECT_EQ(std::u16string(dir), u"D:\\recordings");

  AssertCapture capture;
  setting::set_dest_dir(u"");
  EXPECT_TRUE(capture.Has("qel_app_setting::set_dest_dir", "_dest_dir && _dest_dir[0]"));
  ASSERT_TRUE(setting::get_dest_dir(dir, g_qel_avi_file_max_path_len));
  EXPECT_EQ(std::u16string(dir), u"D:\\recordings");
}

TEST_F(AppSettingTest, StoredDestDirThatFillsTheBufferOrHoldsNoCharacterIsReplaced) {
  std::u16string full(g_qel_avi_file_max_path_len, u'x');
  setting::set_dest_dir(full.c_str());
  auto dir = std::make_unique<char16_t[]>(g_qel_avi_file_max_path_len);
  ASSERT_TRUE(setting::get_dest_dir(dir.get(), g_qel_avi_file_max_path_len));
  std::u16string got(dir.get());
  EXPECT_NE(got.find(u"\\Quorvantine Records for Msn"), std::u16string::npos);

  ZulProfileValue stored = product("avi_file_info_cache").GetValue("dest_dir");
  const char16_t terminator_first[] = u"\0C:\\x";
  for (uint32_t bytes : {1u, 2u, 6u}) {
    ASSERT_TRUE(stored.SetBinary(terminator_first, bytes));
    ASSERT_TRUE(setting::get_dest_dir(dir.get(), g_qel_avi_file_max_path_len));
    EXPECT_EQ(std::u16string(dir.get()), got) << bytes << " bytes";
  }

  std::u16string longest(g_qel_avi_file_max_path_len - 1, u'y');
  setting::set_dest_dir(longest.c_str());
  ASSERT_TRUE(setting::get_dest_dir(dir.get(), g_qel_avi_file_max_path_len));
  EXPECT_EQ(std::u16string(dir.get()), longest);
}

TEST_F(AppSettingTest, AutoStartWritesTheRunValueAndDisablingLeavesItEmpty) {
  setting::set_auto_start(true);
  EXPECT_TRUE(setting::get_auto_start());
  ZulProfileValue run =
      ZulProfileKey::Root_CurrentUser().GetSubKey(kRunKey).GetValue("quorvantine_msn");
  char text[4096] = {};
  ASSERT_TRUE(run.GetString(text, sizeof text));
  EXPECT_EQ(std::string(text), "\"" + platform::program_path_ansi() + "\" /start_context sys_auto");

  setting::set_auto_start(false);
  EXPECT_FALSE(setting::get_auto_start());
  uint32_t count = 99;
  unsigned char raw[8];
  EXPECT_TRUE(run.GetBinary(raw, sizeof raw, &count));
  EXPECT_LE(count, 1u);
}

TEST_F(AppSettingTest, AutoStartReadsTheUnquotedValueOfEarlierVersions) {
  ZulProfileValue run =
      ZulProfileKey::Root_CurrentUser().GetSubKey(kRunKey).GetValue("quorvantine_msn");
  ASSERT_TRUE(run.SetString(std::string(kInstalledProgram) + " /start_context sys_auto"));
  EXPECT_TRUE(setting::get_auto_start());
  // Switching it on again writes the quoted form.
  setting::set_auto_start(true);
  char text[4096] = {};
  ASSERT_TRUE(run.GetString(text, sizeof text));
  EXPECT_EQ(text[0], '"');
}

#if defined(_WIN32)
// The shell splits the logon command as any command line: the quoted path comes back whole.
TEST_F(AppSettingTest, AutoStartCommandKeepsAPathWithSpacesInOnePiece) {
  std::string command = setting::auto_start_command(kInstalledProgram);
  std::wstring wide(command.begin(), command.end());
  int argc = 0;
  wchar_t** argv = CommandLineToArgvW(wide.c_str(), &argc);
  ASSERT_NE(argv, nullptr);
  std::vector<std::wstring> args(argv, argv + argc);
  LocalFree(argv);
  std::string program(kInstalledProgram);
  EXPECT_EQ(args, (std::vector<std::wstring>{std::wstring(program.begin(), program.end()),
                                             L"/start_context", L"sys_auto"}));
}
#endif

TEST_F(AppSettingTest, HistoryWaveFormatNeedsAllThreeValues) {
  AssertCapture capture;
  EXPECT_FALSE(setting::set_history_wfex(44100, 0, 16, true));
  EXPECT_TRUE(capture.Has("qel_app_setting::set_history_wfex",
                          "_sample_rate && _channels && _sample_bits"));
  uint32_t rate = 1, channels = 1, bits = 1;
  EXPECT_FALSE(setting::get_history_wfex(&rate, &channels, &bits, true));
  EXPECT_EQ(rate + channels + bits, 3u);

  EXPECT_TRUE(setting::set_history_wfex(44100, 2, 16, true));
  EXPECT_FALSE(setting::get_history_wfex(&rate, &channels, &bits, false));
  EXPECT_TRUE(setting::get_history_wfex(&rate, &channels, &bits, true));
  EXPECT_EQ(rate, 44100u);
  EXPECT_EQ(channels, 2u);
  EXPECT_EQ(bits, 16u);

  // A stored format missing any one value is no format at all.
  for (const char* missing : {"sample_rate", "channels", "sample_bits"}) {
    ASSERT_TRUE(setting::set_history_wfex(8000, 1, 8, false));
    product("remote_wfex").GetValue(missing).SetDWORD(0);
    rate = channels = bits = 5;
    EXPECT_FALSE(setting::get_history_wfex(&rate, &channels, &bits, false)) << missing;
    EXPECT_EQ(rate + channels + bits, 15u) << missing;
  }
}

TEST_F(AppSettingTest, DiskThresholdsFallBackToTheirDefaultsAndStartNeverBelowStop) {
  using Mb = std::pair<uint64_t, uint64_t>;
  EXPECT_EQ(setting::get_disk_thresholds().start_bytes, 500u << 20) << "fresh profile";
  EXPECT_EQ(thresholds_mb(800, 300), Mb(800, 300));
  EXPECT_EQ(thresholds_mb(0, 20000), Mb(500, 200));
  EXPECT_EQ(thresholds_mb(-1, 9), Mb(500, 200));
  EXPECT_EQ(thresholds_mb(100, 150), Mb(150, 150));
}

TEST(AppSettingTablesTest, UnknownValuesReportAndFallBack) {
  AssertCapture capture;
  EXPECT_EQ(setting::static_get_cmd_id_by_audio_settings(0), 32810u);
  EXPECT_EQ(setting::static_get_ui_cmd_id_by_audio_settings(5), 0u);
  EXPECT_EQ(setting::static_get_video_settings_by_cmd_id(1), 0);
  EXPECT_EQ(setting::static_get_cmd_id_by_video_settings(0), 32812u);
  EXPECT_EQ(std::u16string(setting::static_get_video_local_pos_str(7)), u"Bottom-Right");
  EXPECT_EQ(std::u16string(setting::static_get_video_img_size_str(0)), u"320x240");
  EXPECT_EQ(std::u16string(setting::dojob_get_video_img_size_name(11)), u"invalid");
  int w = -1, h = -1;
  EXPECT_FALSE(setting::dojob_get_video_img_size_wxh(-1, &w, &h));
  EXPECT_EQ(w, -1);
  EXPECT_TRUE(setting::dojob_get_video_img_size_wxh(0, &w, &h));
  EXPECT_EQ(w + h, 0);
  EXPECT_EQ(capture.count(), 8u);
}

}  // namespace
