// The world outside ends a recording: Windows ends the session (logoff, shutdown, an
// installer that closes running programs), the machine goes to sleep, or the program itself
// is killed. The real program with a simulated messenger's engine recording.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "app/testing/auto_start_setting.h"
#include "app/testing/recording_e2e.h"
#include "library/qel_app_setting.h"
#include "res/resource.h"
#include "ui/qel_ui_cmd.h"

namespace {

using namespace messenger_e2e;
using namespace qel_testing;

// The answer of the program's main window, or -1 when it gave none.
LRESULT ask(HWND main, UINT msg, WPARAM wparam, LPARAM lparam) {
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(main, msg, wparam, lparam, SMTO_NORMAL, kWaitMs, &answer))
    return -1;
  return static_cast<LRESULT>(answer);
}

bool has_chunk(const std::wstring& avi) {
  return read_shared_file(avi).find("_qel") != std::string::npos;
}

// Listed, with its private chunk: what a recording that was filed shows.
void expect_filed(HWND main, const Recording& r) {
  RemoteListView list(GetDlgItem(main, IDC_HISTORY_LIST));
  EXPECT_GE(row_titled(list, r.title), 0) << narrow(r.title) << " is not listed";
  EXPECT_TRUE(has_chunk(r.avi)) << narrow(r.avi) << " has no chunk";
}

class SessionEndE2eTest : public RecordingE2eTest {
 protected:
  void TearDown() override {
    qel_app_setting::set_auto_record(auto_record_);
    RecordingE2eTest::TearDown();
  }
  // The program started by the user, and a messenger in a call whose engine records.
  void RecordCall(const wchar_t* log_name) {
    log_ = NewLog(log_name);
    program_ = std::make_unique<Program>();
    sim_ = std::make_unique<Sim>(L"--call \"--engine-log=" + log_ + L"\"");
    ASSERT_NO_FATAL_FAILURE(RecordInCall(log_, &main_, &recording_));
  }

  AutoStartSetting auto_start_;
  bool auto_record_ = qel_app_setting::get_auto_record();
  std::wstring log_;
  std::unique_ptr<Program> program_;
  std::unique_ptr<Sim> sim_;
  HWND main_ = nullptr;
  Recording recording_;
};

// Logoff or shutdown while recording: the query is answered only once the recording is
// stopped, listed and tagged; a second query, with nothing recording, changes nothing. The
// end itself ends the program, which keeps its start at logon.
TEST_F(SessionEndE2eTest, EndOfSessionFilesTheRecordingBeforeItIsAllowed) {
  ASSERT_NO_FATAL_FAILURE(RecordCall(L"qel_sim_engine_session_end.log"));
  ASSERT_EQ(auto_start_.Get(), 1) << "a start by the user";

  EXPECT_EQ(ask(main_, WM_QUERYENDSESSION, 0, 0), TRUE);
  expect_filed(main_, recording_);
  EXPECT_EQ(count_of(read_shared_file(log_), "request_stop"), 1);
  EXPECT_EQ(ask(main_, WM_QUERYENDSESSION, 0, 0), TRUE);
  EXPECT_EQ(count_of(read_shared_file(log_), "request_stop"), 1) << "nothing left to stop";

  ask(main_, WM_ENDSESSION, TRUE, 0);
  EXPECT_EQ(program_->WaitExit(), 0);
  EXPECT_EQ(auto_start_.Get(), 1);
}

// An installer that closes running programs asks the same, and may call the end off: the
// program goes on. Sleep files the next recording before the machine sleeps; after it, only
// the call's streams reported again start an automatic recording.
TEST_F(SessionEndE2eTest, InstallerCloseAndSleepFileTheRecordingToo) {
  qel_app_setting::set_auto_record(true);
  ASSERT_NO_FATAL_FAILURE(RecordCall(L"qel_sim_engine_sleep.log"));

  EXPECT_EQ(ask(main_, WM_QUERYENDSESSION, 0, ENDSESSION_CLOSEAPP), TRUE);
  expect_filed(main_, recording_);
  ask(main_, WM_ENDSESSION, FALSE, ENDSESSION_CLOSEAPP);
  EXPECT_TRUE(program_->Running());

  Recording before_sleep = record(main_, log_);
  ASSERT_FALSE(before_sleep.path.empty()) << read_shared_file(log_);
  LeavesFile(before_sleep.avi);
  EXPECT_EQ(ask(main_, WM_POWERBROADCAST, PBT_APMSUSPEND, 0), TRUE);
  expect_filed(main_, before_sleep);
  EXPECT_EQ(ask(main_, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0), TRUE);

  int requests = count_of(read_shared_file(log_), "request_record ");
  sim_->Control(kSimEndCall);
  sim_->Control(kSimStartCall);
  ASSERT_TRUE(
      wait_until([&] { return count_of(read_shared_file(log_), "started ") == 3; }, kWaitMs + 5000))
      << read_shared_file(log_);
  EXPECT_EQ(count_of(read_shared_file(log_), "request_record "), requests + 1);
  LeavesFile(widen(last_requested(log_) + ".avi"));
  PostMessageW(main_, WM_COMMAND, kQelWndStop, 0);
  EXPECT_TRUE(wait_until([&] { return count_of(read_shared_file(log_), "stopped ") == 3; }));

  send_shutdown();
  EXPECT_EQ(program_->WaitExit(), 0);
}

// The program killed while the engine records (a crash, "End task"): the engine still
// finishes its file, which has no chunk and no cache entry. At the next start it is listed
// with the start its name gives and its length.
TEST_F(SessionEndE2eTest, RecordingOfAKilledProgramIsListedAtTheNextStart) {
  std::wstring log = NewLog(L"qel_sim_engine_program_killed.log");
  Recording r;
  {
    KilledProgramClasses forget;
    Program program;
    Sim sim(L"--call \"--engine-log=" + log + L"\"");
    HWND main = nullptr;
    ASSERT_NO_FATAL_FAILURE(RecordInCall(log, &main, &r));
    Sleep(2000);
    program.Kill();
    sim.Control(kSimEndCall);
    ASSERT_TRUE(logged(log, "stopped")) << read_shared_file(log);
  }
  ASSERT_FALSE(has_chunk(r.avi));
  bool whole = false;
  int seconds = read_seconds(r.avi, &whole);
  ASSERT_TRUE(whole);
  ASSERT_GE(seconds, 1);

  Program program;
  HWND main = nullptr;
  ASSERT_TRUE(wait_until([&] {
    return (main = main_wnd_of(program.pid())) != nullptr &&
           GetDlgItem(main, IDC_HISTORY_LIST) != nullptr;
  }));
  RemoteListView list(GetDlgItem(main, IDC_HISTORY_LIST));
  int row = -1;
  ASSERT_TRUE(wait_until([&] { return (row = row_titled(list, r.title)) >= 0; }))
      << list.Rows() << " rows, the first " << narrow(list.Cell(0, 0));
  // "YYYY-MM-DD HH-MM-SS": the cell ends with the name's "HH:MM".
  std::wstring hh_mm = r.title.substr(11, 2) + L":" + r.title.substr(14, 2);
  std::wstring start = list.Cell(row, 1);
  ASSERT_GE(start.size(), 7u) << narrow(start);
  EXPECT_EQ(start.substr(start.size() - 7), L", " + hh_mm) << narrow(start);
  wchar_t length[16];
  swprintf(length, 16, L"%02d:%02d", seconds / 60, seconds % 60);
  EXPECT_EQ(list.Cell(row, 2), length);
  EXPECT_LE(std::llabs(cached(r.avi).get_start_time() - r.engine_start), 2) << "the name's time";

  send_shutdown();
  EXPECT_EQ(program.WaitExit(), 0);
}

}  // namespace
