// What the end-to-end tests share: starting the real program and other processes from the
// program's folder, waiting for their windows, and ending them the way an installer would.
#pragma once

#include <functional>
#include <string>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win.h"

namespace qel_testing {

constexpr DWORD kWaitMs = 20000;
constexpr wchar_t kMainTitle[] = L"Quorvantine Video Recorder for MSN";
// The tip of the program's icon in the notification area.
constexpr wchar_t kTrayTip[] = L"Quorvantine Video Recorder for MSN";

// The folder of the running test program, with a trailing separator; the program under test
// and the stand-ins are built beside it.
std::wstring bin_dir();
std::wstring temp_dir();

// Polls `done` every 50 ms; its last answer when the time is up.
bool wait_until(const std::function<bool()>& done, DWORD timeout_ms = kWaitMs);

HWND app_top_wnd();
HWND main_wnd();
// The main window of the program with that process id: in-process window tests of another
// test run make windows with the same title.
HWND main_wnd_of(DWORD pid);
bool main_wnd_visible();
DWORD window_pid(HWND wnd);

// Asks the running program to end, as an installer would.
void send_shutdown();
// Asks until no program runs any more; false when one is still there in the end.
bool end_running_program();

// The whole file, read while others may go on writing, renaming or deleting it; empty when it
// cannot be opened.
std::string read_shared_file(const std::wstring& path);

std::string narrow(const std::wstring& w);
std::wstring widen(const std::string& s);

// Wine's RPC service keeps the class registration of a program ended by force and hands it
// to every engine that asks afterwards, instead of the next program's (Windows forgets the
// classes of a process that ended). Stopping the service when this goes forgets them; COM
// starts it afresh on its next use. For tests that kill the program.
class KilledProgramClasses {
 public:
  KilledProgramClasses() = default;
  ~KilledProgramClasses();
  KilledProgramClasses(const KilledProgramClasses&) = delete;
  KilledProgramClasses& operator=(const KilledProgramClasses&) = delete;
};

// One started process; ended by force if a test leaves it running.
class Process {
 public:
  Process(const std::wstring& exe, const std::wstring& args);
  ~Process();
  Process(const Process&) = delete;
  Process& operator=(const Process&) = delete;

  bool started() const { return static_cast<bool>(process_); }
  // Why it did not start (GetLastError of CreateProcess), for a failing test to say.
  DWORD start_error() const { return start_error_; }
  DWORD pid() const { return pid_; }
  bool Running() const;
  void Kill();
  // The exit code, or -1 when it did not end in time.
  long WaitExit(DWORD timeout_ms = kWaitMs);

 private:
  platform::ScopedKernelHandle process_;
  DWORD pid_ = 0;
  DWORD start_error_ = 0;
};

// The program as a user starts it. One killed by force would leave its COM class registered
// with Wine, so that no engine could reach the next one: it is asked to end first.
class Program : public Process {
 public:
  explicit Program(const std::wstring& args = L"/start_context user_manual",
                   const std::wstring& dir = bin_dir());
  ~Program();
};

}  // namespace qel_testing
