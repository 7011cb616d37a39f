// A recorded call end to end: the program attaches the engine inside a simulated messenger,
// the engine reports the call's streams, Record and Stop at the main window make it write an
// AVI into the recording folder, and the program files it with its private chunk.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "app/testing/messenger_sim_process.h"
#include "app/testing/wine_tray.h"
#include "library/avi_cut_scan.h"
#include "library/avi_stream_info.h"
#include "library/qel_app_constants.h"
#include "library/qel_avi_file.h"
#include "library/qel_profile.h"
#include "res/resource.h"
#include "tools/soak/remote_list_view.h"
#include "ui/qel_ui_cmd.h"
#include "winkit/testing/window_probe.h"

namespace {

using namespace messenger_e2e;
using namespace qel_testing;

// The text after `event ` on the engine log's line for that event, or empty.
std::string log_value(const std::wstring& log, const std::string& event) {
  std::string text = read_shared_file(log);
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
  ASSERT_TRUE(wait_until([&] {
    return read_shared_file(log).find("streams") != std::string::npos;
  })) << read_shared_file(log);

  HWND main = main_wnd();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, kQelWndRecord, 0);
  ASSERT_TRUE(wait_until([&] { return !log_value(log, "started").empty(); }))
      << read_shared_file(log);
  std::string path = log_value(log, "request_record");
  EXPECT_TRUE(std::regex_match(
      path, std::regex(R"(.*\\Quorvantine Records for Msn\\\d{4}-\d\d-\d\d \d\d-\d\d-\d\d)")))
      << path;

  PostMessageW(main, WM_COMMAND, kQelWndStop, 0);
  ASSERT_TRUE(wait_until([&] { return !log_value(log, "stopped").empty(); }))
      << read_shared_file(log);
  std::wstring avi = widen(path + ".avi");
  EXPECT_EQ(log_value(log, "stopped").substr(0, path.size() + 4), path + ".avi");
  // Filed by the program: the private chunk is written into the engine's file.
  EXPECT_TRUE(wait_until([&] { return read_shared_file(avi).find("_qel") != std::string::npos; }));
  std::string bytes = read_shared_file(avi);
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
  std::string bytes = read_shared_file(path);
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

// The program's top-level windows with this title.
int count_program_windows(const wchar_t* title, DWORD pid) {
  int n = 0;
  for (HWND wnd = nullptr; (wnd = FindWindowExW(nullptr, wnd, nullptr, title));)
    n += window_pid(wnd) == pid && IsWindowVisible(wnd);
  return n;
}

constexpr wchar_t kEndedTitle[] = L"The recording ended unexpectedly.";

// The file total at the start of the main window's status bar; -1 without an answer.
long total_files(HWND main) {
  wchar_t text[128] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(GetDlgItem(main, IDC_STATUS_BAR), WM_GETTEXT, 128,
                           reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &copied))
    return -1;
  return wcstol(text, nullptr, 10);
}

// A digest of the window as the screen shows it: the recording panel's counter changes it
// every second while a recording runs.
uint64_t screen_digest(HWND wnd) {
  RECT r = {};
  GetWindowRect(wnd, &r);
  uint64_t digest = 14695981039346656037ull;
  for (uint32_t pixel : WkScreenPixels(r).rgb)
    digest = (digest ^ pixel) * 1099511628211ull;
  return digest;
}

// Whether anything moves in the window or the tray icon over a second and a half.
bool moves(HWND main, HWND tray_icon) {
  uint64_t before = screen_digest(main);
  std::vector<COLORREF> icon;
  for (int i = 0; i < 10; ++i, Sleep(150))
    icon.push_back(WineTray::MiddlePixel(tray_icon));
  bool blinks = false;
  for (COLORREF c : icon)
    blinks |= c != icon.front();
  return blinks || screen_digest(main) != before;
}

// The cached record of a recording, as the next start of the program reads it.
qel_avi_file cached(const std::wstring& avi) {
  qel_avi_file file;
  file.create(as_u16(avi.c_str()), ZulProfileKey::Root_CurrentUser()
                                       .GetSubKey(g_qel_settings_path)
                                       .GetSubKey("avi_file_info_cache"));
  file.load_from_registry();
  return file;
}

std::wstring cut_files_value() {
  std::u16string text;
  ZulProfileKey::Root_CurrentUser()
      .GetSubKey(g_qel_settings_path)
      .GetSubKey("avi_file_info_cache")
      .GetValue("cut_files")
      .GetWString(&text, 1 << 20);
  return std::wstring(text.begin(), text.end());
}

// A recording that a messenger's engine runs for the test.
struct Recording {
  std::string path;  // as requested, without ".avi"
  std::wstring avi;
  std::wstring title;
  int64_t engine_start = 0;
};

int count_of(const std::string& text, const std::string& needle) {
  int n = 0;
  for (size_t at = 0; (at = text.find(needle, at)) != std::string::npos; at += needle.size())
    ++n;
  return n;
}

// Record at the main window, once the engine writing to `log` has started; empty when it
// did not.
Recording record(HWND main, const std::wstring& log) {
  Recording r;
  int before = count_of(read_shared_file(log), "started ");
  PostMessageW(main, WM_COMMAND, kQelWndRecord, 0);
  if (!wait_until([&] { return count_of(read_shared_file(log), "started ") > before; }))
    return r;
  std::string text = read_shared_file(log);
  size_t req = text.rfind("request_record ");
  size_t started = text.rfind("started ");
  r.path = text.substr(req + 15, text.find_first_of("\r\n", req) - req - 15);
  r.engine_start = std::stoll(text.substr(started + 8));
  r.avi = widen(r.path + ".avi");
  r.title = widen(r.path.substr(r.path.rfind('\\') + 1));
  return r;
}

// The engine dies three seconds into a recording and nobody presses anything: the program
// notices its process end, lists what it wrote with its length and the torn-film mark,
// counts it in the totals, caches it, stops the panel and the tray animation and says so in
// one message box. A second engine dying the same way while the box is still up adds its
// recording and still shows one box; Stop pressed afterwards changes nothing.
TEST(RecordingThroughMessengerE2eTest, EngineKilledMidRecordingIsNoticedWithoutStop) {
  ASSERT_TRUE(end_running_program());
  Program regserver(L"/Regserver");
  ASSERT_EQ(regserver.WaitExit(), 0);
  std::wstring log = temp_dir() + L"qel_sim_engine_died.log";
  DeleteFileW(log.c_str());
  Program program;
  HWND main = nullptr;
  ASSERT_TRUE(wait_until([&] { return (main = main_wnd()) != nullptr; }));
  HWND icon = nullptr;
  ASSERT_TRUE(wait_until([&] { return (icon = WineTray::FindIcon(kTrayTip)) != nullptr; }));
  auto sim = std::make_unique<Sim>(L"--call \"--engine-log=" + log + L"\"");
  ASSERT_TRUE(
      wait_until([&] { return read_shared_file(log).find("streams") != std::string::npos; }));
  long files = total_files(main);

  Recording first = record(main, log);
  DWORD started = GetTickCount();
  ASSERT_FALSE(first.path.empty()) << read_shared_file(log);
  Sleep(500);
  EXPECT_TRUE(moves(main, icon)) << "the panel counts and the icon blinks while recording";
  DWORD elapsed = GetTickCount() - started;
  ASSERT_LT(elapsed, 3000u);
  Sleep(3000 - elapsed);
  sim->Kill();
  DWORD killed = GetTickCount();
  RemoteListView list(GetDlgItem(main, IDC_HISTORY_LIST));
  ASSERT_TRUE(wait_until([&] { return row_titled(list, first.title) >= 0; }, 5000));
  EXPECT_LE(GetTickCount() - killed, 5000u);
  int row = row_titled(list, first.title);
  std::wstring length = list.Cell(row, 2);
  EXPECT_TRUE(length == L"00:03" || length == L"00:04") << narrow(length);
  EXPECT_EQ(list.Image(row, 0), 2) << "the torn-film mark";
  EXPECT_EQ(total_files(main), files + 1);
  HWND box = nullptr;
  ASSERT_TRUE(
      wait_until([&] { return (box = program_window(nullptr, kEndedTitle, program.pid())); }));
  wchar_t line[256] = {};
  GetDlgItemTextW(box, IDC_MSGBOX_LINE1, line, 256);
  EXPECT_STREQ(line, L"The recording ended unexpectedly.");
  GetDlgItemTextW(box, IDC_MSGBOX_LINE2, line, 256);
  EXPECT_STREQ(line, L"The part recorded until then is saved in your library.");
  Sleep(1000);
  EXPECT_FALSE(moves(main, icon)) << "the panel is gone and the icon still";

  qel_avi_file entry = cached(first.avi);
  EXPECT_EQ(entry.get_time_len(), std::stoi(narrow(length.substr(3))));
  EXPECT_TRUE(entry.get_has_video());
  EXPECT_TRUE(entry.get_has_audio());
  EXPECT_LE(std::llabs(entry.get_start_time() - first.engine_start), 2) << "the request's time";
  EXPECT_NE(cut_files_value().find(first.title + L".avi"), std::wstring::npos)
      << narrow(cut_files_value());
  bool whole = true;
  EXPECT_EQ(read_seconds(first.avi, &whole), entry.get_time_len());
  EXPECT_FALSE(whole) << "never written until the user repairs it";

  // The box is still up when the next engine dies.
  std::wstring log2 = temp_dir() + L"qel_sim_engine_died_2.log";
  DeleteFileW(log2.c_str());
  sim = std::make_unique<Sim>(L"--call \"--engine-log=" + log2 + L"\"");
  ASSERT_TRUE(
      wait_until([&] { return read_shared_file(log2).find("streams") != std::string::npos; }));
  Recording second = record(main, log2);
  ASSERT_FALSE(second.path.empty()) << read_shared_file(log2);
  Sleep(1500);
  sim->Kill();
  ASSERT_TRUE(wait_until([&] { return row_titled(list, second.title) >= 0; }, 5000));
  EXPECT_EQ(total_files(main), files + 2);
  EXPECT_EQ(count_program_windows(kEndedTitle, program.pid()), 1);
  PostMessageW(main, WM_COMMAND, kQelWndStop, 0);
  Sleep(1500);
  EXPECT_EQ(total_files(main), files + 2) << "Stop after the death adds nothing";
  EXPECT_EQ(count_program_windows(kEndedTitle, program.pid()), 1);
  EXPECT_EQ(program_window(nullptr, L"Error", program.pid()), nullptr) << "no assertion";

  send_shutdown();
  EXPECT_EQ(program.WaitExit(), 0);
  DeleteFileW(first.avi.c_str());
  DeleteFileW(second.avi.c_str());
  DeleteFileW(log.c_str());
  DeleteFileW(log2.c_str());
}

// Nothing is said when an engine dies with nothing recording, when an engine that did not
// take the recording dies while another records, or when a messenger quits after its
// recording was stopped.
TEST(RecordingThroughMessengerE2eTest, IdleEnginesAndMessengersThatQuitEndQuietly) {
  ASSERT_TRUE(end_running_program());
  Program regserver(L"/Regserver");
  ASSERT_EQ(regserver.WaitExit(), 0);
  std::wstring log_a = temp_dir() + L"qel_sim_engine_a.log";
  std::wstring log_b = temp_dir() + L"qel_sim_engine_b.log";
  DeleteFileW(log_a.c_str());
  DeleteFileW(log_b.c_str());
  Program program;
  HWND main = nullptr;
  ASSERT_TRUE(wait_until([&] { return (main = main_wnd()) != nullptr; }));
  auto connected = [](const std::wstring& log) {
    return wait_until([&] { return read_shared_file(log).find("connected") != std::string::npos; });
  };
  Sim in_call(L"--call \"--engine-log=" + log_a + L"\"");
  ASSERT_TRUE(connected(log_a));
  auto idle = std::make_unique<Sim>(L"\"--engine-log=" + log_b + L"\"");
  ASSERT_TRUE(connected(log_b));
  long files = total_files(main);

  idle->Kill();
  Sleep(2000);
  EXPECT_EQ(program_window(nullptr, kEndedTitle, program.pid()), nullptr) << "nothing recorded";

  DeleteFileW(log_b.c_str());
  idle = std::make_unique<Sim>(L"\"--engine-log=" + log_b + L"\"");
  ASSERT_TRUE(connected(log_b));
  Recording r = record(main, log_a);
  ASSERT_FALSE(r.path.empty()) << read_shared_file(log_a);
  EXPECT_TRUE(wait_until([&] { return !log_value(log_b, "request_record").empty(); }));
  EXPECT_TRUE(log_value(log_b, "started").empty()) << "no call, nothing to record";
  idle->Kill();
  Sleep(2000);
  EXPECT_EQ(program_window(nullptr, kEndedTitle, program.pid()), nullptr) << "the other records";
  EXPECT_EQ(total_files(main), files);
  EXPECT_TRUE(log_value(log_a, "stopped").empty());

  PostMessageW(main, WM_COMMAND, kQelWndStop, 0);
  ASSERT_TRUE(wait_until([&] { return !log_value(log_a, "stopped").empty(); }));
  EXPECT_TRUE(wait_until([&] { return total_files(main) == files + 1; }));
  in_call.Control(kSimQuit);
  EXPECT_EQ(in_call.WaitExit(), 0);
  Sleep(2000);
  EXPECT_EQ(program_window(nullptr, kEndedTitle, program.pid()), nullptr) << "ended normally";
  EXPECT_EQ(total_files(main), files + 1);
  EXPECT_EQ(program_window(nullptr, L"Error", program.pid()), nullptr) << "no assertion";

  send_shutdown();
  EXPECT_EQ(program.WaitExit(), 0);
  DeleteFileW(r.avi.c_str());
  DeleteFileW(log_a.c_str());
  DeleteFileW(log_b.c_str());
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
  ASSERT_TRUE(wait_until([&] {
    return read_shared_file(log).find("streams") != std::string::npos;
  })) << read_shared_file(log);
  HWND main = main_wnd();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, kQelWndRecord, 0);
  ASSERT_TRUE(wait_until([&] { return !log_value(log, "started").empty(); }))
      << read_shared_file(log);
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
