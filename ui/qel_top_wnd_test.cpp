// The main window in this process, with the program's resources: what it shows (title,
// menus, buttons, status bar, list cells), and what it does with the user's clicks, keys,
// tray clicks and timers.
#include "ui/qel_top_wnd.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <functional>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "library/qel_app_constants.h"
#include "library/qel_app_setting.h"
#include "platform/clock.h"
#include "platform/testing/fixed_clock.h"
#include "platform/win32/scoped_handle.h"
#include "qel_lib/qel_assert_capture.h"
#include "res/resource.h"
#include "ui/core/foo_button_layout.h"
#include "ui/core/qel_start_time_text.h"
#include "ui/qel_ui_texts.h"
#include "ui/testing/dialog_driver.h"
#include "winkit/testing/window_probe.h"
#include "winkit/wk_resource.h"

namespace {

constexpr const char* kTouchedValues[] = {"ui_main_wnd_show", "ui_main_wnd_x",
                                          "ui_main_wnd_y",    "ui_main_wnd_w",
                                          "ui_main_wnd_h",    "legal_warning_showed"};

platform::ScopedRegKey settings_key() {
  HKEY key = nullptr;
  RegCreateKeyExA(HKEY_CURRENT_USER, g_qel_settings_path, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                  &key, nullptr);
  return platform::ScopedRegKey(key);
}

void set_dword(const char* name, DWORD value) {
  RegSetValueExA(settings_key().get(), name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value),
                 sizeof value);
}

bool get_dword(const char* name, DWORD* value) {
  DWORD size = sizeof *value;
  return RegQueryValueExA(settings_key().get(), name, nullptr, nullptr,
                          reinterpret_cast<BYTE*>(value), &size) == 0;
}

void forget_window_settings() {
  platform::ScopedRegKey key = settings_key();
  for (const char* name : kTouchedValues)
    RegDeleteValueA(key.get(), name);
}

// Runs the thread's messages until the condition holds or the time is up.
bool pump_until(const std::function<bool()>& done, int ms = 3000) {
  auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end)
      return false;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    Sleep(10);
  }
  return true;
}

void pump_for(int ms) {
  pump_until([] { return false; }, ms);
}

shared_ptr<qel_ui_avi_file_info> record(uint32_t id,
                                        const std::u16string& title,
                                        int64_t start,
                                        int32_t length,
                                        bool audio = true,
                                        bool video = true) {
  shared_ptr<qel_ui_avi_file_info> info(new qel_ui_avi_file_info);
  info->m_id = id;
  info->m_title = title.substr(0, const_qel_ui_path_len - 1);
  info->m_file_path = u"C:\\records\\" + info->m_title.substr(0, 100) + u".avi";
  info->m_start_time = start;
  info->m_time_len = length;
  info->m_has_audio = audio;
  info->m_has_video = video;
  return info;
}

// Collects what the window publishes.
class CommandLog : public ZulIObject {
 public:
  void OnCmd(const qel_ui_cmd* cmd) { cmds.push_back(*cmd); }
  std::vector<qel_ui_cmd> cmds;
};

class TopWndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    forget_window_settings();
    log_ = shared_ptr<CommandLog>(new CommandLog);
    adapter_.Bind(log_, &CommandLog::OnCmd);
  }
  void TearDown() override {
    if (wnd_.valid())
      wnd_->Finalize();
    forget_window_settings();
  }
  void Create(int show_mode = 1) {
    wnd_ = shared_ptr<CMyTopWnd>(new CMyTopWnd);
    ASSERT_TRUE(wnd_->create(show_mode));
    wnd_->m_ui_cmd_sink.Attach(&adapter_, 0);
  }
  HWND hwnd() const { return wnd_->GetSafeHwnd(); }
  HWND list() const { return GetDlgItem(hwnd(), IDC_HISTORY_LIST); }
  HWND status() const { return GetDlgItem(hwnd(), IDC_STATUS_BAR); }
  std::wstring StatusText() const {
    wchar_t text[256] = {};
    SendMessageW(status(), SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(text));
    return text;
  }
  std::wstring Cell(int row, int column) const {
    wchar_t text[512] = {};
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = text;
    item.cchTextMax = 512;
    SendMessageW(list(), LVM_GETITEMTEXTW, row, reinterpret_cast<LPARAM>(&item));
    return text;
  }
  int Image(int row, int column) const {
    LVITEMW item = {};
    item.mask = LVIF_IMAGE;
    item.iItem = row;
    item.iSubItem = column;
    item.iImage = -7;
    ListView_GetItem(list(), &item);
    return item.iImage;
  }
  void Command(WORD id) { SendMessageW(hwnd(), WM_COMMAND, id, 0); }
  std::vector<int> Codes() const {
    std::vector<int> out;
    for (const qel_ui_cmd& c : log_->cmds)
      out.push_back(c.m_cmd_id);
    return out;
  }

  AssertCapture capture_;
  // Berlin, so that the summer-time switches can be tried; moved only by the tests.
  test_env::FixedClock clock_{test_env::utc(2026, 12, 8, 9, 0), test_env::FixedClock::kBerlin};
  shared_ptr<CMyTopWnd> wnd_;
  shared_ptr<CommandLog> log_;
  ObserverAdapter<CommandLog, qel_ui_cmd_subject> adapter_;
};

TEST_F(TopWndTest, ShowsTitleMenusButtonsListAndTotals) {
  Create();
  wchar_t title[128] = {};
  GetWindowTextW(hwnd(), title, 128);
  EXPECT_STREQ(title, L"Quorvantine Video Recorder for MSN");
  EXPECT_FALSE(IsWindowVisible(hwnd())) << "show mode 1 keeps it hidden";

  HMENU bar = GetMenu(hwnd());
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  wchar_t text[64] = {};
  GetMenuStringW(bar, 0, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"File (&F)");
  GetMenuStringW(bar, 1, text, 64, MF_BYPOSITION);
  EXPECT_STREQ(text, L"Help (&H)");
  std::vector<UINT> file_ids, help_ids;
  for (int i = 0; i < GetMenuItemCount(GetSubMenu(bar, 0)); ++i)
    file_ids.push_back(GetMenuItemID(GetSubMenu(bar, 0), i));
  for (int i = 0; i < GetMenuItemCount(GetSubMenu(bar, 1)); ++i)
    help_ids.push_back(GetMenuItemID(GetSubMenu(bar, 1), i));
  EXPECT_EQ(file_ids, (std::vector<UINT>{32780, 32776, 0, 32790, 0, 32781}));
  EXPECT_EQ(help_ids, (std::vector<UINT>{40002, 0, 32804, 32787, 32786, 0, 32773, 32785}));

  struct Expected {
    int id;
    const wchar_t* caption;
  };
  for (Expected b :
       {Expected{32780, L"Record"}, Expected{32776, L"Stop Recording"}, Expected{104, L"Here"},
        Expected{103, L"change..."}, Expected{32809, L"Picture In Picture"}}) {
    HWND button = GetDlgItem(hwnd(), b.id);
    ASSERT_NE(button, nullptr) << b.id;
    EXPECT_EQ(WkReadControlText(button), b.caption);
    EXPECT_EQ(GetWindowLongW(button, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW) << b.id;
    EXPECT_TRUE(GetWindowLongW(button, GWL_STYLE) & WS_TABSTOP) << b.id;
  }
  EXPECT_NE(GetDlgItem(hwnd(), 32805), nullptr);

  EXPECT_EQ(StatusText(), L"0 files, 0 minutes recorded in total");
  EXPECT_EQ(SendMessageW(status(), SB_GETPARTS, 0, 0), 2);
  wnd_->set_total_minutes(45);
  wnd_->set_total_files(3);
  EXPECT_EQ(StatusText(), L"3 files, 45 minutes recorded");

  EXPECT_TRUE(GetWindowLongW(list(), GWL_STYLE) & LVS_OWNERDATA);
  EXPECT_EQ(ListView_GetItemCount(list()), 0);
  EXPECT_EQ(capture_.count(), 0u);
}

std::vector<HWND> children(HWND parent) {
  std::vector<HWND> out;
  EnumChildWindows(
      parent,
      [](HWND child, LPARAM found) {
        reinterpret_cast<std::vector<HWND>*>(found)->push_back(child);
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&out));
  return out;
}

// Read as the user sees it: every caption in its control's own font, whole, and no control
// over another, at the default size with this system's fonts.
TEST_F(TopWndTest, EveryCaptionFitsItsControlAndNoControlCoversAnother) {
  Create(0);
  RECT client;
  GetClientRect(hwnd(), &client);
  RECT status_rect;
  GetWindowRect(status(), &status_rect);
  MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&status_rect), 2);
  std::vector<std::pair<HWND, RECT>> placed;
  HDC screen = GetDC(nullptr);
  for (HWND child : children(hwnd())) {
    if (GetParent(child) != hwnd() || child == status() || !IsWindowVisible(child))
      continue;
    RECT r;
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, hwnd(), reinterpret_cast<POINT*>(&r), 2);
    int id = GetDlgCtrlID(child);
    EXPECT_TRUE(r.left >= 0 && r.right <= client.right && r.top >= 0 && r.bottom <= status_rect.top)
        << id << " lies outside the client area above the status bar";
    for (const auto& [other, o] : placed) {
      RECT common;
      EXPECT_FALSE(IntersectRect(&common, &r, &o))
          << id << " covers " << GetDlgCtrlID(other) << " (" << WkReadControlText(child) << " / "
          << WkReadControlText(other) << ")";
    }
    placed.push_back({child, r});

    std::wstring caption = WkReadControlText(child);
    // The two big buttons and the two small pictures show images, not their captions.
    bool picture = r.right - r.left <= 20 && r.bottom - r.top <= 20;
    if (caption.empty() || picture || id == kQelWndRecord || id == kQelWndStop ||
        id == IDC_HISTORY_LIST)
      continue;
    HFONT font = reinterpret_cast<HFONT>(SendMessageW(child, WM_GETFONT, 0, 0));
    ASSERT_NE(font, nullptr) << id;
    HGDIOBJ old = SelectObject(screen, font);
    RECT text = {};
    DrawTextW(screen, caption.c_str(), -1, &text, DT_SINGLELINE | DT_CALCRECT);
    SelectObject(screen, old);
    int kind = id == kQelWndAudioButton || id == kQelWndVideoButton ? kFooDropDown : kFooFlat;
    UiRect box = foo_text_box({0, 0, r.right - r.left, r.bottom - r.top}, kind, kFooTextLeft);
    EXPECT_LE(text.right, box.width()) << "\"" << caption << "\" is cut short";
    EXPECT_LE(text.bottom, box.height() + 2) << "\"" << caption << "\" is cut off below";
  }
  ReleaseDC(nullptr, screen);
  EXPECT_GE(placed.size(), 11u);
}

// What a screen reader says for each button, link, label and picture: Wine's accessibility
// layer gives no object for them, so read what it would name them by, their window text.
TEST_F(TopWndTest, EveryOwnerDrawnControlHasAnAccessibleName) {
  Create(0);
  std::vector<std::wstring> names;
  for (HWND child : children(hwnd())) {
    wchar_t cls[32] = {};
    GetClassNameW(child, cls, 32);
    if (lstrcmpiW(cls, L"Button") != 0)
      continue;
    ASSERT_EQ(GetWindowLongW(child, GWL_STYLE) & BS_TYPEMASK, BS_OWNERDRAW);
    std::wstring said = WkReadControlText(child);
    EXPECT_FALSE(said.empty()) << "control " << GetDlgCtrlID(child) << " has no name";
    names.push_back(said);
  }
  EXPECT_EQ(names, (std::vector<std::wstring>{L"Record", L"Stop Recording", L"Here", L"change...",
                                              L"Your recordings are saved", L"Audio:", L"Audio:",
                                              L"Video:", L"Both", L"Picture In Picture"}));
}

TEST_F(TopWndTest, ListShowsRecordsNewestFirstThroughTheControl) {
  Create();
  int64_t now = clock_.local(2026, 12, 8, 10, 0);
  clock_.set(now);
  wnd_->add_file_infos({record(1, u"older", now - 40 * 86400, 59, true, false),
                        record(2, u"newest", now - 1800, 3600, false, true),
                        record(3, u"middle", now - 3 * 86400, 0)});
  ASSERT_EQ(ListView_GetItemCount(list()), 3);
  EXPECT_EQ(Cell(0, 0), L"newest");
  EXPECT_EQ(Cell(1, 0), L"middle");
  EXPECT_EQ(Cell(2, 0), L"older");
  EXPECT_EQ(Cell(0, 1), L"Today, 09:30");
  EXPECT_EQ(Cell(1, 1), L"Sat, 10:00");
  EXPECT_EQ(Cell(2, 1), L"Oct 29, 10:00");
  EXPECT_EQ(Cell(0, 2), L"1:00:00");
  EXPECT_EQ(Cell(1, 2), L"00:00");
  EXPECT_EQ(Cell(2, 2), L"00:59");
  EXPECT_EQ(Image(0, 3), -1) << "no audio";
  EXPECT_EQ(Image(0, 4), 1);
  EXPECT_EQ(Image(2, 3), 0);
  EXPECT_EQ(Image(2, 4), -1);

  wnd_->remove_file_info(3);
  ASSERT_EQ(ListView_GetItemCount(list()), 2);
  EXPECT_EQ(Cell(1, 0), L"older");
  wnd_->clear_file_infos();
  EXPECT_EQ(ListView_GetItemCount(list()), 0);
  EXPECT_EQ(capture_.count(), 0u);
}

// A list filled while its window is still hidden, as at start, looks once shown as one
// filled in view: the same rows in the same places and the same scroll bar.
TEST_F(TopWndTest, ListFilledUnseenLooksAsOneFilledInView) {
  std::vector<shared_ptr<qel_ui_avi_file_info>> rows;
  for (uint32_t id = 1; id <= 200; ++id)
    rows.push_back(record(id, u"row " + std::u16string(id % 7 + 1, u'x'), 1700000000 - id, id));
  Create(1);
  ASSERT_FALSE(IsWindowVisible(hwnd()));
  wnd_->add_file_infos(rows);
  ShowWindow(hwnd(), SW_SHOWNORMAL);
  UpdateWindow(hwnd());
  shared_ptr<CMyTopWnd> in_view(new CMyTopWnd);
  ASSERT_TRUE(in_view->create(0));
  in_view->add_file_infos(rows);
  HWND other = GetDlgItem(in_view->GetSafeHwnd(), IDC_HISTORY_LIST);
  auto scroll = [](HWND list) {
    SCROLLINFO info = {};
    info.cbSize = sizeof info;
    info.fMask = SIF_ALL;
    GetScrollInfo(list, SB_VERT, &info);
    return std::vector<int>{info.nMin, info.nMax, static_cast<int>(info.nPage), info.nPos};
  };
  EXPECT_EQ(scroll(other), (std::vector<int>{0, 199, ListView_GetCountPerPage(other), 0}));
  EXPECT_EQ(scroll(list()), scroll(other));
  WkPixels unseen = WkRenderClient(list());
  WkPixels seen = WkRenderClient(other);
  in_view->Finalize();
  ASSERT_FALSE(seen.empty());
  EXPECT_EQ(unseen.rgb, seen.rgb);
  EXPECT_EQ(capture_.count(), 0u);
}

// The start-time cell at the instants where a day, month, year or the clock's offset turns.
TEST_F(TopWndTest, StartTimesReadRightAtTheTurnOfDaysYearsAndSummerTime) {
  Create();
  struct Case {
    int64_t now, start;
    const wchar_t* shown;
  };
  auto at = [this](int y, int mo, int d, int h, int mi, int s = 0) {
    return clock_.local(y, mo, d, h, mi, s);
  };
  using test_env::utc;
  const Case cases[] = {
      {at(2026, 12, 8, 0, 0, 30), at(2026, 12, 7, 23, 59), L"Yesterday, 23:59"},
      {at(2026, 12, 8, 0, 0, 30), at(2026, 12, 8, 0, 0, 10), L"Today, 00:00"},
      {at(2026, 12, 8, 23, 59, 30), at(2026, 12, 8, 0, 0), L"Today, 00:00"},
      {at(2026, 12, 8, 23, 59, 30), at(2026, 12, 7, 0, 1), L"Yesterday, 00:01"},
      // Only the day of the month tells yesterday: the last of a month is a weekday.
      {at(2027, 1, 1, 0, 0, 30), at(2026, 12, 31, 23, 30), L"Thu, 23:30"},
      {at(2027, 1, 1, 0, 0, 30), at(2026, 12, 26, 10, 0), L"Sat, 10:00"},
      {at(2027, 1, 1, 0, 0, 30), at(2026, 2, 1, 8, 0), L"Feb 1, 08:00"},
      {at(2027, 1, 1, 0, 0, 30), at(2026, 1, 1, 8, 0), L"2026-01-01, 08:00"},
      {at(2026, 12, 31, 23, 59, 30), at(2026, 1, 1, 0, 0), L"Jan 1, 00:00"},
      {at(2027, 3, 1, 0, 0, 30), at(2027, 2, 28, 23, 0), L"Sun, 23:00"},
      {at(2027, 2, 28, 23, 59, 30), at(2027, 2, 28, 12, 0), L"Today, 12:00"},
      {at(2028, 2, 29, 12, 0), at(2028, 2, 28, 12, 30), L"Yesterday, 12:30"},
      {at(2028, 2, 29, 12, 0), at(2028, 2, 29, 0, 0), L"Today, 00:00"},
      {at(2028, 3, 1, 8, 0), at(2028, 2, 29, 20, 0), L"Tue, 20:00"},
      // Spring: 02:00 becomes 03:00; a call a minute before is still today at 01:59.
      {utc(2027, 3, 28, 1, 0, 30), utc(2027, 3, 28, 0, 59), L"Today, 01:59"},
      {utc(2027, 3, 28, 1, 0, 30), at(2027, 3, 27, 2, 30), L"Yesterday, 02:30"},
      // Autumn: 03:00 becomes 02:00 again; a start at the first 02:45 reads after now's 02:30.
      {utc(2027, 10, 31, 1, 30), utc(2027, 10, 31, 0, 45), L"Today, 02:45"},
      {utc(2027, 10, 31, 1, 30), at(2027, 10, 30, 3, 0), L"Yesterday, 03:00"},
      // A start after now: its date, never "Today".
      {at(2026, 12, 8, 10, 0), at(2026, 12, 8, 11, 0), L"Dec 8, 11:00"},
      {at(2026, 12, 8, 10, 0), at(2027, 6, 1, 9, 0), L"2027-06-01, 09:00"},
      // Beyond the calendar's year 3000 a start reads as the fixed out-of-range date.
      {at(2026, 12, 8, 10, 0), utc(3001, 1, 1), L"2000-01-01, 01:00"},
      // A clock beyond it leaves now's fields empty: every start shows its full date.
      {utc(3001, 1, 1), at(2026, 12, 8, 10, 0), L"2026-12-08, 10:00"},
  };
  for (const Case& c : cases) {
    clock_.set(c.now);
    wnd_->add_file_infos({record(1, u"call", c.start, 60)});
    EXPECT_EQ(Cell(0, 1), c.shown) << "start " << c.start << " at " << c.now;
    wnd_->clear_file_infos();
  }
  EXPECT_EQ(capture_.count(), 0u);

  // A clock before 1970 is reported and counts as no time at all.
  clock_.set(-100);
  wnd_->add_file_infos({record(1, u"call", at(2026, 12, 8, 10, 0), 60)});
  EXPECT_EQ(Cell(0, 1), L"2026-12-08, 10:00");
  EXPECT_TRUE(capture_.Has("qel_start_time_text", "qel_is_displayable_time(_now)"));
}

TEST_F(TopWndTest, OddRecordsAndTenThousandRowsDisplay) {
  Create(0);
  std::vector<shared_ptr<qel_ui_avi_file_info>> many;
  for (uint32_t id = 1; id <= 10000; ++id)
    many.push_back(record(id, u"row", 1600000000 + id, static_cast<int32_t>(id)));
  many.push_back(record(20001, u"Tom & Jerry && co", 0, -5));
  many.push_back(record(20002, std::u16string(2000, u'x'), int64_t{1} << 50, INT32_MAX));
  wnd_->add_file_infos(many);
  ASSERT_EQ(ListView_GetItemCount(list()), 10002);
  // Sorted by the raw start: the far future first, the start at 0 last.
  EXPECT_EQ(Cell(0, 0).size(), 511u) << "cut to the reader's buffer, not past it";
  EXPECT_EQ(Cell(0, 1), L"2000-01-01, 01:00");
  EXPECT_EQ(Cell(0, 2), L"596523:14:07");
  EXPECT_EQ(Cell(1, 0), L"row");
  EXPECT_EQ(Cell(10001, 0), L"Tom & Jerry && co");
  EXPECT_EQ(Cell(10001, 1), L"2000-01-01, 01:00");
  EXPECT_EQ(Cell(10001, 2), L"00:00");
  // Painting the visible rows, the long and the odd ones included.
  ListView_EnsureVisible(list(), 10001, FALSE);
  WkPixels pixels = WkRenderClient(list());
  EXPECT_FALSE(pixels.empty());
  EXPECT_EQ(capture_.count(), 0u);
}

TEST_F(TopWndTest, NarrowListGivesTheNameColumnItsFallback) {
  Create();
  MoveWindow(list(), 0, 0, 100, 100, TRUE);
  SendMessageW(hwnd(), WM_SIZE, 0, MAKELPARAM(1, 1));
  RECT client;
  GetClientRect(list(), &client);
  if (client.right < 233) {
    EXPECT_EQ(wnd_->GetFrame()->get_column_widths()[0], 200);
  }
  EXPECT_EQ(wnd_->GetFrame()->get_column_widths()[2], 80);
}

TEST_F(TopWndTest, RecordWithoutStreamsShowsTheNoticeAndStillAsks) {
  set_dword("legal_warning_showed", 1);
  Create(0);
  Command(kQelWndRecord);
  EXPECT_EQ(Codes(), (std::vector<int>{kQelCmdRecord}));
  EXPECT_EQ(wnd_->GetFrame()->get_record_info_mode(), 2);
  EXPECT_TRUE(wnd_->GetFrame()->is_showing_record_info());
  // The notice goes by itself at the first tick after more than a second.
  clock_.advance(1);
  pump_for(1500);
  EXPECT_TRUE(wnd_->GetFrame()->is_showing_record_info()) << "a second is not more than one";
  clock_.advance(1);
  EXPECT_TRUE(pump_until([&] { return !wnd_->GetFrame()->is_showing_record_info(); }, 4000));

  Command(kQelWndRecord);
  ASSERT_TRUE(wnd_->GetFrame()->is_showing_record_info());
  Command(kQelWndStop);
  EXPECT_FALSE(wnd_->GetFrame()->is_showing_record_info()) << "Stop hides the notice first";
  EXPECT_EQ(Codes(), (std::vector<int>{1, 1, 2}));
  EXPECT_EQ(capture_.count(), 0u);
}

TEST_F(TopWndTest, RecordingShowsTheCounterAndAnimatesTheTray) {
  Create(0);
  wnd_->OnRecordStarted();
  EXPECT_EQ(wnd_->GetFrame()->get_record_info_mode(), 1);
  EXPECT_TRUE(wnd_->GetFrame()->get_tray().is_animating());
  pump_for(1200);
  wnd_->OnRecordStopped();
  EXPECT_FALSE(wnd_->GetFrame()->is_showing_record_info());
  EXPECT_FALSE(wnd_->GetFrame()->get_tray().is_animating());
  wnd_->OnRecordStarted();
  wnd_->reset_streams();
  EXPECT_EQ(wnd_->GetFrame()->get_record_info_mode(), 0);
  EXPECT_FALSE(wnd_->GetFrame()->is_showing_record_info());
  EXPECT_EQ(capture_.count(), 0u);
}

TEST_F(TopWndTest, LegalNoticeOnlyBeforeTheFirstManualRecording) {
  Create(0);
  wnd_->set_webcam_stream_count(1, 1);
  Command(kQelWndRecord);
  DWORD showed = 0;
  EXPECT_TRUE(get_dword("legal_warning_showed", &showed));
  EXPECT_EQ(showed, 1u);
  HWND notice = FindWindowW(nullptr, L"Please note:");
  ASSERT_NE(notice, nullptr);
  EXPECT_EQ(GetParent(notice) ? GetParent(notice) : GetWindow(notice, GW_OWNER), hwnd());
  EXPECT_EQ(WkReadDlgItemText(notice, IDC_MSGBOX_LINE1), L"Please note:");
  EXPECT_EQ(WkReadDlgItemText(notice, IDC_MSGBOX_LINE2),
            L"Many countries have laws that require you to notify people when you record their "
            L"telephone conversations.");
  DestroyWindow(notice);
  Command(kQelWndRecord);
  EXPECT_EQ(FindWindowW(nullptr, L"Please note:"), nullptr);
  EXPECT_EQ(Codes(), (std::vector<int>{1, 1}));
}

TEST_F(TopWndTest, AutoRecordAsksFiveSecondsAfterStreamsAppearWithoutTheNotice) {
  bool was_on = qel_app_setting::get_auto_record();
  qel_app_setting::set_auto_record(true);
  Create();
  wnd_->set_audio_stream_count(1, 0);
  pump_for(4000);
  EXPECT_TRUE(Codes().empty());
  EXPECT_TRUE(pump_until([&] { return !Codes().empty(); }, 3000));
  EXPECT_EQ(Codes(), (std::vector<int>{kQelCmdRecord}));
  DWORD showed = 0;
  EXPECT_FALSE(get_dword("legal_warning_showed", &showed) && showed);
  qel_app_setting::set_auto_record(was_on);
}

TEST_F(TopWndTest, TrayClickOpensTheMenuLaterAndADoubleClickOpensTheWindow) {
  Create();
  // A menu that opens is ended by a thread timer firing inside its loop.
  static bool menu_seen;
  menu_seen = false;
  UINT_PTR closer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
    if (FindWindowW(L"#32768", nullptr)) {
      menu_seen = true;
      EndMenu();
    }
  });
  SendMessageW(hwnd(), CMyTopWndCore::kTrayNotifyMsg, 2048, WM_LBUTTONUP);
  EXPECT_FALSE(menu_seen) << "not at once";
  EXPECT_TRUE(pump_until([] { return menu_seen; }, 2000));

  menu_seen = false;
  SendMessageW(hwnd(), CMyTopWndCore::kTrayNotifyMsg, 2048, WM_LBUTTONUP);
  SendMessageW(hwnd(), CMyTopWndCore::kTrayNotifyMsg, 2048, WM_LBUTTONDBLCLK);
  SendMessageW(hwnd(), CMyTopWndCore::kTrayNotifyMsg, 2048, WM_LBUTTONUP);
  EXPECT_TRUE(pump_until([&] { return IsWindowVisible(hwnd()) != 0; }, 2000));
  pump_for(800);
  EXPECT_FALSE(menu_seen);
  EXPECT_EQ(SendMessageW(hwnd(), CMyTopWndCore::kTrayNotifyMsg, 77, WM_LBUTTONUP), 0)
      << "another icon's notification";
  KillTimer(nullptr, closer);
}

// The menu open on the screen, read from its window inside the menu's own loop: the window,
// or null while none shows, the items' ids and texts, and the menu.
HWND read_open_menu(std::vector<std::pair<UINT, std::wstring>>* items, HMENU* menu = nullptr) {
  HWND popup = FindWindowW(L"#32768", nullptr);
  if (!popup || !IsWindowVisible(popup))
    return nullptr;
  auto shown = reinterpret_cast<HMENU>(SendMessageW(popup, MN_GETHMENU, 0, 0));
  items->clear();
  for (int i = 0; i < GetMenuItemCount(shown); ++i) {
    wchar_t text[64] = {};
    GetMenuStringW(shown, i, text, 64, MF_BYPOSITION);
    items->emplace_back(GetMenuItemID(shown, i), text);
  }
  if (menu)
    *menu = shown;
  return popup;
}

// What the user finds in the tray's right-click menu, and the key the user then types.
struct OpenTrayMenu {
  std::vector<std::pair<UINT, std::wstring>> items;
  UINT default_id = 0;
  wchar_t key = 0;
};

OpenTrayMenu g_tray_menu;

void CALLBACK read_tray_menu_and_choose(HWND, UINT, UINT_PTR, DWORD) {
  HMENU menu = nullptr;
  HWND popup = nullptr;
  if (!g_tray_menu.items.empty() || !(popup = read_open_menu(&g_tray_menu.items, &menu)))
    return;
  g_tray_menu.default_id = GetMenuDefaultItem(menu, FALSE, 0);
  PostMessageW(popup, WM_CHAR, g_tray_menu.key, 0);
}

TEST_F(TopWndTest, TrayRightClickOffersTheTrayMenuAndCarriesOutTheChoice) {
  set_dword("legal_warning_showed", 1);
  Create(0);
  ShowWindow(hwnd(), SW_HIDE);
  pump_for(300);  // idle, as a program is when the user clicks
  const std::vector<std::pair<UINT, std::wstring>> expected = {
      {ID_OPEN_MAIN_WINDOW, L"Open Main Window (&O)"},
      {ID_RECORD, L"Record (&R)"},
      {ID_STOP_RECORDING, L"Stop Recording (&S)"},
      {0, L""},
      {ID_EXIT, L"Exit (&X)"}};
  UINT_PTR reader = SetTimer(nullptr, 0, 50, read_tray_menu_and_choose);
  // The shell's order of notifications for a right click; the menu runs inside the last.
  auto right_click = [&](wchar_t key) {
    g_tray_menu = OpenTrayMenu{};
    g_tray_menu.key = key;
    SendMessageW(hwnd(), CMyTopWndCore::kTrayNotifyMsg, 2048, WM_RBUTTONDOWN);
    SendMessageW(hwnd(), CMyTopWndCore::kTrayNotifyMsg, 2048, WM_RBUTTONUP);
    EXPECT_EQ(g_tray_menu.items, expected) << "key " << static_cast<char>(key);
    EXPECT_EQ(g_tray_menu.default_id, static_cast<UINT>(ID_OPEN_MAIN_WINDOW));
  };

  right_click(L'o');
  EXPECT_TRUE(pump_until([&] { return IsWindowVisible(hwnd()) != 0; }, 2000));
  right_click(L'r');
  right_click(L's');
  right_click(L'x');
  EXPECT_TRUE(pump_until([&] { return Codes().size() == 3; }, 2000));
  EXPECT_EQ(Codes(), (std::vector<int>{kQelCmdRecord, kQelCmdStop, kQelCmdExit}));
  KillTimer(nullptr, reader);
}

TEST_F(TopWndTest, ClosingHidesAndTheSavedPlaceComesBack) {
  Create(0);
  ASSERT_TRUE(IsWindowVisible(hwnd()));
  SetWindowPos(hwnd(), nullptr, 120, 90, 600, 480, SWP_NOZORDER);
  SendMessageW(hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_FALSE(IsWindowVisible(hwnd()));
  DWORD show = 1, x = 0, w = 0;
  EXPECT_TRUE(get_dword("ui_main_wnd_show", &show));
  EXPECT_EQ(show, 0u);
  EXPECT_TRUE(get_dword("ui_main_wnd_x", &x));
  EXPECT_EQ(x, 120u);
  EXPECT_TRUE(get_dword("ui_main_wnd_w", &w));
  EXPECT_EQ(w, 600u);
  wnd_->Finalize();

  Create(2);
  EXPECT_FALSE(IsWindowVisible(hwnd())) << "it follows the saved flag";
  RECT r;
  GetWindowRect(hwnd(), &r);
  EXPECT_EQ(r.left, 120);
  EXPECT_EQ(r.right - r.left, 600);
  wnd_->Finalize();

  set_dword("ui_main_wnd_x", 0);
  Create(0);
  GetWindowRect(hwnd(), &r);
  EXPECT_EQ(r.left, 200) << "x = 0 opens at the default place";
  EXPECT_EQ(r.top, 200);
  wnd_->Finalize();

  set_dword("ui_main_wnd_x", 30000);
  set_dword("ui_main_wnd_y", 30000);
  Create(0);
  GetWindowRect(hwnd(), &r);
  EXPECT_EQ(r.left, 200) << "a place on no screen opens at the default place";
  EXPECT_EQ(r.top, 200);
}

// The close box, and a close from another program (the taskbar, Alt+F4 once it reaches the
// frame): each hides the window and the next start keeps it in the notification area.
TEST_F(TopWndTest, EveryWayOfClosingIsRememberedForTheNextStart) {
  const std::pair<const char*, std::function<void(HWND)>> closes[] = {
      {"close box", [](HWND w) { SendMessageW(w, WM_SYSCOMMAND, SC_CLOSE, 0); }},
      {"WM_CLOSE", [](HWND w) { PostMessageW(w, WM_CLOSE, 0, 0); }},
  };
  for (const auto& [how, close] : closes) {
    SCOPED_TRACE(how);
    Create(0);
    ASSERT_TRUE(IsWindowVisible(hwnd()));
    set_dword("ui_main_wnd_show", 1);
    close(hwnd());
    EXPECT_TRUE(pump_until([&] { return !IsWindowVisible(hwnd()); }));
    DWORD show = 1;
    EXPECT_TRUE(get_dword("ui_main_wnd_show", &show));
    EXPECT_EQ(show, 0u);
    wnd_->Finalize();
    Create(2);
    EXPECT_FALSE(IsWindowVisible(hwnd()));
    wnd_->Finalize();
  }
}

TEST_F(TopWndTest, DeleteAsksAboutTheSelectedRowsAndPublishesOnYes) {
  Create(0);
  wnd_->add_file_infos({record(5, u"first", 1700000300, 10), record(6, u"second", 1700000200, 10),
                        record(7, u"third", 1700000100, 10)});
  ListView_SetItemState(list(), 1, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(dlg_testing::answer_delete_question(IDNO, [&] { Command(kQelWndDelete); }),
            L"Are you sure you want to delete the file second?");
  EXPECT_TRUE(log_->cmds.empty());

  ListView_SetItemState(list(), 2, LVIS_SELECTED, LVIS_SELECTED);
  EXPECT_EQ(dlg_testing::answer_delete_question(IDYES, [&] { Command(kQelWndDelete); }),
            L"Are you sure you want to delete the 2 files?");
  ASSERT_EQ(log_->cmds.size(), 2u);
  EXPECT_EQ(log_->cmds[0].m_cmd_id, kQelCmdDelete);
  EXPECT_EQ(log_->cmds[0].m_param, 6);
  EXPECT_EQ(log_->cmds[1].m_param, 7);

  // Enter plays the focused row, Delete asks about the selection.
  log_->cmds.clear();
  NMHDR enter = {list(), IDC_HISTORY_LIST, static_cast<UINT>(NM_RETURN)};
  SendMessageW(hwnd(), WM_NOTIFY, IDC_HISTORY_LIST, reinterpret_cast<LPARAM>(&enter));
  ASSERT_EQ(log_->cmds.size(), 1u);
  EXPECT_EQ(log_->cmds[0].m_cmd_id, kQelCmdPlay);
  EXPECT_EQ(log_->cmds[0].m_param, 6);
  EXPECT_EQ(capture_.count(), 0u);
}

// Keys as the program's message loop hands them over: the window sees each first.
TEST_F(TopWndTest, TabWalksTheControlsAndDeleteInTheListAsks) {
  Create(0);
  wnd_->add_file_infos({record(8, u"only", 1700000300, 10)});
  auto press = [&](WPARAM key) {
    MSG msg{};
    msg.hwnd = GetFocus();
    msg.message = WM_KEYDOWN;
    msg.wParam = key;
    if (!wnd_->GetFrame()->PreTranslateMessage(&msg)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  };
  SetFocus(GetDlgItem(hwnd(), kQelWndRecord));
  std::vector<int> visited;
  for (int i = 0; i < 7; ++i) {
    press(VK_TAB);
    visited.push_back(GetDlgCtrlID(GetFocus()));
  }
  EXPECT_EQ(visited,
            (std::vector<int>{kQelWndStop, kQelWndHere, kQelWndChangeFolder, kQelWndAudioButton,
                              kQelWndVideoButton, IDC_HISTORY_LIST, kQelWndRecord}));

  SetFocus(list());
  ListView_SetItemState(list(), 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  EXPECT_EQ(dlg_testing::answer_delete_question(IDNO, [&] { press(VK_DELETE); }),
            L"Are you sure you want to delete the file only?");
  EXPECT_TRUE(log_->cmds.empty()) << "No keeps the file";

  // With no row selected, though one keeps the focus, and on an empty list, Delete asks
  // nothing and deletes nothing.
  ListView_SetItemState(list(), -1, 0, LVIS_SELECTED);
  ASSERT_EQ(ListView_GetNextItem(list(), -1, LVNI_FOCUSED), 0);
  auto asked = [&](const std::function<void()>& act) {
    return dlg_testing::answer_delete_question(IDYES, act, 1000);
  };
  EXPECT_EQ(asked([&] { press(VK_DELETE); }), L"");
  EXPECT_EQ(asked([&] { Command(kQelWndDelete); }), L"");
  wnd_->clear_file_infos();
  EXPECT_EQ(asked([&] { press(VK_DELETE); }), L"");
  EXPECT_EQ(asked([&] { Command(kQelWndDelete); }), L"");
  EXPECT_TRUE(log_->cmds.empty());
}

TEST_F(TopWndTest, TooltipTextsOfTheButtonsAndLinks) {
  Create();
  auto tip = [&](UINT id) -> std::wstring {
    NMTTDISPINFOW info = {};
    info.hdr.hwndFrom = hwnd();
    info.hdr.idFrom = id;
    info.hdr.code = TTN_NEEDTEXTW;
    SendMessageW(hwnd(), WM_NOTIFY, id, reinterpret_cast<LPARAM>(&info));
    return info.lpszText ? info.lpszText : L"<none>";
  };
  EXPECT_EQ(tip(32780), L"Record");
  EXPECT_EQ(tip(32776), L"Stop Recording");
  EXPECT_EQ(tip(103), L"Set Recording Folder...");
  EXPECT_EQ(tip(32809), L"<none>");
  char16_t dir[2048] = {};
  ASSERT_TRUE(qel_app_setting::get_dest_dir(dir, 2048));
  std::wstring here = tip(104);
  EXPECT_LE(here.size(), 79u);
  EXPECT_EQ(here.substr(0, 3), std::wstring(reinterpret_cast<wchar_t*>(dir)).substr(0, 3));
}

TEST_F(TopWndTest, UnknownCommandsAreReportedAndIgnored) {
  Create();
  Command(12345);
  EXPECT_TRUE(capture_.Has("CMyTopWndCore::OnCommand", "false"));
  EXPECT_TRUE(log_->cmds.empty());
  Command(kQelWndInert);
  Command(kQelWndMoreFeatures);
  Command(kQelWndReportIssue);
  Command(kQelWndCheckUpdates);
  Command(kQelWndHelp);
  Command(kQelWndOpenFolder);
  Command(kQelWndHere);
  Command(kQelWndChangeFolder);
  Command(kQelWndExit);
  EXPECT_EQ(Codes(), (std::vector<int>{9, 8, 7, 6, 10, 10, 11, 5}));
}

// What the list's popup menu held while open, and what a key pressed in it chose.
struct PopupSeen {
  int count = 0;
  std::wstring last_text;
  UINT last_state = 0;
};
PopupSeen g_popup;
WPARAM g_popup_key = 0;

void read_popup_then_press(HWND, UINT, UINT_PTR timer, DWORD) {
  HWND menu_wnd = FindWindowW(L"#32768", nullptr);
  if (!menu_wnd)
    return;
  KillTimer(nullptr, timer);
  HMENU menu = reinterpret_cast<HMENU>(SendMessageW(menu_wnd, MN_GETHMENU, 0, 0));
  g_popup.count = GetMenuItemCount(menu);
  wchar_t text[64] = {};
  GetMenuStringW(menu, g_popup.count - 1, text, 64, MF_BYPOSITION);
  g_popup.last_text = text;
  g_popup.last_state = GetMenuState(menu, g_popup.count - 1, MF_BYPOSITION);
  if (!g_popup_key) {
    EndMenu();
    return;
  }
  PostMessageW(menu_wnd, WM_KEYDOWN, g_popup_key, 0);
  PostMessageW(menu_wnd, WM_KEYDOWN, VK_RETURN, 0);
}

// Every row's marks look as the image list draws them on that row's background, selected
// or not, and still after the selection moved: the list reuses a mark once drawn.
TEST_F(TopWndTest, MarksLookAsTheImageListDrawsThem) {
  Create(0);
  shared_ptr<qel_ui_avi_file_info> cut = record(1, u"cut", 1700000400, 3, true, true);
  cut->m_is_cut = true;
  wnd_->add_file_infos({cut, record(2, u"video", 1700000300, 3, false, true),
                        record(3, u"audio", 1700000200, 3, true, false),
                        record(4, u"both", 1700000100, 3, true, true)});
  HIMAGELIST marks = ImageList_Create(16, 16, ILC_COLOR24 | ILC_MASK, 3, 0);
  HBITMAP strip = WkLoadBitmap(IDB_HISTORY_MARKS);
  ASSERT_GE(ImageList_AddMasked(marks, strip, RGB(0, 0, 0)), 0);
  DeleteObject(strip);
  // Column and mark of each row's marks: the name column shows the torn film.
  const std::vector<std::pair<int, int>> shown[4] = {
      {{0, 2}, {3, 0}, {4, 1}}, {{4, 1}}, {{3, 0}}, {{3, 0}, {4, 1}}};
  auto check = [&](const char* when) {
    WkPixels pixels = WkRenderClient(list());
    ASSERT_FALSE(pixels.empty());
    for (int row = 0; row < 4; ++row) {
      bool selected = ListView_GetItemState(list(), row, LVIS_SELECTED) != 0;
      for (auto [column, mark] : shown[row]) {
        RECT cell;
        ListView_GetSubItemRect(list(), row, column, LVIR_BOUNDS, &cell);
        if (column == 0)
          cell.right = cell.left + ListView_GetColumnWidth(list(), 0);
        int x = cell.left + 1;
        int y = (cell.top + cell.bottom - 16) / 2;
        // The background beside the mark, clear of the focus frame along the row's edges.
        COLORREF back =
            pixels.at(column == 0 ? cell.right - 2 : cell.left, (cell.top + cell.bottom) / 2);
        HDC screen = GetDC(nullptr);
        HDC dc = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateCompatibleBitmap(screen, 16, 16);
        ReleaseDC(nullptr, screen);
        HGDIOBJ old = SelectObject(dc, bitmap);
        RECT all = {0, 0, 16, 16};
        HBRUSH brush = CreateSolidBrush(back);
        FillRect(dc, &all, brush);
        DeleteObject(brush);
        ImageList_Draw(marks, mark, dc, 0, 0, ILD_TRANSPARENT | (selected ? ILD_BLEND50 : 0));
        SelectObject(dc, old);
        DeleteDC(dc);
        WkPixels expected = WkBitmapPixels(bitmap);
        DeleteObject(bitmap);
        // Rows are lower than the marks: what lies beyond the cell is cut off.
        int differing = 0;
        for (int dy = std::max(0, static_cast<int>(cell.top) - y); dy < 16 && y + dy < cell.bottom;
             ++dy)
          for (int dx = 0; dx < 16 && x + dx < cell.right; ++dx)
            differing += pixels.at(x + dx, y + dy) != expected.at(dx, dy);
        EXPECT_EQ(differing, 0) << when << ": row " << row << ", column " << column;
      }
    }
  };
  ListView_SetItemState(list(), 1, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetItemState(list(), 3, LVIS_SELECTED, LVIS_SELECTED);
  check("first paint");
  ListView_SetItemState(list(), -1, 0, LVIS_SELECTED);
  ListView_SetItemState(list(), 0, LVIS_SELECTED, LVIS_SELECTED);
  ListView_SetItemState(list(), 2, LVIS_SELECTED, LVIS_SELECTED);
  check("selection moved");
  ImageList_Destroy(marks);
  EXPECT_EQ(capture_.count(), 0u);
}

// A recording cut short carries the torn-film mark beside its name, and only its menu
// offers Repair, which goes out with its file id; the menu itself never grows.
TEST_F(TopWndTest, CutRecordingsAreMarkedAndOfferRepair) {
  Create(0);
  shared_ptr<qel_ui_avi_file_info> cut = record(8, u"cut", 1700000300, 3);
  cut->m_is_cut = true;
  wnd_->add_file_infos({cut, record(9, u"whole", 1700000200, 10)});
  EXPECT_EQ(Image(0, 0), 2);
  EXPECT_EQ(Image(1, 0), -1);
  auto right_click = [&](int row, WPARAM key) {
    g_popup = PopupSeen();
    g_popup_key = key;
    SetTimer(nullptr, 0, 50, &read_popup_then_press);
    NMITEMACTIVATE click = {};
    click.hdr = {list(), IDC_HISTORY_LIST, static_cast<UINT>(NM_RCLICK)};
    click.iItem = row;
    SendMessageW(hwnd(), WM_NOTIFY, IDC_HISTORY_LIST, reinterpret_cast<LPARAM>(&click));
  };
  right_click(1, 0);
  EXPECT_EQ(g_popup.count, 3);
  EXPECT_EQ(g_popup.last_text, L"Repair (&R)");
  EXPECT_TRUE(g_popup.last_state & MF_GRAYED);
  right_click(0, VK_UP);
  EXPECT_EQ(g_popup.count, 3);
  EXPECT_FALSE(g_popup.last_state & MF_GRAYED);
  ASSERT_EQ(log_->cmds.size(), 1u);
  EXPECT_EQ(log_->cmds[0].m_cmd_id, kQelCmdRepair);
  EXPECT_EQ(log_->cmds[0].m_param, 8);

  // Once repaired, the row loses its mark.
  shared_ptr<qel_ui_avi_file_info> repaired = record(8, u"cut", 1700000300, 3);
  wnd_->update_file_info(repaired);
  EXPECT_EQ(Image(0, 0), -1);
  EXPECT_EQ(capture_.count(), 0u);
}

// The engine died while recording: the panel and the tray stop and the message says what
// became of the recording.
TEST_F(TopWndTest, RecordingEndedUnexpectedlyIsToldInTheMessageBox) {
  Create(0);
  wnd_->set_webcam_stream_count(1, 1);
  wnd_->OnRecordStarted();
  wnd_->OnRecordEndedUnexpectedly(true);
  EXPECT_FALSE(wnd_->GetFrame()->is_showing_record_info());
  EXPECT_FALSE(wnd_->GetFrame()->get_tray().is_animating());
  EXPECT_EQ(wnd_->GetFrame()->dojob_local_stream_text().substr(0, 1), L"0");
  HWND box = FindWindowW(nullptr, L"The recording ended unexpectedly.");
  ASSERT_NE(box, nullptr);
  wchar_t line[256] = {};
  GetDlgItemTextW(box, IDC_MSGBOX_LINE1, line, 256);
  EXPECT_STREQ(line, L"The recording ended unexpectedly.");
  GetDlgItemTextW(box, IDC_MSGBOX_LINE2, line, 256);
  EXPECT_STREQ(line, L"The part recorded until then is saved in your library.");

  wnd_->OnRepairFailed();
  box = FindWindowW(nullptr, L"Failed to repair the recording.");
  ASSERT_NE(box, nullptr);
  GetDlgItemTextW(box, IDC_MSGBOX_LINE2, line, 256);
  EXPECT_EQ(std::wstring(line).substr(0, 27), L"The file was left as it was");
  EXPECT_EQ(capture_.count(), 0u);
}

}  // namespace

// Key strokes through the system's input queue, as a keyboard delivers them: the window with
// the focus gets them with the held keys' state, and its menus see them in their own loops.
void key_strokes(std::initializer_list<std::pair<WORD, bool>> strokes) {
  std::vector<INPUT> inputs;
  for (auto [vk, down] : strokes) {
    INPUT in = {};
    in.type = INPUT_KEYBOARD;
    in.ki.wVk = vk;
    in.ki.wScan = static_cast<WORD>(MapVirtualKeyW(vk, MAPVK_VK_TO_VSC));
    in.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
    inputs.push_back(in);
  }
  SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void tap(WORD vk) {
  key_strokes({{vk, true}, {vk, false}});
}

void alt_tap(WORD vk) {
  key_strokes({{VK_MENU, true}, {vk, true}, {vk, false}, {VK_MENU, false}});
}

// The texts of the menu the keys opened, and the letter then typed in it.
struct KeyedMenu {
  std::vector<std::wstring> items;
  WORD letter = 0;
};
KeyedMenu g_keyed;

void CALLBACK read_menu_and_type(HWND, UINT, UINT_PTR, DWORD) {
  std::vector<std::pair<UINT, std::wstring>> items;
  if (!g_keyed.items.empty() || !read_open_menu(&items))
    return;
  for (const auto& item : items)
    g_keyed.items.push_back(item.second);
  tap(g_keyed.letter);
}

// The menu bar's, the drop-downs' and the history list's menus from the keyboard: Alt+letter
// opens a menu of the bar, Alt alone then a letter does too, Shift+F10 or the menu key opens
// the list's, and a letter in an open menu carries out its item.
TEST_F(TopWndTest, MnemonicsTypedOnTheKeyboardOpenMenusAndCarryOutTheirItems) {
  set_dword("legal_warning_showed", 1);
  qel_app_setting::set_output_audio_settings(4);  // both
  Create(0);
  ShowWindow(hwnd(), SW_SHOW);
  SetForegroundWindow(hwnd());
  SetFocus(GetDlgItem(hwnd(), kQelWndRecord));
  // The program's own loop: the frame sees each message first.
  auto pump = [&](const std::function<bool()>& done) {
    auto end = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done() && std::chrono::steady_clock::now() < end) {
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (wnd_->GetFrame()->PreTranslateMessage(&msg))
          continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
      }
      Sleep(10);
    }
    return done();
  };
  pump_for(300);
  UINT_PTR reader = SetTimer(nullptr, 0, 50, read_menu_and_type);
  auto typed = [&](std::function<void()> open, WORD letter, int code) {
    g_keyed = KeyedMenu{};
    g_keyed.letter = letter;
    size_t before = log_->cmds.size();
    open();
    EXPECT_TRUE(pump([&] { return log_->cmds.size() > before; })) << "letter " << char(letter);
    return log_->cmds.size() > before && log_->cmds.back().m_cmd_id == code;
  };

  EXPECT_TRUE(typed([] { alt_tap('F'); }, 'R', kQelCmdRecord));
  EXPECT_EQ(g_keyed.items,
            (std::vector<std::wstring>{L"Record (&R)", L"Stop Recording (&S)", L"",
                                       L"Open Recording Folder (&D)", L"", L"Exit (&X)"}));
  EXPECT_TRUE(typed([] { alt_tap('H'); }, 'I', kQelCmdOpenIssuePage));
  EXPECT_EQ(g_keyed.items.size(), 8u);
  EXPECT_EQ(g_keyed.items.front(), L"Options  (&O)");
  EXPECT_TRUE(typed([] { alt_tap('F'); }, 'D', kQelCmdOpenFolder));
  // Alt pressed and let go alone selects the bar; then the letter opens its menu.
  EXPECT_TRUE(typed(
      [] {
        key_strokes({{VK_MENU, true}, {VK_MENU, false}, {'F', true}, {'F', false}});
      },
      'S', kQelCmdStop));
  EXPECT_EQ(g_keyed.items.size(), 6u);

  // The audio mode's drop-down opens with the space bar on its button; its letters choose.
  HWND audio = GetDlgItem(hwnd(), kQelWndAudioButton);
  SetFocus(audio);
  EXPECT_TRUE(typed([] { tap(VK_SPACE); }, 'S', kQelCmdAudioSpeaker));
  EXPECT_EQ(g_keyed.items, (std::vector<std::wstring>{L"Microphone Only (&M)", L"Speaker Only (&S)",
                                                      L"Both (&B)"}));
  EXPECT_EQ(WkReadControlText(audio), L"Speaker Only");
  HWND video = GetDlgItem(hwnd(), kQelWndVideoButton);
  SetFocus(video);
  EXPECT_TRUE(typed([] { tap(VK_SPACE); }, 'S', kQelCmdVideoSideBySide));
  EXPECT_EQ(g_keyed.items.size(), 6u);
  EXPECT_EQ(g_keyed.items.back(), L"Separate Files (&T)");
  EXPECT_EQ(WkReadControlText(video), L"Side By Side");

  // The history list's menu opens with Shift+F10 or the menu key on the focused row, and
  // carries out its item for that row.
  shared_ptr<qel_ui_avi_file_info> cut = record(8, u"cut", 1700000300, 3);
  cut->m_is_cut = true;
  wnd_->add_file_infos({cut, record(9, u"whole", 1700000200, 10)});
  SetFocus(list());
  ListView_SetItemState(list(), 0, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
  EXPECT_TRUE(typed(
      [] {
        key_strokes({{VK_SHIFT, true}, {VK_F10, true}, {VK_F10, false}, {VK_SHIFT, false}});
      },
      'R', kQelCmdRepair));
  EXPECT_EQ(g_keyed.items,
            (std::vector<std::wstring>{L"Play (&P)", L"Delete (&D)", L"Repair (&R)"}));
  EXPECT_EQ(log_->cmds.back().m_param, 8);
  ListView_SetItemState(list(), -1, 0, LVIS_SELECTED);
  ListView_SetItemState(list(), 1, LVIS_FOCUSED | LVIS_SELECTED, LVIS_FOCUSED | LVIS_SELECTED);
  EXPECT_TRUE(typed([] { tap(VK_APPS); }, 'P', kQelCmdPlay));
  EXPECT_EQ(log_->cmds.back().m_param, 9);
  KillTimer(nullptr, reader);
}

// A notice that needs no answer while a call is recorded (here the mode changed mid-recording)
// is a balloon at the tray icon: no box takes the keyboard from the call.
TEST_F(TopWndTest, ANoticeWhileRecordingIsABalloonAtTheTrayIcon) {
  qel_app_setting::set_output_audio_settings(4);  // both
  Create(0);
  SetForegroundWindow(hwnd());
  wnd_->OnRecordStarted();
  static bool boxed;
  boxed = false;
  UINT_PTR closer = SetTimer(nullptr, 0, 100, [](HWND, UINT, UINT_PTR, DWORD) {
    if (HWND box = FindWindowW(nullptr, L"Information:")) {
      boxed = true;
      PostMessageW(box, WM_CLOSE, 0, 0);
    }
  });
  UINT_PTR reader = SetTimer(nullptr, 0, 50, read_menu_and_type);
  g_keyed = KeyedMenu{};
  g_keyed.letter = 'S';
  SetFocus(GetDlgItem(hwnd(), kQelWndAudioButton));
  tap(VK_SPACE);
  EXPECT_TRUE(pump_until([&] { return !log_->cmds.empty(); }));
  EXPECT_TRUE(pump_until(
      [&] {
        return WkShownBalloonText() == L"Your change will take effect on the next recording.";
      },
      20000))
      << WkShownBalloonText();
  EXPECT_FALSE(boxed);
  KillTimer(nullptr, reader);
  KillTimer(nullptr, closer);
  qel_app_setting::set_output_audio_settings(4);
}
