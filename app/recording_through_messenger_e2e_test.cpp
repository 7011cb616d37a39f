// A recorded call end to end: the program attaches the engine inside a simulated messenger,
// the engine reports the call's streams, Record and Stop at the main window make it write an
// AVI into the recording folder, and the program files it with its private chunk.
#include <gtest/gtest.h>

#include <regex>
#include <string>

#include "app/testing/messenger_sim_process.h"
#include "library/qel_app_constants.h"
#include "ui/qel_ui_cmd.h"

namespace {

using namespace messenger_e2e;
using namespace qel_testing;

// Shares every access: the engine and the program may still be writing.
std::string read_file(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE)
    return {};
  std::string data;
  char buf[65536];
  DWORD n = 0;
  while (ReadFile(file, buf, sizeof buf, &n, nullptr) && n > 0)
    data.append(buf, n);
  CloseHandle(file);
  return data;
}

// The text after `event ` on the engine log's line for that event, or empty.
std::string log_value(const std::wstring& log, const std::string& event) {
  std::string text = read_file(log);
  size_t pos = text.find(event + " ");
  if (pos == std::string::npos)
    return {};
  size_t end = text.find_first_of("\r\n", pos);
  return text.substr(pos + event.size() + 1, end - pos - event.size() - 1);
}

TEST(RecordingThroughMessengerE2eTest, RecordAndStopAtTheMainWindowFileTheEnginesAvi) {
  ASSERT_TRUE(end_running_program());
  // The engine finds the program by its registered class.
  Program regserver(L"/Regserver");
  ASSERT_EQ(regserver.WaitExit(), 0);

  std::wstring log = temp_dir() + L"qel_sim_engine.log";
  DeleteFileW(log.c_str());
  Program program;
  Sim sim(L"--call \"--engine-log=" + log + L"\"");
  ASSERT_TRUE(wait_until([&] { return read_file(log).find("streams") != std::string::npos; }))
      << read_file(log);

  HWND main = main_wnd();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, kQelWndRecord, 0);
  ASSERT_TRUE(wait_until([&] { return !log_value(log, "started").empty(); })) << read_file(log);
  std::string path = log_value(log, "request_record");
  EXPECT_TRUE(std::regex_match(
      path, std::regex(R"(.*\\Quorvantine Records for Msn\\\d{4}-\d\d-\d\d \d\d-\d\d-\d\d)")))
      << path;

  PostMessageW(main, WM_COMMAND, kQelWndStop, 0);
  ASSERT_TRUE(wait_until([&] { return !log_value(log, "stopped").empty(); })) << read_file(log);
  std::wstring avi = widen(path + ".avi");
  EXPECT_EQ(log_value(log, "stopped").substr(0, path.size() + 4), path + ".avi");
  // Filed by the program: the private chunk is written into the engine's file.
  EXPECT_TRUE(wait_until([&] { return read_file(avi).find("_qel") != std::string::npos; }));
  std::string bytes = read_file(avi);
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(bytes.substr(8, 4), "AVI ");

  sim.Control(kSimQuit);
  EXPECT_EQ(sim.WaitExit(), 0);
  send_shutdown();
  EXPECT_EQ(program.WaitExit(), 0);
  DeleteFileW(avi.c_str());
  DeleteFileW(log.c_str());
}

}  // namespace
