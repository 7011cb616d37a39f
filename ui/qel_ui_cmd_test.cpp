#include "ui/qel_ui_cmd.h"

#include <gtest/gtest.h>

#include "library/qel_app_setting.h"

namespace {

namespace setting = qel_app_setting;

struct ModeIds {
  int mode;
  qel_wnd_cmd_id menu_id;
  qel_ui_cmd_id code;
};

// The settings' value tables hold the same ids as numbers: a mode chosen from a menu must
// publish the code the application reads back as that mode.
TEST(UiCmdIdsTest, SettingTablesAgreeWithTheMenuIdsAndCodes) {
  const ModeIds audio[] = {{1, kQelWndAudioNone, kQelCmdAudioNone},
                           {2, kQelWndAudioMicrophone, kQelCmdAudioMicrophone},
                           {3, kQelWndAudioSpeaker, kQelCmdAudioSpeaker},
                           {4, kQelWndAudioBoth, kQelCmdAudioBoth}};
  for (const ModeIds& m : audio) {
    EXPECT_EQ(setting::static_get_cmd_id_by_audio_settings(m.mode), m.menu_id) << m.mode;
    EXPECT_EQ(setting::static_get_audio_settings_by_cmd_id(m.menu_id), m.mode);
    EXPECT_EQ(setting::static_get_ui_cmd_id_by_audio_settings(m.mode),
              static_cast<uint32_t>(m.code));
  }
  const ModeIds video[] = {{1, kQelWndVideoNone, kQelCmdVideoNone},
                           {2, kQelWndVideoLocal, kQelCmdVideoLocal},
                           {3, kQelWndVideoRemote, kQelCmdVideoRemote},
                           {4, kQelWndVideoPicInPic, kQelCmdVideoPicInPic},
                           {5, kQelWndVideoSideBySide, kQelCmdVideoSideBySide},
                           {6, kQelWndVideoSeparate, kQelCmdVideoSeparate}};
  for (const ModeIds& m : video) {
    EXPECT_EQ(setting::static_get_cmd_id_by_video_settings(m.mode), m.menu_id) << m.mode;
    EXPECT_EQ(setting::static_get_video_settings_by_cmd_id(m.menu_id), m.mode);
    EXPECT_EQ(setting::static_get_ui_cmd_id_by_video_settings(m.mode),
              static_cast<uint32_t>(m.code));
  }
}

}  // namespace
