// A recorded call end to end: the program attaches the engine inside a simulated messenger,
// the engine reports the call's streams, Record and Stop at the main window make it write an
// AVI into the recording folder, and the program files it with its private chunk.
#include <gtest/gtest.h>

#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "app/testing/messenger_sim_process.h"
#include "library/avi_cut_scan.h"
#include "library/avi_stream_info.h"
#include "library/qel_app_constants.h"
#include "res/resource.h"
#include "tools/soak/remote_list_view.h"
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

// Our reader's view of a recording: its length in whole seconds as the list shows it, or -1
// when it is not an AVI; *whole tells whether it has its sizes and index.
int read_seconds(const std::wstring& path, bool* whole) {
  std::string bytes = read_file(path);
  MemoryByteFile file(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  AviLayout layout;
  *whole = read_avi_layout(file, &layout) && layout.has_idx1;
  if (*whole)
    return summarize_streams(layout).time_len;
  CutAvi cut;
  return scan_cut_avi(file, &cut, false) ? summarize_streams(cut.streams).time_len : -1;
}

int row_titled(const RemoteListView& list, const std::wstring& title) {
  for (int i = 0, rows = list.Rows(); i < rows; ++i) {
    if (list.Cell(i, 0) == title)
      return i;
  }
  return -1;
}

HWND program_window(const wchar_t* cls, const wchar_t* title, DWORD pid) {
  HWND wnd = nullptr;
  while ((wnd = FindWindowExW(nullptr, wnd, cls, title))) {
    if (window_pid(wnd) == pid)
      return wnd;
  }
  return nullptr;
}

// The engine is killed three seconds into a recording and the user presses Stop: the failed
// request tells the program, which at once lists what the engine wrote, with its length and
// the torn-film mark, and says what happened; after a restart it is still listed, and Repair
// from its row's menu makes the file whole.
TEST(RecordingThroughMessengerE2eTest, RecordingOfAKilledEngineIsListedAndRepaired) {
  ASSERT_TRUE(end_running_program());
  Program regserver(L"/Regserver");
  ASSERT_EQ(regserver.WaitExit(), 0);
  std::wstring log = temp_dir() + L"qel_sim_engine_killed.log";
  DeleteFileW(log.c_str());
  auto program = std::make_unique<Program>();
  Sim sim(L"--call \"--engine-log=" + log + L"\"");
  ASSERT_TRUE(wait_until([&] { return read_file(log).find("streams") != std::string::npos; }))
      << read_file(log);
  HWND main = main_wnd();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, kQelWndRecord, 0);
  ASSERT_TRUE(wait_until([&] { return !log_value(log, "started").empty(); })) << read_file(log);
  std::string path = log_value(log, "request_record");
  std::wstring avi = widen(path + ".avi");
  std::wstring title = widen(path.substr(path.rfind('\\') + 1));
  Sleep(3000);
  sim.Kill();
  DWORD killed = GetTickCount();
  // The user sees the recording hang and presses Stop.
  PostMessageW(main, WM_COMMAND, kQelWndStop, 0);

  std::wstring length;
  {
    RemoteListView list(GetDlgItem(main, IDC_HISTORY_LIST));
    ASSERT_TRUE(wait_until([&] { return row_titled(list, title) >= 0; }, 5000));
    EXPECT_LE(GetTickCount() - killed, 5000u);
    int row = row_titled(list, title);
    length = list.Cell(row, 2);
    EXPECT_TRUE(length == L"00:03" || length == L"00:04") << narrow(length);
    EXPECT_EQ(list.Image(row, 0), 2) << "the torn-film mark";
  }
  HWND box = nullptr;
  ASSERT_TRUE(wait_until([&] {
    return (box = program_window(nullptr, L"The recording ended unexpectedly.", program->pid()));
  }));
  wchar_t line[256] = {};
  GetDlgItemTextW(box, IDC_MSGBOX_LINE1, line, 256);
  EXPECT_STREQ(line, L"The recording ended unexpectedly.");
  GetDlgItemTextW(box, IDC_MSGBOX_LINE2, line, 256);
  EXPECT_STREQ(line, L"The part recorded until then is saved in your library.");
  bool whole = true;
  EXPECT_EQ(read_seconds(avi, &whole), std::stoi(narrow(length.substr(3))));
  EXPECT_FALSE(whole) << "never written until the user repairs it";

  send_shutdown();
  EXPECT_EQ(program->WaitExit(), 0);
  program = std::make_unique<Program>();
  ASSERT_TRUE(wait_until([&] {
    return (main = main_wnd()) != nullptr && GetDlgItem(main, IDC_HISTORY_LIST) != nullptr;
  }));
  RemoteListView list(GetDlgItem(main, IDC_HISTORY_LIST));
  ASSERT_TRUE(wait_until([&] { return row_titled(list, title) >= 0; }));
  int row = row_titled(list, title);
  EXPECT_EQ(list.Cell(row, 2), length);
  EXPECT_EQ(list.Image(row, 0), 2) << "still marked after a restart";

  // A right click on the row, then Repair in its menu.
  HWND list_wnd = GetDlgItem(main, IDC_HISTORY_LIST);
  SendMessageTimeoutW(list_wnd, LVM_ENSUREVISIBLE, row, FALSE, SMTO_ABORTIFHUNG, 5000, nullptr);
  RECT rect = {};
  ASSERT_TRUE(list.RowRect(row, &rect));
  LPARAM at = MAKELPARAM(rect.left + 20, (rect.top + rect.bottom) / 2);
  PostMessageW(list_wnd, WM_RBUTTONDOWN, MK_RBUTTON, at);
  PostMessageW(list_wnd, WM_RBUTTONUP, 0, at);
  HWND menu = nullptr;
  ASSERT_TRUE(
      wait_until([&] { return (menu = program_window(L"#32768", nullptr, program->pid())); }));
  // Its mnemonic, whatever item the pointer happens to rest on.
  PostMessageW(menu, WM_CHAR, L'r', 0);
  ASSERT_TRUE(wait_until([&] { return read_seconds(avi, &whole) >= 0 && whole; }))
      << "row " << row << " of " << list.Rows() << " at " << rect.top << "-" << rect.bottom
      << ", repair failed: "
      << (program_window(nullptr, L"Failed to repair the recording.", program->pid()) != nullptr);
  EXPECT_EQ(read_seconds(avi, &whole), std::stoi(narrow(length.substr(3))));
  EXPECT_TRUE(wait_until([&] { return list.Image(row_titled(list, title), 0) == -1; }));
  EXPECT_EQ(list.Cell(row_titled(list, title), 2), length);

  send_shutdown();
  EXPECT_EQ(program->WaitExit(), 0);
  DeleteFileW(avi.c_str());
  DeleteFileW(log.c_str());
}

}  // namespace
