#include "ui/qel_dlg_options.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "library/qel_app_constants.h"
#include "library/qel_profile.h"
#include "platform/event_loop.h"
#include "qel_lib/qel_subject.h"
#include "res/resource.h"
#include "ui/testing/dialog_driver.h"

namespace {

using namespace dlg_testing;

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";

ZulProfileKey Settings() {
  return ZulProfileKey::Root_CurrentUser().GetSubKey(g_qel_settings_path).GetSubKey("0");
}

int32_t Stored(const char* name) {
  int32_t value = -99;
  Settings().GetValue(name).GetDWORD(&value);
  return value;
}

std::string RunValue() {
  char text[1024] = {};
  ZulProfileKey::Root_CurrentUser()
      .GetSubKey(kRunKey)
      .GetValue("quorvantine_msn")
      .GetString(text, sizeof text);
  return text;
}

// The commands the dialog publishes, in order.
class Recorder : public ZulIObject {
 public:
  void OnCmd(const qel_ui_cmd* cmd) { codes.push_back(cmd->m_cmd_id); }
  std::vector<int32_t> codes;
};

class DlgOptionsTest : public testing::Test {
 protected:
  void SetUp() override {
    Settings().Remove();
    ZulProfileKey::Root_CurrentUser().GetSubKey(kRunKey).GetValue("quorvantine_msn").SetString("");
    recorder_ = shared_ptr<Recorder>(new Recorder);
    adapter_.Bind(recorder_, &Recorder::OnCmd);
    parent_ = CreateWindowExW(0, L"STATIC", L"options test parent", WS_OVERLAPPEDWINDOW, 0, 0, 200,
                              100, nullptr, nullptr, nullptr, nullptr);
  }

  void TearDown() override {
    if (dialog_.valid()) {
      dialog_->m_ui_cmd_sink.Detach(&adapter_);
      dialog_->destroy();
    }
    DestroyWindow(parent_);
    Settings().Remove();
    ZulProfileKey::Root_CurrentUser().GetSubKey(kRunKey).GetValue("quorvantine_msn").SetString("");
  }

  HWND Open() {
    dialog_ = shared_ptr<DlgOptions>(new DlgOptions);
    dialog_->m_ui_cmd_sink.Attach(&adapter_, 0);
    EXPECT_TRUE(dialog_->create(parent_));
    return dialog_->GetSafeHwnd();
  }

  // The control with the id whose window text or first item fits; for the two placement
  // lists (one id) the first is the corner list, the second the side list.
  HWND Control(int id, int nth = 0) const {
    HWND dlg = dialog_->GetSafeHwnd();
    for (HWND child = GetWindow(dlg, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (GetDlgCtrlID(child) == id && nth-- == 0)
        return child;
    }
    return nullptr;
  }

  HWND CheckBox(const wchar_t* text) const {
    return FindWindowExW(dialog_->GetSafeHwnd(), nullptr, L"Button", text);
  }

  static std::wstring Selected(HWND list) {
    LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
    wchar_t buf[256] = {};
    if (index != CB_ERR)
      SendMessageW(list, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(buf));
    return buf;
  }

  // Chooses an item as a user does: selection, then the list's change notification.
  void Choose(HWND list, const wchar_t* text) {
    LRESULT index = SendMessageW(list, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(text));
    ASSERT_NE(index, CB_ERR) << text;
    SendMessageW(list, CB_SETCURSEL, index, 0);
    SendMessageW(dialog_->GetSafeHwnd(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(list), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  }

  static void Click(HWND button) { SendMessageW(button, BM_CLICK, 0, 0); }

  // The pixels of link blue that the text makes when nothing cuts it.
  static int TextPixels(const std::wstring& text, HFONT font) {
    HDC screen = GetDC(nullptr);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, 600, 40);
    ReleaseDC(nullptr, screen);
    HGDIOBJ old_bitmap = SelectObject(dc, bitmap);
    HGDIOBJ old_font = SelectObject(dc, font);
    RECT all = {0, 0, 600, 40};
    FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, FooButton::kHyperlinkColor);
    TextOutW(dc, 10, 10, text.c_str(), static_cast<int>(text.size()));
    int n = 0;
    for (int y = 0; y < 40; ++y)
      for (int x = 0; x < 600; ++x)
        n += GetPixel(dc, x, y) == FooButton::kHyperlinkColor;
    SelectObject(dc, old_font);
    SelectObject(dc, old_bitmap);
    DeleteObject(bitmap);
    DeleteDC(dc);
    return n;
  }

  static bool ShownAndEnabled(HWND hwnd) { return IsWindowVisible(hwnd) && IsWindowEnabled(hwnd); }

  void Pump() { pump_messages(dialog_->GetSafeHwnd()); }

  HWND parent_ = nullptr;
  shared_ptr<Recorder> recorder_;
  ObserverAdapter<Recorder, qel_ui_cmd_subject> adapter_;
  shared_ptr<DlgOptions> dialog_;
};

TEST_F(DlgOptionsTest, OpensWithEveryControlInPlaceAndTheCurrentSettings) {
  Settings().GetValue("output_video_settings").SetDWORD(5);
  Settings().GetValue("output_audio_settings").SetDWORD(2);
  Settings().GetValue("output_video_local_pos_SBS").SetDWORD(5);
  Settings().GetValue("output_video_img_size").SetDWORD(9);
  Settings().GetValue("output_video_frame_rate").SetDWORD(2);
  Settings().GetValue("auto_record").SetBool(true);
  HWND dlg = Open();
  ASSERT_TRUE(dlg);
  RECT client = {};
  GetClientRect(dlg, &client);
  EXPECT_EQ(client.right, 402);
  EXPECT_EQ(client.bottom, 428);
  EXPECT_EQ(window_text(dlg), L"Options");

  struct Expect {
    int id;
    int nth;
    RECT rect;
  };
  for (const Expect& e : std::vector<Expect>{{IDC_OPTIONS_AUDIO_MODE, 0, {157, 178, 337, 198}},
                                             {IDC_OPTIONS_CHANGE, 0, {259, 120, 319, 140}},
                                             {IDC_OPTIONS_LOCAL_POSITION, 1, {267, 258, 367, 278}},
                                             {IDC_OPTIONS_HOME_LINK, 0, {2, 403, 152, 423}},
                                             {IDOK, 0, {222, 403, 302, 423}},
                                             {IDCANCEL, 0, {307, 403, 387, 423}}}) {
    HWND control = Control(e.id, e.nth);
    ASSERT_TRUE(control) << e.id;
    RECT r = {};
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&r), 2);
    EXPECT_EQ(r.left, e.rect.left) << e.id;
    EXPECT_EQ(r.top, e.rect.top) << e.id;
    if (e.id != IDC_OPTIONS_HOME_LINK) {
      EXPECT_EQ(r.right, e.rect.right) << e.id;
    }
    if (e.id != IDC_OPTIONS_AUDIO_MODE && e.id != IDC_OPTIONS_LOCAL_POSITION) {
      EXPECT_EQ(r.bottom, e.rect.bottom) << e.id;
    }
  }
  EXPECT_TRUE(GetWindowLongW(Control(IDOK), GWL_STYLE) & BS_DEFPUSHBUTTON);
  EXPECT_EQ(window_text(Control(IDC_OPTIONS_HOME_LINK)), L"http://www.quorvantine.com");
  // The whole address shows on the screen, whatever font stands in, as many pixels as the
  // text makes uncut; the link stops short of OK.
  HWND link = Control(IDC_OPTIONS_HOME_LINK);
  RECT link_rect = {};
  GetWindowRect(link, &link_rect);
  MapWindowPoints(nullptr, dlg, reinterpret_cast<POINT*>(&link_rect), 2);
  EXPECT_LT(link_rect.right, 222);
  // The display may take a moment to show what was drawn: read again until it settles.
  const int whole = TextPixels(window_text(link),
                               reinterpret_cast<HFONT>(SendMessageW(link, WM_GETFONT, 0, 0)));
  int shown = 0;
  platform::run_loop_until(
      [&] { return (shown = count_on_screen(link, FooButton::kHyperlinkColor)) == whole; }, 5000);
  EXPECT_GT(shown, 0);
  EXPECT_EQ(shown, whole);

  EXPECT_EQ(Selected(Control(IDC_OPTIONS_AUDIO_MODE)), L"Microphone Only");
  EXPECT_EQ(SendMessageW(Control(IDC_OPTIONS_AUDIO_MODE), CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(Selected(Control(IDC_OPTIONS_VIDEO_MODE)), L"Side By Side");
  EXPECT_EQ(SendMessageW(Control(IDC_OPTIONS_VIDEO_MODE), CB_GETITEMDATA, 5, 0), 6);
  EXPECT_EQ(Selected(Control(IDC_OPTIONS_IMAGE_SIZE)), L"640x480");
  EXPECT_EQ(Selected(Control(IDC_OPTIONS_FRAME_RATE)), L"High");
  EXPECT_EQ(Selected(Control(IDC_OPTIONS_LOCAL_POSITION, 1)), L"Left Side");
  // Side by side: the side list, no corner list, no local size.
  EXPECT_FALSE(IsWindowVisible(Control(IDC_OPTIONS_LOCAL_POSITION, 0)));
  EXPECT_TRUE(ShownAndEnabled(Control(IDC_OPTIONS_LOCAL_POSITION, 1)));
  EXPECT_FALSE(IsWindowEnabled(Control(IDC_OPTIONS_LOCAL_SIZE)));

  EXPECT_EQ(SendMessageW(CheckBox(L"Start Recording Calls Automatically"), BM_GETCHECK, 0, 0),
            BST_CHECKED);
  EXPECT_EQ(SendMessageW(CheckBox(L"Start Automatically When I Start Windows"), BM_GETCHECK, 0, 0),
            BST_UNCHECKED);
  HWND folder = FindWindowExW(dlg, nullptr, L"Edit", nullptr);
  EXPECT_FALSE(IsWindowEnabled(folder));
  EXPECT_NE(window_text(folder).find(L"Quorvantine Records for Msn"), std::wstring::npos);
}

TEST_F(DlgOptionsTest, VideoModeSwitchesThePlacementListsAndOkWritesEverything) {
  HWND dlg = Open();
  HWND video = Control(IDC_OPTIONS_VIDEO_MODE);
  HWND corner = Control(IDC_OPTIONS_LOCAL_POSITION, 0);
  HWND side = Control(IDC_OPTIONS_LOCAL_POSITION, 1);
  // A fresh profile: picture in picture, Bottom-Right, Normal.
  EXPECT_EQ(Selected(video), L"Picture In Picture");
  EXPECT_TRUE(ShownAndEnabled(corner));
  EXPECT_FALSE(IsWindowVisible(side));
  EXPECT_TRUE(IsWindowEnabled(Control(IDC_OPTIONS_LOCAL_SIZE)));
  Choose(corner, L"Top-Left");
  Choose(video, L"Side By Side");
  EXPECT_TRUE(ShownAndEnabled(side));
  EXPECT_FALSE(IsWindowVisible(corner));
  EXPECT_EQ(Selected(side), L"Right Side");
  Choose(side, L"Left Side");
  Choose(video, L"Picture In Picture");
  EXPECT_EQ(Selected(corner), L"Top-Left");
  Choose(video, L"Side By Side");
  EXPECT_EQ(Selected(side), L"Left Side");
  Choose(video, L"Remote Webcam Only");
  EXPECT_TRUE(IsWindowVisible(corner));
  EXPECT_FALSE(IsWindowEnabled(corner));
  EXPECT_FALSE(IsWindowVisible(side));
  EXPECT_FALSE(IsWindowEnabled(Control(IDC_OPTIONS_LOCAL_SIZE)));
  Choose(video, L"Side By Side");
  Choose(Control(IDC_OPTIONS_AUDIO_MODE), L"Speaker Only");
  Choose(Control(IDC_OPTIONS_IMAGE_SIZE), L"960x720");
  Choose(Control(IDC_OPTIONS_FRAME_RATE), L"High");
  // Nothing is written before OK.
  EXPECT_EQ(Stored("output_video_settings"), -99);

  Click(Control(IDOK));
  EXPECT_FALSE(IsWindow(dlg));
  EXPECT_EQ(recorder_->codes, (std::vector<int32_t>{kQelCmdVideoSideBySide, kQelCmdAudioSpeaker}));
  EXPECT_EQ(Stored("output_video_settings"), 5);
  EXPECT_EQ(Stored("output_audio_settings"), 3);
  EXPECT_EQ(Stored("output_video_local_pos_PIP"), 1);
  EXPECT_EQ(Stored("output_video_local_pos_SBS"), 5);
  EXPECT_EQ(Stored("output_video_local_size"), 2);
  EXPECT_EQ(Stored("output_video_img_size"), 10);
  EXPECT_EQ(Stored("output_video_frame_rate"), 2);
}

// A list changed alone, then OK: its own setting changes, and every other stays as stored.
TEST_F(DlgOptionsTest, EachListChangedAloneWritesOnlyItsOwnSetting) {
  const char* const kNames[] = {"output_video_settings",      "output_audio_settings",
                                "output_video_local_pos_PIP", "output_video_local_pos_SBS",
                                "output_video_local_size",    "output_video_img_size",
                                "output_video_frame_rate"};
  struct Change {
    int id, nth;
    const wchar_t* choice;
    const char* setting;
    int32_t video_mode;  // picture in picture shows the corner list, side by side the side list
  };
  const Change changes[] = {
      {IDC_OPTIONS_VIDEO_MODE, 0, L"Separate Files", "output_video_settings", 4},
      {IDC_OPTIONS_AUDIO_MODE, 0, L"Both", "output_audio_settings", 4},
      {IDC_OPTIONS_LOCAL_POSITION, 0, L"Bottom-Left", "output_video_local_pos_PIP", 4},
      {IDC_OPTIONS_LOCAL_POSITION, 1, L"Left Side", "output_video_local_pos_SBS", 5},
      {IDC_OPTIONS_LOCAL_SIZE, 0, L"Huge", "output_video_local_size", 4},
      {IDC_OPTIONS_IMAGE_SIZE, 0, L"960x720", "output_video_img_size", 4},
      {IDC_OPTIONS_FRAME_RATE, 0, L"Normal", "output_video_frame_rate", 4},
  };
  for (const Change& change : changes) {
    SCOPED_TRACE(change.setting);
    const int32_t seeded[] = {change.video_mode, 2, 2, 6, 1, 9, 2};
    for (size_t i = 0; i < std::size(kNames); ++i)
      Settings().GetValue(kNames[i]).SetDWORD(static_cast<uint32_t>(seeded[i]));
    HWND dlg = Open();
    Choose(Control(change.id, change.nth), change.choice);
    Click(Control(IDOK));
    ASSERT_FALSE(IsWindow(dlg));
    for (size_t i = 0; i < std::size(kNames); ++i) {
      if (std::string(kNames[i]) == change.setting) {
        EXPECT_NE(Stored(kNames[i]), seeded[i]) << kNames[i] << " kept its old value";
      } else {
        EXPECT_EQ(Stored(kNames[i]), seeded[i]) << kNames[i] << " changed with " << change.setting;
      }
    }
    uint32_t type = 0;
    EXPECT_FALSE(Settings().GetValue("auto_record").GetType(&type)) << "the check box untouched";
    dialog_->m_ui_cmd_sink.Detach(&adapter_);
    dialog_->destroy();
    dialog_ = shared_ptr<DlgOptions>();
  }
}

TEST_F(DlgOptionsTest, OutOfRangeSettingsOpenWithDefaultsAndOkWritesValidValues) {
  Settings().GetValue("output_video_settings").SetDWORD(9);
  Settings().GetValue("output_video_frame_rate").SetDWORD(static_cast<uint32_t>(-1));
  Settings().GetValue("output_video_img_size").SetDWORD(1);
  Settings().GetValue("output_audio_settings").SetDWORD(0);
  Open();
  EXPECT_EQ(Selected(Control(IDC_OPTIONS_VIDEO_MODE)), L"Picture In Picture");
  EXPECT_EQ(Selected(Control(IDC_OPTIONS_FRAME_RATE)), L"Normal");
  EXPECT_EQ(Selected(Control(IDC_OPTIONS_IMAGE_SIZE)), L"320x240");
  EXPECT_EQ(Selected(Control(IDC_OPTIONS_AUDIO_MODE)), L"Both");
  Click(Control(IDOK));
  EXPECT_EQ(Stored("output_video_settings"), 4);
  EXPECT_EQ(Stored("output_video_frame_rate"), 1);
  EXPECT_EQ(Stored("output_video_img_size"), 7);
  EXPECT_EQ(Stored("output_audio_settings"), 4);
  // Unchanged values still publish both codes, so the main window refreshes its captions.
  EXPECT_EQ(recorder_->codes, (std::vector<int32_t>{kQelCmdVideoPicInPic, kQelCmdAudioBoth}));
}

TEST_F(DlgOptionsTest, CheckBoxesWriteAtOnceAndCancelKeepsThem) {
  HWND dlg = Open();
  Click(CheckBox(L"Start Recording Calls Automatically"));
  bool auto_record = false;
  EXPECT_TRUE(Settings().GetValue("auto_record").GetBool(&auto_record));
  EXPECT_TRUE(auto_record);
  Click(CheckBox(L"Start Automatically When I Start Windows"));
  EXPECT_NE(RunValue().find("/start_context sys_auto"), std::string::npos);
  Click(CheckBox(L"Start Automatically When I Start Windows"));
  EXPECT_EQ(RunValue(), "");
  Click(CheckBox(L"Start Automatically When I Start Windows"));
  Choose(Control(IDC_OPTIONS_VIDEO_MODE), L"Separate Files");

  Click(Control(IDCANCEL));
  EXPECT_FALSE(IsWindow(dlg));
  EXPECT_TRUE(recorder_->codes.empty());
  EXPECT_EQ(Stored("output_video_settings"), -99);
  EXPECT_TRUE(Settings().GetValue("auto_record").GetBool(&auto_record));
  EXPECT_TRUE(auto_record);
  EXPECT_NE(RunValue(), "");
}

TEST_F(DlgOptionsTest, ChangeAndOpenPublishTheirCommands) {
  Open();
  Click(Control(IDC_OPTIONS_CHANGE));
  Click(Control(IDC_OPTIONS_OPEN));
  EXPECT_EQ(recorder_->codes, (std::vector<int32_t>{kQelCmdChangeFolder, kQelCmdOpenFolder}));
  EXPECT_TRUE(IsWindow(dialog_->GetSafeHwnd()));
}

TEST_F(DlgOptionsTest, KeyboardTabsInTableOrderEnterIsOkEscapeIsCancel) {
  HWND dlg = Open();
  std::vector<HWND> order;
  HWND first = GetNextDlgTabItem(dlg, nullptr, FALSE);
  for (HWND at = first; at && (order.empty() || at != first);
       at = GetNextDlgTabItem(dlg, at, FALSE))
    order.push_back(at);
  std::vector<HWND> expected = {CheckBox(L"Start Automatically When I Start Windows"),
                                CheckBox(L"Start Recording Calls Automatically"),
                                Control(IDC_OPTIONS_CHANGE),
                                Control(IDC_OPTIONS_OPEN),
                                Control(IDC_OPTIONS_AUDIO_MODE),
                                Control(IDC_OPTIONS_VIDEO_MODE),
                                Control(IDC_OPTIONS_LOCAL_POSITION, 0),
                                Control(IDC_OPTIONS_LOCAL_SIZE),
                                Control(IDC_OPTIONS_IMAGE_SIZE),
                                Control(IDC_OPTIONS_FRAME_RATE),
                                Control(IDC_OPTIONS_HOME_LINK),
                                Control(IDOK),
                                Control(IDCANCEL)};
  EXPECT_EQ(order, expected);
  // Each list's label is the static just before it.
  HWND label = GetWindow(Control(IDC_OPTIONS_VIDEO_MODE), GW_HWNDPREV);
  EXPECT_EQ(window_text(label), L"Video Recording Mode");

  SetFocus(Control(IDC_OPTIONS_AUDIO_MODE));
  PostMessageW(GetFocus(), WM_KEYDOWN, VK_ESCAPE, 0);
  Pump();
  EXPECT_FALSE(IsWindow(dlg));
  EXPECT_TRUE(recorder_->codes.empty());

  dlg = Open();
  SetFocus(Control(IDC_OPTIONS_FRAME_RATE));
  PostMessageW(GetFocus(), WM_KEYDOWN, VK_RETURN, 0);
  Pump();
  EXPECT_FALSE(IsWindow(dlg));
  EXPECT_EQ(recorder_->codes, (std::vector<int32_t>{kQelCmdVideoPicInPic, kQelCmdAudioBoth}));
}

}  // namespace

// Pictures for the documentation: QEL_SHOT_DIR=<folder> ui_tests.exe
// --gtest_also_run_disabled_tests --gtest_filter=*Pictures*
TEST_F(DlgOptionsTest, DISABLED_PicturesOfEachPlacement) {
  ASSERT_FALSE(shot_dir().empty());
  for (int mode : {4, 5, 3}) {
    Settings().GetValue("output_video_settings").SetDWORD(mode);
    HWND dlg = Open();
    SetWindowPos(dlg, HWND_TOP, 40, 40, 0, 0, SWP_NOSIZE);
    for (int i = 0; i < 20; ++i) {
      Pump();
      Sleep(25);
    }
    EXPECT_TRUE(
        save_window_bmp(dlg, shot_dir() + L"\\options_mode" + std::to_wstring(mode) + L".bmp"));
    dialog_->m_ui_cmd_sink.Detach(&adapter_);
    dialog_->destroy();
  }
}
