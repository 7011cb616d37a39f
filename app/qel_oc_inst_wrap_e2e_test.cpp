// The real program with the hook stand-in beside it and simulated messenger instances: the
// instances are wrapped once, their main windows attached in both orders, ended instances
// dropped, and a program without its component says so and exits with code 1.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/testing/messenger_sim_process.h"
#include "library/qel_app_constants.h"
#include "platform/win32/scoped_handle.h"

#include <tlhelp32.h>

namespace {

using namespace messenger_e2e;
using namespace qel_testing;

struct WrapperSearch {
  DWORD program;
  DWORD sim;
  int count;
};

BOOL CALLBACK count_static_child(HWND child, LPARAM data) {
  auto* s = reinterpret_cast<WrapperSearch*>(data);
  char cls[32] = {};
  GetClassNameA(child, cls, sizeof cls);
  if (lstrcmpiA(cls, "Static") == 0 &&
      static_cast<DWORD>(GetWindowLongPtrA(child, GWLP_USERDATA)) == s->sim)
    ++s->count;
  return TRUE;
}

BOOL CALLBACK search_program_window(HWND top, LPARAM data) {
  if (window_pid(top) == reinterpret_cast<WrapperSearch*>(data)->program)
    EnumChildWindows(top, &count_static_child, data);
  return TRUE;
}

// The program's static windows that stand for the messenger process `sim_pid`.
int wrappers_for(DWORD program_pid, DWORD sim_pid) {
  WrapperSearch search = {program_pid, sim_pid, 0};
  EnumWindows(&search_program_window, reinterpret_cast<LPARAM>(&search));
  return search.count;
}

HWND find_box(const char* caption, DWORD pid) {
  HWND wnd = nullptr;
  while ((wnd = FindWindowExA(nullptr, wnd, nullptr, caption)))
    if (window_pid(wnd) == pid)
      return wnd;
  return nullptr;
}

std::string box_text(HWND box) {
  std::string text;
  auto collect = [](HWND child, LPARAM data) -> BOOL {
    char buf[512] = {};
    SendMessageA(child, WM_GETTEXT, sizeof buf, reinterpret_cast<LPARAM>(buf));
    *reinterpret_cast<std::string*>(data) += buf;
    return TRUE;
  };
  EnumChildWindows(box, collect, reinterpret_cast<LPARAM>(&text));
  return text;
}

// The configured component name in the machine key; removed after each test.
class HookDllName {
 public:
  HookDllName() {
    HKEY key = nullptr;
    RegCreateKeyA(HKEY_LOCAL_MACHINE, g_qel_settings_path, &key);
    key_.reset(key);
    RegDeleteValueA(key_.get(), "hookDllName");
  }
  ~HookDllName() { RegDeleteValueA(key_.get(), "hookDllName"); }
  void Set(const char* name) {
    RegSetValueExA(key_.get(), "hookDllName", 0, REG_SZ, reinterpret_cast<const BYTE*>(name),
                   static_cast<DWORD>(strlen(name) + 1));
  }

 private:
  platform::ScopedRegKey key_;
};

class MessengerE2eTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(end_running_program()); }
  void TearDown() override { end_running_program(); }
  // No assertion report showed: the component's messages were all consistent.
  void ExpectNoReport(const Process& program) {
    EXPECT_EQ(find_box("Error", program.pid()), nullptr);
  }
  HookDllName configured;
};

// The configured component does not load: the default one beside the program serves.
TEST_F(MessengerE2eTest, InstancesAreWrappedOnceAndAttachedInBothOrders) {
  configured.Set("missing_hook.dll");
  // Running before the program, main window included: attached once message 7 arrives.
  Sim early;
  ASSERT_TRUE(wait_until([&] { return early.Hidden() != nullptr; }));
  Program program;
  ASSERT_TRUE(wait_until([&] { return early.State().attaches == 1; }));
  SimState s = early.State();
  EXPECT_EQ(s.attached, s.main);

  // Started later without a main window: attached when message 1 reports it.
  Sim late(L"--no-main");
  ASSERT_TRUE(wait_until([&] { return late.State().sink != nullptr; }))
      << "simulator " << (late.Hidden() ? "never got the static window" : "has no window");
  EXPECT_EQ(late.State().attaches, 0);
  late.Control(kSimMainCreate);
  ASSERT_TRUE(wait_until([&] { return late.State().attaches == 1; }));

  // Main window gone and back: forgotten, then attached anew.
  late.Control(kSimMainDestroy);
  ASSERT_TRUE(wait_until([&] { return late.State().main == nullptr; }));
  late.Control(kSimMainCreate);
  ASSERT_TRUE(wait_until([&] { return late.State().attaches == 2; }));

  // Several polls later each instance still has exactly one wrapper.
  Sleep(1000);
  EXPECT_EQ(wrappers_for(program.pid(), early.pid()), 1);
  EXPECT_EQ(wrappers_for(program.pid(), late.pid()), 1);
  EXPECT_EQ(early.State().attaches, 1);
  ExpectNoReport(program);

  // An ended instance loses its wrapper; the other keeps its own.
  late.Control(kSimQuit);
  EXPECT_EQ(late.WaitExit(), 0);
  EXPECT_TRUE(wait_until([&] { return wrappers_for(program.pid(), late.pid()) == 0; }));
  EXPECT_EQ(wrappers_for(program.pid(), early.pid()), 1);
  ExpectNoReport(program);

  // Ending the program detaches the remaining instance.
  send_shutdown();
  EXPECT_EQ(program.WaitExit(), 0);
  EXPECT_TRUE(wait_until([&] { return early.State().detaches == 1; }));
  EXPECT_EQ(early.State().attached, nullptr);
  early.Control(kSimQuit);
  EXPECT_EQ(early.WaitExit(), 0);
}

// A killed messenger sends no "instance ended": its wrapper goes when its process does, and a
// new instance is wrapped and attached as usual.
TEST_F(MessengerE2eTest, KilledInstanceLosesItsWrapper) {
  Program program;
  Sim killed;
  ASSERT_TRUE(wait_until([&] { return killed.State().attaches == 1; }));
  ASSERT_EQ(wrappers_for(program.pid(), killed.pid()), 1);
  DWORD killed_pid = killed.pid();
  killed.Kill();
  EXPECT_TRUE(wait_until([&] { return wrappers_for(program.pid(), killed_pid) == 0; }, 5000));
  Sim next;
  ASSERT_TRUE(wait_until([&] { return next.State().attaches == 1; }));
  EXPECT_EQ(wrappers_for(program.pid(), next.pid()), 1);
  ExpectNoReport(program);
}

// Holds every thread of a process still, as a busy machine may hold a messenger that starts.
class ProcessHeld {
 public:
  explicit ProcessHeld(DWORD pid) {
    platform::ScopedKernelHandle snap(CreateToolhelp32Snapshot(TH32CS_SNAPTHREAD, 0));
    THREADENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    for (BOOL ok = Thread32First(snap.get(), &entry); ok; ok = Thread32Next(snap.get(), &entry)) {
      if (entry.th32OwnerProcessID != pid)
        continue;
      HANDLE thread = OpenThread(THREAD_SUSPEND_RESUME, FALSE, entry.th32ThreadID);
      if (thread && SuspendThread(thread) != static_cast<DWORD>(-1))
        threads_.emplace_back(thread);
      else if (thread)
        CloseHandle(thread);
    }
  }
  ~ProcessHeld() { Release(); }
  bool held() const { return !threads_.empty(); }
  void Release() {
    for (platform::ScopedKernelHandle& thread : threads_)
      ResumeThread(thread.get());
    threads_.clear();
  }

 private:
  std::vector<platform::ScopedKernelHandle> threads_;
};

// A messenger slow to start makes its main window after it was reported without one but
// before it hears where to report: it is attached to that window all the same.
TEST_F(MessengerE2eTest, MainWindowMadeBeforeTheInstanceHearsFromTheProgramIsAttached) {
  Sim slow(L"--no-main");
  ASSERT_TRUE(wait_until([&] { return slow.Hidden() != nullptr; }));
  ProcessHeld busy(slow.pid());
  ASSERT_TRUE(busy.held());
  // Waits in the instance's queue ahead of what the program is about to send it.
  slow.Control(kSimMainCreate);
  Program program;
  ASSERT_TRUE(wait_until([&] { return wrappers_for(program.pid(), slow.pid()) == 1; }));
  busy.Release();
  ASSERT_TRUE(wait_until([&] { return slow.State().attaches == 1; }))
      << "state: sink " << slow.State().sink << ", main " << slow.State().main;
  SimState s = slow.State();
  EXPECT_NE(s.main, nullptr);
  EXPECT_EQ(s.attached, s.main);
  ExpectNoReport(program);
}

// Closes the assertion report first, then the component box; returns the box's text.
std::string close_boxes(DWORD pid) {
  HWND report = nullptr;
  EXPECT_TRUE(wait_until([&] { return (report = find_box("Error", pid)) != nullptr; }));
  PostMessageA(report, WM_COMMAND, IDOK, 0);
  HWND box = nullptr;
  EXPECT_TRUE(wait_until([&] { return (box = find_box("QuorVantine Error", pid)) != nullptr; }));
  std::string text = box_text(box);
  PostMessageA(box, WM_COMMAND, IDOK, 0);
  return text;
}

TEST_F(MessengerE2eTest, ProgramWithoutItsComponentSaysSoAndExitsWithOne) {
  std::wstring dir = temp_dir() + L"qel_no_hook\\";
  CreateDirectoryW(dir.c_str(), nullptr);
  ASSERT_TRUE(CopyFileW((bin_dir() + L"quorvantine_msn.exe").c_str(),
                        (dir + L"quorvantine_msn.exe").c_str(), FALSE));
  // The component in the current directory must not be picked up.
  SetCurrentDirectoryW(bin_dir().c_str());
  for (const char* name : {"", "missing_hook.dll"}) {
    if (*name)
      configured.Set(name);
    Program program(L"/start_context user_manual", dir);
    std::string text = close_boxes(program.pid());
    EXPECT_NE(text.find("Quorvantine can't find one of its components,  and has to exit now."),
              std::string::npos)
        << text;
    EXPECT_EQ(program.WaitExit(), 1);
    EXPECT_EQ(app_top_wnd(), nullptr);
  }
  DeleteFileW((dir + L"quorvantine_msn.exe").c_str());
  RemoveDirectoryW(dir.c_str());
}

}  // namespace
