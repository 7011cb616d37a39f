#include "app/testing/recording_e2e.h"

#include "library/avi_cut_scan.h"
#include "library/avi_stream_info.h"
#include "library/qel_app_constants.h"
#include "library/qel_profile.h"
#include "res/resource.h"
#include "ui/qel_ui_cmd.h"

namespace messenger_e2e {

using namespace qel_testing;

std::string log_value(const std::wstring& log, const std::string& event) {
  std::string text = read_shared_file(log);
  size_t pos = text.find(event + " ");
  if (pos == std::string::npos)
    return {};
  size_t end = text.find_first_of("\r\n", pos);
  return text.substr(pos + event.size() + 1, end - pos - event.size() - 1);
}

bool logged(const std::wstring& log, const std::string& event) {
  return wait_until([&] { return read_shared_file(log).find(event) != std::string::npos; });
}

int count_of(const std::string& text, const std::string& needle) {
  int n = 0;
  for (size_t at = 0; (at = text.find(needle, at)) != std::string::npos; at += needle.size())
    ++n;
  return n;
}

std::string last_requested(const std::wstring& log) {
  std::string text = read_shared_file(log);
  size_t req = text.rfind("request_record ");
  if (req == std::string::npos)
    return {};
  return text.substr(req + 15, text.find_first_of("\r\n", req) - req - 15);
}

Recording record(HWND main, const std::wstring& log) {
  Recording r;
  int before = count_of(read_shared_file(log), "started ");
  PostMessageW(main, WM_COMMAND, kQelWndRecord, 0);
  if (!wait_until([&] { return count_of(read_shared_file(log), "started ") > before; }))
    return r;
  std::string text = read_shared_file(log);
  size_t started = text.rfind("started ");
  r.path = last_requested(log);
  r.engine_start = std::stoll(text.substr(started + 8));
  r.avi = widen(r.path + ".avi");
  r.title = widen(r.path.substr(r.path.rfind('\\') + 1));
  return r;
}

int row_titled(const RemoteListView& list, const std::wstring& title) {
  for (int i = 0, rows = list.Rows(); i < rows; ++i) {
    if (list.Cell(i, 0) == title)
      return i;
  }
  return -1;
}

long total_files(HWND main) {
  wchar_t text[128] = {};
  DWORD_PTR copied = 0;
  if (!SendMessageTimeoutW(GetDlgItem(main, IDC_STATUS_BAR), WM_GETTEXT, 128,
                           reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 5000, &copied))
    return -1;
  return wcstol(text, nullptr, 10);
}

qel_avi_file cached(const std::wstring& avi) {
  qel_avi_file file;
  file.create(as_u16(avi.c_str()), ZulProfileKey::Root_CurrentUser()
                                       .GetSubKey(g_qel_settings_path)
                                       .GetSubKey("avi_file_info_cache"));
  file.load_from_registry();
  return file;
}

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

void RecordingE2eTest::SetUp() {
  ASSERT_TRUE(end_running_program());
  Program regserver(L"/Regserver");
  ASSERT_EQ(regserver.WaitExit(), 0);
}

void RecordingE2eTest::TearDown() {
  for (const std::wstring& file : leftovers_)
    DeleteFileW(file.c_str());
}

std::wstring RecordingE2eTest::NewLog(const wchar_t* name) {
  std::wstring log = temp_dir() + name;
  DeleteFileW(log.c_str());
  leftovers_.push_back(log);
  return log;
}

void RecordingE2eTest::RecordInCall(const std::wstring& log, HWND* main, Recording* r) {
  ASSERT_TRUE(logged(log, "streams")) << read_shared_file(log);
  *main = main_wnd();
  ASSERT_NE(*main, nullptr);
  *r = record(*main, log);
  ASSERT_FALSE(r->path.empty()) << read_shared_file(log);
  LeavesFile(r->avi);
}

}  // namespace messenger_e2e
