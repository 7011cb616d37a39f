#include "messenger/qel_oc_inst_wrap.h"

#include <gtest/gtest.h>

#include <vector>

#include "app/qel_app.h"
#include "messenger/messenger_test_env.h"
#include "qel_lib/qel_assert_capture.h"

namespace {

// Windows standing in for a messenger instance's hidden, top agent and main windows.
HWND make_wnd() {
  return CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
}

class OCInstWrapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rep = live_rep();
    ASSERT_TRUE(rep.valid());
    rep->Finalize();
    ASSERT_TRUE(rep->Create());
    fake_hook().calls.clear();
  }
  void TearDown() override {
    rep->Finalize();
    for (HWND w : windows)
      DestroyWindow(w);
  }
  HWND Wnd() {
    windows.push_back(make_wnd());
    return windows.back();
  }
  // The static window that entry 6 handed to the component for this hidden window.
  HWND StaticFor(HWND hidden) {
    for (const FakeHookCall& c : fake_hook().calls)
      if (c.entry == kHookFnSetSink && c.b == hidden)
        return c.a;
    return nullptr;
  }
  LRESULT Send(HWND static_wnd, int entry, HWND wparam, HWND lparam) {
    return SendMessageA(static_wnd, fake_hook().wm[entry], reinterpret_cast<WPARAM>(wparam),
                        reinterpret_cast<LPARAM>(lparam));
  }
  int Calls(int entry) { return fake_hook().Count(entry); }

  shared_ptr<ZulMsnOCInstWrapRep> rep;
  std::vector<HWND> windows;
  AssertCapture capture;
};

TEST_F(OCInstWrapTest, EachLiveInstanceIsWrappedOnce) {
  HWND hidden_a = Wnd(), hidden_b = Wnd(), main_b = Wnd();
  HWND dead = make_wnd();
  DestroyWindow(dead);
  fake_hook().Report({{101, hidden_a, nullptr, nullptr},
                      {102, hidden_b, main_b, nullptr},
                      {103, dead, nullptr, nullptr}});
  EXPECT_EQ(rep->size(), 2u);
  EXPECT_FALSE(rep->Find(103).valid());
  EXPECT_EQ(Calls(kHookFnSetSink), 2);
  EXPECT_EQ(capture.count(), 0u);

  HWND static_a = StaticFor(hidden_a);
  ASSERT_NE(static_a, nullptr);
  EXPECT_EQ(rep->Find(101)->GetStaticWnd(), static_a);
  EXPECT_EQ(GetParent(static_a), qel_get_app()->GetTopWndHandle());
  EXPECT_EQ(GetWindowLongPtrA(static_a, GWLP_USERDATA), 101);
  EXPECT_FALSE(IsWindowVisible(static_a));
  // A pending main window is not the known one until the component says so.
  EXPECT_EQ(rep->Find(102)->GetMainWnd(), main_b);

  // The same process again keeps its first wrapper.
  fake_hook().Report({{101, Wnd(), nullptr, nullptr}});
  EXPECT_EQ(rep->size(), 2u);
  EXPECT_EQ(rep->Find(101)->GetStaticWnd(), static_a);
  EXPECT_TRUE(capture.Has("ZulMsnOCInstWrapRep::OnOCNewed", "false"));

  // Records without a hidden window are reported and skipped; the rest still count.
  capture.Clear();
  fake_hook().Report({{104, nullptr, nullptr, nullptr}, {105, Wnd(), nullptr, nullptr}});
  EXPECT_TRUE(capture.Has("Callback_OnNewOC", "false"));
  EXPECT_TRUE(rep->Find(105).valid());
  EXPECT_EQ(Callback_OnNewOC(nullptr, rep.get()), 0);
  EXPECT_TRUE(capture.Has("Callback_OnNewOC", "_usrData && _info"));
}

// An instance that ends while its wrapper is made leaves no wrapper behind.
TEST_F(OCInstWrapTest, InstanceGoneDuringCreateIsNotKept) {
  HWND dead = make_wnd();
  DestroyWindow(dead);
  qel_oc_info info = {201, dead, nullptr, nullptr};
  EXPECT_TRUE(rep->OnOCNewed(&info));
  EXPECT_EQ(rep->size(), 0u);
  EXPECT_EQ(Calls(kHookFnSetSink), 1);
  EXPECT_EQ(Calls(kHookFnDetach), 1);
}

TEST_F(OCInstWrapTest, MainWindowIsAttachedInBothOrders) {
  HWND hidden = Wnd(), top = Wnd(), main = Wnd();
  // Main window known at the report: attached once the top agent is known.
  fake_hook().Report({{301, hidden, main, nullptr}});
  HWND static_wnd = StaticFor(hidden);
  Send(static_wnd, kHookWmHiddenKnown, hidden, top);
  ASSERT_EQ(Calls(kHookFnAttach), 1);
  const FakeHookCall& attach = fake_hook().calls.back();
  EXPECT_EQ(attach.a, top);
  EXPECT_EQ(attach.b, main);
  EXPECT_EQ(attach.c, static_wnd);
  shared_ptr<ZulMsnOCInstWrap> wrap = rep->Find(301);
  EXPECT_EQ(wrap->GetMainWnd(), nullptr);
  Send(static_wnd, kHookWmMainKnown, main, top);
  EXPECT_EQ(wrap->GetLiveMainWnd(), main);
  Send(static_wnd, kHookWmMainGone, nullptr, nullptr);
  EXPECT_EQ(wrap->GetMainWnd(), nullptr);

  // A main window created later arrives as message 1.
  HWND main2 = Wnd();
  Send(static_wnd, kHookWmMainCreated, main2, nullptr);
  ASSERT_EQ(Calls(kHookFnAttach), 2);
  EXPECT_EQ(fake_hook().calls.back().b, main2);
  EXPECT_EQ(wrap->GetMainWnd(), nullptr);
  Send(static_wnd, kHookWmMainKnown, main2, top);
  EXPECT_EQ(wrap->GetMainWnd(), main2);
  EXPECT_EQ(capture.count(), 0u);

  // A dead main window is known but not live.
  DestroyWindow(main2);
  EXPECT_EQ(wrap->GetLiveMainWnd(), nullptr);
}

TEST_F(OCInstWrapTest, InconsistentMessagesAreReportedAndGoNoFurther) {
  HWND hidden = Wnd(), top = Wnd();
  fake_hook().Report({{401, hidden, nullptr, nullptr}});
  HWND static_wnd = StaticFor(hidden);
  // Message 1 before the top agent is known: nothing is attached to a null window.
  Send(static_wnd, kHookWmMainCreated, Wnd(), nullptr);
  EXPECT_TRUE(capture.Has("ZulMsnOCInstWrap::on_main_created",
                          "hwnd_oc_main && m_hwndOCTopAgent && m_hwndStatic"));
  EXPECT_EQ(Calls(kHookFnAttach), 0);
  Send(static_wnd, kHookWmHiddenKnown, nullptr, top);
  EXPECT_TRUE(capture.Has("ZulMsnOCInstWrap::on_hidden_known", "false"));
  Send(static_wnd, kHookWmAccepted, nullptr, nullptr);
  EXPECT_TRUE(capture.Has("ZulMsnOCInstWrap::OnOCMsgs", "false"));
  // Ids outside the handled entries are the STATIC class's business.
  SetWindowTextA(static_wnd, "static text");
  char text[32] = {};
  GetWindowTextA(static_wnd, text, sizeof text);
  EXPECT_STREQ(text, "static text");
  EXPECT_TRUE(rep->Find(401).valid());
}

TEST_F(OCInstWrapTest, InstanceEndRemovesTheWrapperAndLaterMessagesOnlyReport) {
  HWND hidden = Wnd(), top = Wnd(), main = Wnd();
  fake_hook().Report({{501, hidden, nullptr, nullptr}});
  HWND static_wnd = StaticFor(hidden);
  Send(static_wnd, kHookWmHiddenKnown, hidden, top);
  Send(static_wnd, kHookWmMainKnown, main, top);
  Send(static_wnd, kHookWmInstanceEnded, nullptr, nullptr);
  EXPECT_FALSE(rep->Find(501).valid());
  EXPECT_FALSE(IsWindow(static_wnd));
  ASSERT_EQ(Calls(kHookFnDetach), 1);
  EXPECT_EQ(fake_hook().calls.back().a, top);
  EXPECT_EQ(fake_hook().calls.back().b, static_wnd);
  EXPECT_EQ(capture.count(), 0u);

  ProcStaticCtrl_New(static_wnd, fake_hook().wm[kHookWmMainGone], 0, 0);
  EXPECT_TRUE(capture.Has("ProcStaticCtrl_New", "wrap"));
  EXPECT_EQ(Calls(kHookFnDetach), 1);
}

TEST_F(OCInstWrapTest, FinalizeDetachesEveryWrapperAndStopsTheComponentOnce) {
  std::vector<HWND> statics;
  for (DWORD pid = 601; pid <= 603; ++pid) {
    HWND hidden = Wnd();
    fake_hook().Report({{pid, hidden, nullptr, nullptr}});
    statics.push_back(StaticFor(hidden));
  }
  ASSERT_EQ(rep->size(), 3u);
  rep->Finalize();
  EXPECT_EQ(Calls(kHookFnDetach), 3);
  EXPECT_EQ(Calls(kHookFnStop), 1);
  EXPECT_EQ(rep->size(), 0u);
  for (HWND s : statics)
    EXPECT_FALSE(IsWindow(s));
  rep->Finalize();
  EXPECT_EQ(Calls(kHookFnStop), 1);
  // A component that reports after it was stopped changes nothing.
  fake_hook().Report({{604, Wnd(), nullptr, nullptr}});
  EXPECT_EQ(rep->size(), 0u);
  EXPECT_EQ(Calls(kHookFnSetSink), 3);
  EXPECT_TRUE(capture.Has("Callback_OnNewOC", "rep->IsValid()"));
}

}  // namespace
