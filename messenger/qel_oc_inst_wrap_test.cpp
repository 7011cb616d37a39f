#include "messenger/qel_oc_inst_wrap.h"

#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "messenger/messenger_test_env.h"
#include "platform/win32/scoped_handle.h"
#include "qel_lib/qel_assert_capture.h"

namespace {

// Stands in for a messenger instance's hidden, top agent or main window.
HWND make_wnd() {
  return CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
}

class OCInstWrapTest : public ::testing::Test {
 protected:
  void SetUp() override {
    rep = live_rep();
    ASSERT_TRUE(rep.valid());
    rep->Finalize();
    ASSERT_TRUE(rep->Create(machine_key(), owner_wnd()));
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
  HWND DeadWnd() {
    HWND w = make_wnd();
    DestroyWindow(w);
    return w;
  }
  // Reports one instance and returns the static window entry 6 handed to the component.
  HWND Wrap(DWORD pid, HWND hidden, HWND main = nullptr) {
    fake_hook().Report({{pid, hidden, main, nullptr}});
    for (const FakeHookCall& c : fake_hook().calls)
      if (c.entry == kHookFnSetSink && c.b == hidden)
        return c.a;
    return nullptr;
  }
  void Send(HWND static_wnd, int entry, HWND wparam, HWND lparam) {
    SendMessageA(static_wnd, fake_hook().wm[entry], reinterpret_cast<WPARAM>(wparam),
                 reinterpret_cast<LPARAM>(lparam));
  }
  int Calls(int entry) { return fake_hook().Count(entry); }

  shared_ptr<ZulMsnOCInstWrapRep> rep;
  std::vector<HWND> windows;
  AssertCapture capture;
};

TEST_F(OCInstWrapTest, EachLiveInstanceIsWrappedOnce) {
  HWND hidden_a = Wnd();
  fake_hook().Report({{101, hidden_a, nullptr, nullptr},
                      {102, Wnd(), nullptr, nullptr},
                      {103, DeadWnd(), nullptr, nullptr},
                      {104, nullptr, nullptr, nullptr}});
  EXPECT_EQ(rep->size(), 2u);
  EXPECT_TRUE(capture.Has("Callback_OnNewOC", "false"));
  HWND static_a = rep->Find(101)->GetStaticWnd();
  EXPECT_EQ(GetParent(static_a), owner_wnd());
  EXPECT_EQ(GetWindowLongPtrA(static_a, GWLP_USERDATA), 101);

  // The same process again keeps its first wrapper.
  capture.Clear();
  fake_hook().Report({{101, Wnd(), nullptr, nullptr}});
  EXPECT_EQ(rep->size(), 2u);
  EXPECT_EQ(rep->Find(101)->GetStaticWnd(), static_a);
  EXPECT_TRUE(capture.Has("ZulMsnOCInstWrapRep::OnOCNewed", "false"));

  // An instance that ends while its wrapper is made leaves none behind.
  qel_oc_info gone = {105, DeadWnd(), nullptr, nullptr};
  EXPECT_TRUE(rep->OnOCNewed(&gone));
  EXPECT_FALSE(rep->Find(105).valid());
  EXPECT_EQ(Calls(kHookFnDetach), 1);
}

// Both orders run end to end with the simulator; here the exact windows handed over.
TEST_F(OCInstWrapTest, PendingMainWindowIsAttachedOnceTheTopAgentIsKnown) {
  HWND hidden = Wnd(), top = Wnd(), main = Wnd();
  HWND static_wnd = Wrap(301, hidden, main);
  Send(static_wnd, kHookWmHiddenKnown, hidden, top);
  ASSERT_EQ(Calls(kHookFnAttach), 1);
  const FakeHookCall& attach = fake_hook().calls.back();
  EXPECT_EQ(attach.a, top);
  EXPECT_EQ(attach.b, main);
  EXPECT_EQ(attach.c, static_wnd);
  EXPECT_EQ(rep->Find(301)->GetMainWnd(), nullptr);
  EXPECT_EQ(capture.count(), 0u);

  // Before the top agent is known nothing is attached to a null window.
  HWND static_b = Wrap(302, Wnd());
  Send(static_b, kHookWmMainCreated, Wnd(), nullptr);
  EXPECT_EQ(Calls(kHookFnAttach), 1);
  EXPECT_TRUE(capture.Has("ZulMsnOCInstWrap::on_main_created",
                          "hwnd_oc_main && m_hwndOCTopAgent && m_hwndStatic"));
}

TEST_F(OCInstWrapTest, InstanceEndRemovesTheWrapperAndLaterMessagesOnlyReport) {
  HWND hidden = Wnd(), top = Wnd(), main = Wnd();
  HWND static_wnd = Wrap(501, hidden);
  Send(static_wnd, kHookWmHiddenKnown, hidden, top);
  Send(static_wnd, kHookWmMainKnown, main, top);
  EXPECT_EQ(rep->Find(501)->GetLiveMainWnd(), main);
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
  for (DWORD pid = 601; pid <= 603; ++pid)
    statics.push_back(Wrap(pid, Wnd()));
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
  EXPECT_TRUE(capture.Has("Callback_OnNewOC", "rep->IsValid()"));
}

// A process that lives until it is ended: started suspended, it never runs.
class ChildProcess {
 public:
  ChildProcess() {
    STARTUPINFOW si = {};
    si.cb = sizeof si;
    wchar_t cmd[] = L"cmd.exe";
    PROCESS_INFORMATION pi = {};
    if (!CreateProcessW(nullptr, cmd, nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr, nullptr,
                        &si, &pi))
      return;
    process_.reset(pi.hProcess);
    thread_.reset(pi.hThread);
    pid_ = pi.dwProcessId;
  }
  ~ChildProcess() {
    if (started())
      Kill();
  }
  DWORD pid() const { return pid_; }
  bool started() const { return static_cast<bool>(process_); }
  void Kill() {
    TerminateProcess(process_.get(), 1);
    WaitForSingleObject(process_.get(), 5000);
  }

 private:
  platform::ScopedKernelHandle process_;
  platform::ScopedKernelHandle thread_;
  DWORD pid_ = 0;
};

// Delivers the UI thread's messages until done() or the time is up.
bool pump_until(const std::function<bool()>& done, DWORD timeout_ms = 5000) {
  DWORD start = GetTickCount();
  while (!done()) {
    if (GetTickCount() - start > timeout_ms)
      return false;
    MSG msg;
    while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE))
      DispatchMessageA(&msg);
    Sleep(10);
  }
  return true;
}

// A killed messenger is told to the program once, after its wrapper is gone; one that said
// it ended is not told again when its process goes.
TEST_F(OCInstWrapTest, KilledInstanceIsToldOnceAndAnAnnouncedEndIsNot) {
  std::vector<DWORD> ended;
  rep->Finalize();
  ASSERT_TRUE(rep->Create(machine_key(), owner_wnd(), [&](DWORD pid) {
    EXPECT_FALSE(rep->Find(pid).valid()) << "the wrapper goes first";
    ended.push_back(pid);
  }));
  ChildProcess killed, quitting;
  ASSERT_TRUE(killed.started() && quitting.started());
  HWND static_killed = Wrap(killed.pid(), Wnd());
  HWND hidden = Wnd(), top = Wnd();
  HWND static_quitting = Wrap(quitting.pid(), hidden);
  Send(static_quitting, kHookWmHiddenKnown, hidden, top);
  Send(static_quitting, kHookWmMainKnown, Wnd(), top);
  ASSERT_TRUE(static_killed && static_quitting);

  killed.Kill();
  ASSERT_TRUE(pump_until([&] { return !ended.empty(); }));
  EXPECT_EQ(ended, std::vector<DWORD>{killed.pid()});
  EXPECT_FALSE(IsWindow(static_killed));
  EXPECT_EQ(Calls(kHookFnDetach), 1);

  Send(static_quitting, kHookWmInstanceEnded, nullptr, nullptr);
  quitting.Kill();
  pump_until([] { return false; }, 500);
  EXPECT_EQ(ended.size(), 1u);
  EXPECT_EQ(Calls(kHookFnDetach), 2);
  EXPECT_EQ(capture.count(), 0u);
}

}  // namespace
