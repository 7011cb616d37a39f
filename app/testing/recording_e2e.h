// What the end-to-end tests of recordings through simulated messengers share: the engine's
// log, Record at the main window, the history list's rows, and a fixture that starts each
// test with no program running and the program's class registered.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "app/testing/messenger_sim_process.h"
#include "library/qel_avi_file.h"
#include "tools/soak/remote_list_view.h"

namespace messenger_e2e {

// The text after `event ` on the engine log's line for that event, or empty.
std::string log_value(const std::wstring& log, const std::string& event);
// Whether the engine writing to `log` has logged that event by the time it should have.
bool logged(const std::wstring& log, const std::string& event);
int count_of(const std::string& text, const std::string& needle);

// A recording that a messenger's engine runs for the test.
struct Recording {
  std::string path;  // as requested, without ".avi"
  std::wstring avi;
  std::wstring title;
  int64_t engine_start = 0;
};

// The path the engine was last asked to record into (without ".avi"), or empty.
std::string last_requested(const std::wstring& log);

// Record at the main window, once the engine writing to `log` has started; empty when it
// did not.
Recording record(HWND main, const std::wstring& log);

// The row of the history list with that name, or -1.
int row_titled(const RemoteListView& list, const std::wstring& title);
// The file total at the start of the main window's status bar; -1 without an answer.
long total_files(HWND main);
// The cached record of a recording, as the next start of the program reads it.
qel_avi_file cached(const std::wstring& avi);
// Our reader's view of a recording: its length in whole seconds as the list shows it, or -1
// when it is not an AVI; *whole tells whether it has its sizes and index.
int read_seconds(const std::wstring& path, bool* whole);

class RecordingE2eTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // The path of an engine log that does not exist yet.
  std::wstring NewLog(const wchar_t* name);
  void LeavesFile(const std::wstring& path) { leftovers_.push_back(path); }
  // Records at the main window once the engine writing to `log` has reported its call's
  // streams.
  void RecordInCall(const std::wstring& log, HWND* main, Recording* r);

 private:
  std::vector<std::wstring> leftovers_;
};

}  // namespace messenger_e2e
