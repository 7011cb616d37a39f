#include "app/qel_app.h"

#include <gtest/gtest.h>

#include "app/qel_ui_top_wnd.h"
#include "app/testing/auto_start_setting.h"
#include "library/qel_app_constants.h"
#include "library/qel_app_setting.h"
#include "platform/event_loop.h"
#include "qel_lib/qel_assert_capture.h"
#include "ui/qel_top_wnd.h"

namespace {

class AppTest : public ::testing::Test {
 protected:
  void TearDown() override {
    EXPECT_EQ(gApp, nullptr);
    EXPECT_EQ(FindWindowA(g_qel_app_top_wnd_class, nullptr), nullptr);
    EXPECT_EQ(FindWindowA(g_qel_ui_top_wnd_class, nullptr), nullptr);
  }
  AssertCapture capture;
  qel_testing::AutoStartSetting enable;
};

TEST_F(AppTest, ManualStartBuildsWindowsAndSwitchesAutoStartBackOn) {
  enable.Set(0);
  shared_ptr<c_quorvantine_app> app(new c_quorvantine_app);
  ASSERT_TRUE(app->Create(u"/start_context user_manual"));
  EXPECT_EQ(enable.Get(), 1);
  EXPECT_NE(FindWindowA(g_qel_app_top_wnd_class, nullptr), nullptr);
  EXPECT_EQ(FindWindowA(g_qel_ui_top_wnd_class, nullptr), g_hwnd_ui_top);
  HWND main_wnd = app->GetTopWndHandle();
  ASSERT_NE(main_wnd, nullptr);
  EXPECT_TRUE(IsWindowVisible(main_wnd));
  // The application itself and the UI object of its own COM application object.
  EXPECT_EQ(app->GetTopWnd()->m_ui_cmd_sink.size(), 2u);

  EXPECT_FALSE(app->Create(u""));
  EXPECT_TRUE(capture.Has("c_quorvantine_app::Create", "!mIsValid"));
  capture.Clear();

  app->Finalize();
  EXPECT_FALSE(app->IsValid());
  EXPECT_FALSE(IsWindow(main_wnd));
  EXPECT_FALSE(app->GetTopWnd().valid());
  EXPECT_EQ(g_hwnd_ui_top, nullptr);
  EXPECT_EQ(capture.count(), 0u);
}

TEST_F(AppTest, ExitCommandSwitchesAutoStartOffAndEndsTheLoop) {
  enable.Set(1);
  shared_ptr<c_quorvantine_app> app(new c_quorvantine_app);
  ASSERT_TRUE(app->Create(u""));
  app->OnWndEvent(nullptr);
  EXPECT_TRUE(capture.Has("c_quorvantine_app::OnWndEvent", "_ui_cmd"));
  EXPECT_TRUE(app->IsValid());

  qel_ui_cmd exit_cmd{5, 0};
  app->GetTopWnd()->m_ui_cmd_sink.Notify(&exit_cmd);
  EXPECT_EQ(enable.Get(), 0);
  EXPECT_FALSE(app->IsValid());
  MSG msg;
  EXPECT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
}

// The window's drop-downs publish one code per mode: each must save the mode it names.
TEST_F(AppTest, ModeCommandsOfTheWindowSaveTheModeTheyName) {
  enable.Set(1);
  int audio = qel_app_setting::get_output_audio_settings();
  int video = qel_app_setting::get_output_video_settings();
  shared_ptr<c_quorvantine_app> app(new c_quorvantine_app);
  ASSERT_TRUE(app->Create(u""));
  auto publish = [&](uint32_t code) {
    qel_ui_cmd cmd{static_cast<int32_t>(code), 0};
    app->GetTopWnd()->m_ui_cmd_sink.Notify(&cmd);
  };
  // Audio "None" is not a mode that is kept: the saved ones run from 2 to 4.
  for (int mode = 2; mode <= 4; ++mode) {
    publish(qel_app_setting::static_get_ui_cmd_id_by_audio_settings(mode));
    EXPECT_EQ(qel_app_setting::get_output_audio_settings(), mode);
  }
  for (int mode = 1; mode <= 6; ++mode) {
    publish(qel_app_setting::static_get_ui_cmd_id_by_video_settings(mode));
    EXPECT_EQ(qel_app_setting::get_output_video_settings(), mode);
  }
  qel_app_setting::set_output_audio_settings(audio);
  qel_app_setting::set_output_video_settings(video);
  app->Finalize();
  EXPECT_EQ(capture.count(), 0u);
}

// qel_create_app keeps one application per process, so its rules share one test.
TEST_F(AppTest, CreatedApplicationAnswersTheShowUiMessage) {
  enable.Set(1);
  EXPECT_FALSE(qel_get_app().valid());
  shared_ptr<c_quorvantine_app> app = qel_create_app(u"/start_context user_manual");
  ASSERT_TRUE(app.valid());
  EXPECT_EQ(qel_get_app().get(), app.get());
  EXPECT_EQ(qel_create_app(u"/start_context sys_auto").get(), app.get());
  HWND main_wnd = app->GetTopWndHandle();

  EXPECT_TRUE(qel_send_show_ui(0));
  EXPECT_FALSE(IsWindowVisible(main_wnd));
  EXPECT_TRUE(qel_send_show_ui(1));
  // Showing goes through a posted command.
  EXPECT_TRUE(platform::run_loop_until([&] { return IsWindowVisible(main_wnd) != 0; }, 5000));

  app->Finalize();
  EXPECT_EQ(capture.count(), 0u);
}

TEST_F(AppTest, ShowUiMessageWithoutMainWindowIsReported) {
  qel_register_ui_wm();
  EXPECT_EQ(wndproc_ui_top_wnd(nullptr, g_WM_ZUL_SHOW_UI, 1, 0), 0);
  EXPECT_TRUE(capture.Has("wndproc_ui_top_wnd", "top_wnd.m_hWnd"));
}

}  // namespace
