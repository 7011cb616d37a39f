#include "app/qel_iapp.h"

#include <gtest/gtest.h>

#include "library/qel_app_constants.h"
#include "qel_lib/qel_assert_capture.h"

namespace {

class TestApp : public ZulIApp {
 public:
  void Shutdown() override { ++shutdowns; }
  void Finalize() override { ZulIApp::Finalize(); }
  bool CreateValid() {
    if (!Create())
      return false;
    mIsValid = true;
    return true;
  }
  int shutdowns = 0;
};

class IAppTest : public ::testing::Test {
 protected:
  void TearDown() override { EXPECT_EQ(gApp, nullptr); }
  AssertCapture capture;
};

TEST_F(IAppTest, CreateSetsGAppAndHiddenTopWindowThatFinalizeRemoves) {
  shared_ptr<TestApp> app(new TestApp);
  ASSERT_TRUE(app->CreateValid());
  ASSERT_NE(gApp, nullptr);
  EXPECT_EQ(gApp->lock().get(), app.get());
  HWND top = FindWindowA(g_qel_app_top_wnd_class, nullptr);
  ASSERT_NE(top, nullptr);
  EXPECT_EQ(top, app->GetAppTopWnd());
  EXPECT_FALSE(IsWindowVisible(top));
  EXPECT_EQ(GetWindowLongA(top, GWL_STYLE) & (WS_POPUP | WS_DISABLED), WS_POPUP | WS_DISABLED);

  app->Finalize();
  EXPECT_EQ(gApp, nullptr);
  EXPECT_FALSE(IsWindow(top));
  WNDCLASSEXA wc = {};
  wc.cbSize = sizeof wc;
  EXPECT_FALSE(GetClassInfoExA(nullptr, g_qel_app_top_wnd_class, &wc));
  EXPECT_EQ(capture.count(), 0u);

  app->Finalize();
  EXPECT_TRUE(capture.Has("ZulIApp::Finalize", "mIsValid"));
}

TEST_F(IAppTest, SecondApplicationIsRefusedWhileOneExists) {
  shared_ptr<TestApp> first(new TestApp);
  ASSERT_TRUE(first->CreateValid());
  {
    shared_ptr<TestApp> second(new TestApp);
    EXPECT_TRUE(capture.Has("ZulIApp::ZulIApp", "!gApp"));
    capture.Clear();
    EXPECT_FALSE(second->CreateValid());
    EXPECT_TRUE(capture.Has("ZulIApp::Create", "!gApp"));
  }
  // Dropping the refused one leaves the first in place.
  ASSERT_NE(gApp, nullptr);
  EXPECT_EQ(gApp->lock().get(), first.get());
  first->Finalize();
}

TEST_F(IAppTest, ApplicationDestroyedWithoutFinalizeLeavesNoStaleGApp) {
  {
    shared_ptr<TestApp> app(new TestApp);
    ASSERT_TRUE(app->Create());
    ASSERT_NE(gApp, nullptr);
  }
  EXPECT_EQ(gApp, nullptr);
  EXPECT_EQ(FindWindowA(g_qel_app_top_wnd_class, nullptr), nullptr);
  shared_ptr<TestApp> next(new TestApp);
  EXPECT_EQ(capture.count(), 0u);
}

TEST_F(IAppTest, ShutdownMessageReachesTheApplicationOnly) {
  shared_ptr<TestApp> app(new TestApp);
  ASSERT_TRUE(app->CreateValid());
  HWND top = app->GetAppTopWnd();
  ASSERT_NE(WM_ZUL_SHUTDOWN_APP, 0u);
  EXPECT_EQ(WM_ZUL_SHUTDOWN_APP, RegisterWindowMessageA(g_qel_wm_shutdown_app_name));
  SendMessageA(top, WM_USER + 1, 0, 0);
  EXPECT_EQ(app->shutdowns, 0);
  SendMessageA(top, WM_ZUL_SHUTDOWN_APP, 0, 0);
  EXPECT_EQ(app->shutdowns, 1);
  app->Finalize();
  EXPECT_EQ(capture.count(), 0u);
}

TEST_F(IAppTest, ShutdownMessageWithoutApplicationIsReported) {
  RegisterWM();
  EXPECT_EQ(Proc_AppTopWnd(nullptr, WM_ZUL_SHUTDOWN_APP, 0, 0), 0);
  EXPECT_TRUE(capture.Has("Proc_AppTopWnd", "false"));
}

}  // namespace
