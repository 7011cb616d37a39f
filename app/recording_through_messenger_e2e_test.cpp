// A recorded call end to end: the program attaches the engine inside a simulated messenger,
// the engine reports the call's streams, Record and Stop at the main window make it write an
// AVI into the recording folder, and the program files it with its private chunk.
#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <regex>
#include <string>
#include <vector>

#include "app/testing/recording_e2e.h"
#include "app/testing/wine_tray.h"
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

class RecordingThroughMessengerE2eTest : public RecordingE2eTest {};

TEST_F(RecordingThroughMessengerE2eTest, RecordAndStopAtTheMainWindowFileTheEnginesAvi) {
  std::wstring log = NewLog(L"qel_sim_engine.log");
  Program program;
  Sim sim(L"--call \"--engine-log=" + log + L"\"");
  HWND main = nullptr;
  Recording r;
  ASSERT_NO_FATAL_FAILURE(RecordInCall(log, &main, &r));
  EXPECT_TRUE(std::regex_match(
      r.path, std::regex(R"(.*\\Quorvantine Records for Msn\\\d{4}-\d\d-\d\d \d\d-\d\d-\d\d)")))
      << r.path;

  PostMessageW(main, WM_COMMAND, kQelWndStop, 0);
  ASSERT_TRUE(wait_until([&] { return !log_value(log, "stopped").empty(); }))
      << read_shared_file(log);
  EXPECT_EQ(log_value(log, "stopped").substr(0, r.path.size() + 4), r.path + ".avi");
  // Filed by the program: the private chunk is written into the engine's file.
  EXPECT_TRUE(
      wait_until([&] { return read_shared_file(r.avi).find("_qel") != std::string::npos; }));
  std::string bytes = read_shared_file(r.avi);
  EXPECT_EQ(bytes.substr(0, 4), "RIFF");
  EXPECT_EQ(bytes.substr(8, 4), "AVI ");

  sim.Control(kSimQuit);
  EXPECT_EQ(sim.WaitExit(), 0);
  send_shutdown();
  EXPECT_EQ(program.WaitExit(), 0);
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

// A digest of the window as the screen shows it: the recording panel's counter changes it
// every second while a recording runs.
uint64_t screen_digest(HWND wnd) {
  WkLiftedWindow lifted(wnd);
  RECT r = {};
  GetWindowRect(wnd, &r);
  uint64_t digest = 14695981039346656037ull;
  for (uint32_t pixel : WkScreenPixels(r).rgb)
    digest = (digest ^ pixel) * 1099511628211ull;
  return digest;
}

// The row of a recording whose engine was killed three seconds in, listed within five seconds
// of the kill with its length, three or four seconds, and the torn-film mark.
void expect_cut_row(const RemoteListView& list,
                    const std::wstring& title,
                    DWORD killed,
                    std::wstring* length) {
  ASSERT_TRUE(wait_until([&] { return row_titled(list, title) >= 0; }, 5000));
  EXPECT_LE(GetTickCount() - killed, 5000u);
  int row = row_titled(list, title);
  *length = list.Cell(row, 2);
  EXPECT_TRUE(*length == L"00:03" || *length == L"00:04") << narrow(*length);
  EXPECT_EQ(list.Image(row, 0), 2) << "the torn-film mark";
}

// The program's message box that a recording ended unexpectedly, and its two lines.
void expect_ended_box(DWORD pid) {
  HWND box = nullptr;
  ASSERT_TRUE(wait_until([&] { return (box = program_window(nullptr, kEndedTitle, pid)); }));
  wchar_t line[256] = {};
  GetDlgItemTextW(box, IDC_MSGBOX_LINE1, line, 256);
  EXPECT_STREQ(line, L"The recording ended unexpectedly.");
  GetDlgItemTextW(box, IDC_MSGBOX_LINE2, line, 256);
  EXPECT_STREQ(line, L"The part recorded until then is saved in your library.");
}

// The digest once two reads 100 ms apart agree: lifted above other tests' windows, the
// window repaints what they covered in its own time.
uint64_t settled_digest(HWND wnd) {
  WkLiftedWindow lifted(wnd);
  uint64_t last = screen_digest(wnd);
  for (int i = 0; i < 20; ++i) {
    Sleep(100);
    uint64_t now = screen_digest(wnd);
    if (now == last)
      break;
    last = now;
  }
  return last;
}

// Whether anything moves in the window or the tray icon over a second and a half.
bool moves(HWND main, HWND tray_icon) {
  WkLiftedWindow lifted_main(main), lifted_icon(tray_icon);
  uint64_t before = settled_digest(main);
  std::vector<COLORREF> icon;
  for (int i = 0; i < 10; ++i, Sleep(150))
    icon.push_back(WineTray::MiddlePixel(tray_icon));
  bool blinks = false;
  for (COLORREF c : icon)
    blinks |= c != icon.front();
  return blinks || settled_digest(main) != before;
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

// The engine dies three seconds into a recording and nobody presses anything: the program
// notices its process end, lists what it wrote with its length and the torn-film mark,
// counts it in the totals, caches it, stops the panel and the tray animation and says so in
// one message box. A second engine dying the same way while the box is still up adds its
// recording and still shows one box; Stop pressed afterwards changes nothing.
TEST_F(RecordingThroughMessengerE2eTest, EngineKilledMidRecordingIsNoticedWithoutStop) {
  std::wstring log = NewLog(L"qel_sim_engine_died.log");
  Program program;
  HWND main = nullptr;
  ASSERT_TRUE(wait_until([&] { return (main = main_wnd()) != nullptr; }));
  HWND icon = nullptr;
  ASSERT_TRUE(wait_until([&] { return (icon = WineTray::FindIcon(kTrayTip)) != nullptr; }));
  auto sim = std::make_unique<Sim>(L"--call \"--engine-log=" + log + L"\"");
  ASSERT_TRUE(logged(log, "streams")) << read_shared_file(log);
  long files = total_files(main);

  Recording first = record(main, log);
  DWORD started = GetTickCount();
  ASSERT_FALSE(first.path.empty()) << read_shared_file(log);
  LeavesFile(first.avi);
  Sleep(500);
  EXPECT_TRUE(moves(main, icon)) << "the panel counts and the icon blinks while recording";
  DWORD elapsed = GetTickCount() - started;
  ASSERT_LT(elapsed, 3000u);
  Sleep(3000 - elapsed);
  sim->Kill();
  DWORD killed = GetTickCount();
  RemoteListView list(GetDlgItem(main, IDC_HISTORY_LIST));
  std::wstring length;
  ASSERT_NO_FATAL_FAILURE(expect_cut_row(list, first.title, killed, &length));
  EXPECT_EQ(total_files(main), files + 1);
  ASSERT_NO_FATAL_FAILURE(expect_ended_box(program.pid()));
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
  std::wstring log2 = NewLog(L"qel_sim_engine_died_2.log");
  sim = std::make_unique<Sim>(L"--call \"--engine-log=" + log2 + L"\"");
  ASSERT_TRUE(logged(log2, "streams")) << read_shared_file(log2);
  Recording second = record(main, log2);
  ASSERT_FALSE(second.path.empty()) << read_shared_file(log2);
  LeavesFile(second.avi);
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
}

// Nothing is said when an engine dies with nothing recording, when an engine that did not
// take the recording dies while another records, or when a messenger quits after its
// recording was stopped.
TEST_F(RecordingThroughMessengerE2eTest, IdleEnginesAndMessengersThatQuitEndQuietly) {
  std::wstring log_a = NewLog(L"qel_sim_engine_a.log");
  std::wstring log_b = NewLog(L"qel_sim_engine_b.log");
  Program program;
  HWND main = nullptr;
  ASSERT_TRUE(wait_until([&] { return (main = main_wnd()) != nullptr; }));
  Sim in_call(L"--call \"--engine-log=" + log_a + L"\"");
  ASSERT_TRUE(logged(log_a, "connected"));
  auto idle = std::make_unique<Sim>(L"\"--engine-log=" + log_b + L"\"");
  ASSERT_TRUE(logged(log_b, "connected"));
  long files = total_files(main);

  idle->Kill();
  Sleep(2000);
  EXPECT_EQ(program_window(nullptr, kEndedTitle, program.pid()), nullptr) << "nothing recorded";

  DeleteFileW(log_b.c_str());
  idle = std::make_unique<Sim>(L"\"--engine-log=" + log_b + L"\"");
  ASSERT_TRUE(logged(log_b, "connected"));
  Recording r = record(main, log_a);
  ASSERT_FALSE(r.path.empty()) << read_shared_file(log_a);
  LeavesFile(r.avi);
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
}

// The engine is killed three seconds into a recording and the user presses Stop: the failed
// request tells the program, which at once lists what the engine wrote, with its length and
// the torn-film mark, and says what happened; after a restart it is still listed, and Repair
// from its row's menu makes the file whole.
TEST_F(RecordingThroughMessengerE2eTest, RecordingOfAKilledEngineIsListedAndRepaired) {
  std::wstring log = NewLog(L"qel_sim_engine_killed.log");
  auto program = std::make_unique<Program>();
  Sim sim(L"--call \"--engine-log=" + log + L"\"");
  HWND main = nullptr;
  Recording r;
  ASSERT_NO_FATAL_FAILURE(RecordInCall(log, &main, &r));
  Sleep(3000);
  sim.Kill();
  DWORD killed = GetTickCount();
  // The user sees the recording hang and presses Stop.
  PostMessageW(main, WM_COMMAND, kQelWndStop, 0);

  std::wstring length;
  ASSERT_NO_FATAL_FAILURE(
      expect_cut_row(RemoteListView(GetDlgItem(main, IDC_HISTORY_LIST)), r.title, killed, &length));
  ASSERT_NO_FATAL_FAILURE(expect_ended_box(program->pid()));
  bool whole = true;
  EXPECT_EQ(read_seconds(r.avi, &whole), std::stoi(narrow(length.substr(3))));
  EXPECT_FALSE(whole) << "never written until the user repairs it";

  send_shutdown();
  EXPECT_EQ(program->WaitExit(), 0);
  program = std::make_unique<Program>();
  ASSERT_TRUE(wait_until([&] {
    return (main = main_wnd()) != nullptr && GetDlgItem(main, IDC_HISTORY_LIST) != nullptr;
  }));
  RemoteListView list(GetDlgItem(main, IDC_HISTORY_LIST));
  ASSERT_TRUE(wait_until([&] { return row_titled(list, r.title) >= 0; }));
  int row = row_titled(list, r.title);
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
  ASSERT_TRUE(wait_until([&] { return read_seconds(r.avi, &whole) >= 0 && whole; }))
      << "row " << row << " of " << list.Rows() << " at " << rect.top << "-" << rect.bottom
      << ", repair failed: "
      << (program_window(nullptr, L"Failed to repair the recording.", program->pid()) != nullptr);
  EXPECT_EQ(read_seconds(r.avi, &whole), std::stoi(narrow(length.substr(3))));
  EXPECT_TRUE(wait_until([&] { return list.Image(row_titled(list, r.title), 0) == -1; }));
  EXPECT_EQ(list.Cell(row_titled(list, r.title), 2), length);

  send_shutdown();
  EXPECT_EQ(program->WaitExit(), 0);
}

}  // namespace
