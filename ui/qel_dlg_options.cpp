#include "ui/qel_dlg_options.h"

#include <shellapi.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "library/qel_app_constants.h"
#include "qel_lib/qel_assert.h"
#include "res/resource.h"

namespace {

constexpr COLORREF kWhite = RGB(255, 255, 255);
constexpr DWORD kStatic = WS_CHILD | WS_VISIBLE | SS_RIGHT;
constexpr DWORD kCheck = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_AUTOCHECKBOX;
constexpr DWORD kButton = WS_CHILD | WS_VISIBLE | WS_TABSTOP | BS_PUSHBUTTON;
constexpr DWORD kGroup = WS_CHILD | WS_VISIBLE | BS_GROUPBOX;
// A drop-down list's window height includes its list.
constexpr int kDropHeight = 200;
constexpr RECT kLinkRect = {2, 403, 152, 423};
// The link stops short of OK. Wine draws some glyphs a few pixels past their measured
// width, so the address gets that much air after its text margin.
constexpr int kLinkMaxRight = 218;
constexpr int kLinkPadding = kFooTextLeftMargin + 8;

const char16_t* audio_name(int v) {
  return qel_app_setting::static_get_audio_settings_str(v);
}
const char16_t* video_name(int v) {
  return qel_app_setting::static_get_video_settings_str(v);
}
const char16_t* position_name(int v) {
  return qel_app_setting::static_get_video_local_pos_str(v);
}
const char16_t* local_size_name(int v) {
  return qel_app_setting::static_get_video_local_size_str(v);
}
const char16_t* img_size_name(int v) {
  return qel_app_setting::static_get_video_img_size_str(v);
}
const char16_t* frame_rate_name(int v) {
  return qel_app_setting::static_get_video_frame_rate_str(v);
}

int selected_data(HWND list) {
  LRESULT index = SendMessageW(list, CB_GETCURSEL, 0, 0);
  return index == CB_ERR ? 0 : static_cast<int>(SendMessageW(list, CB_GETITEMDATA, index, 0));
}

void show(HWND control, bool shown, bool enabled) {
  ShowWindow(control, shown ? SW_SHOW : SW_HIDE);
  EnableWindow(control, enabled);
}

}  // namespace

HWND DlgOptionsCore::dojob_create(const wchar_t* cls,
                                  const wchar_t* text,
                                  DWORD style,
                                  const RECT& rect,
                                  int id) {
  int height = rect.bottom - rect.top;
  if (wcscmp(cls, L"COMBOBOX") == 0)
    height = kDropHeight;
  HWND control = CreateWindowExW(0, cls, text, style, rect.left, rect.top, rect.right - rect.left,
                                 height, m_hWnd, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                                 GetModuleHandleW(nullptr), nullptr);
  bool rtn = control != nullptr;
  QEL_ASSERT(rtn);
  if (control)
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
  return control;
}

HWND DlgOptionsCore::dojob_create_list(const RECT& rect,
                                       int id,
                                       qel_options_range range,
                                       const char16_t* (*name)(int),
                                       int value,
                                       int fallback) {
  HWND list =
      dojob_create(L"COMBOBOX", L"",
                   WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, rect, id);
  if (!list)
    return nullptr;
  for (int v = range.first; v <= range.last; ++v) {
    LRESULT index = SendMessageW(list, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(as_wide(name(v))));
    SendMessageW(list, CB_SETITEMDATA, index, v);
  }
  SendMessageW(list, CB_SETCURSEL, qel_options_item_for(range, value, fallback), 0);
  return list;
}

BOOL DlgOptionsCore::OnInitDialog() {
  m_settings = std::make_unique<qel_output_settings>();
  *m_settings = {};
  qel_app_setting::load_output_settings(m_settings.get());
  qel_output_settings& s = *m_settings;
  m_choice = {s.audio_settings,   s.video_settings, s.video_local_pos_PIP, s.video_local_pos_SBS,
              s.video_local_size, s.video_img_size, s.video_frame_rate};

  HDC dc = GetDC(m_hWnd);
  int height = -static_cast<int>(std::lround(8.2 * GetDeviceCaps(dc, LOGPIXELSY) / 72.0));
  ReleaseDC(m_hWnd, dc);
  m_font.reset(CreateFontW(height, 0, 0, 0, FW_NORMAL, 0, 0, 0, DEFAULT_CHARSET, 0, 0,
                           CLEARTYPE_QUALITY, 0, L"Microsoft Sans Serif"));
  m_white_brush.reset(CreateSolidBrush(kWhite));

  dojob_create(L"BUTTON", L"General", kGroup, {15, 15, 392, 143}, IDC_OPTIONS_GROUP);
  m_auto_start = dojob_create(L"BUTTON", L"Start Automatically When I Start Windows", kCheck,
                              {27, 35, 327, 55}, IDC_OPTIONS_AUTO_START);
  m_auto_record = dojob_create(L"BUTTON", L"Start Recording Calls Automatically", kCheck,
                               {27, 65, 227, 85}, IDC_OPTIONS_AUTO_RECORD);
  dojob_create(L"STATIC", L"Save Recordings To", WS_CHILD | WS_VISIBLE | SS_LEFT,
               {27, 95, 127, 115}, -1);
  m_folder = dojob_create(L"EDIT", L"", WS_CHILD | WS_VISIBLE | WS_DISABLED | ES_AUTOHSCROLL,
                          {139, 95, 389, 115}, -1);
  dojob_create(L"BUTTON", L"Change", kButton, {259, 120, 319, 140}, IDC_OPTIONS_CHANGE);
  dojob_create(L"BUTTON", L"Open", kButton, {322, 120, 382, 140}, IDC_OPTIONS_OPEN);
  dojob_create(L"BUTTON", L"Recording Options", kGroup, {15, 153, 392, 383}, IDC_OPTIONS_GROUP);
  dojob_create(L"STATIC", L"Audio Recording Mode", kStatic, {27, 183, 147, 203}, -1);
  dojob_create_list({157, 178, 337, 198}, IDC_OPTIONS_AUDIO_MODE, kQelOptionsAudioRange, audio_name,
                    m_choice.audio_settings, kQelAudioBoth);
  dojob_create(L"STATIC", L"Video Recording Mode", kStatic, {27, 223, 147, 243}, -1);
  dojob_create_list({157, 218, 337, 238}, IDC_OPTIONS_VIDEO_MODE, kQelOptionsVideoRange, video_name,
                    m_choice.video_settings, kQelVideoPictureInPicture);
  dojob_create(L"STATIC", L"Local Image Position", kStatic, {157, 263, 257, 283}, -1);
  m_corner_list =
      dojob_create_list({267, 258, 367, 278}, IDC_OPTIONS_LOCAL_POSITION, kQelOptionsCornerRange,
                        position_name, m_choice.local_pos_PIP, 4);
  m_side_list = dojob_create_list({267, 258, 367, 278}, IDC_OPTIONS_LOCAL_POSITION,
                                  kQelOptionsSideRange, position_name, m_choice.local_pos_SBS, 6);
  show(m_corner_list, false, false);
  show(m_side_list, false, false);
  dojob_create(L"STATIC", L"Local Image Size", kStatic, {157, 293, 257, 313}, -1);
  m_local_size_list =
      dojob_create_list({267, 288, 347, 308}, IDC_OPTIONS_LOCAL_SIZE, kQelOptionsLocalSizeRange,
                        local_size_name, m_choice.local_size, 2);
  dojob_create(L"STATIC", L"Video Image Size", kStatic, {27, 323, 147, 343}, -1);
  dojob_create_list({157, 318, 237, 338}, IDC_OPTIONS_IMAGE_SIZE, kQelOptionsImgSizeRange,
                    img_size_name, m_choice.img_size, 7);
  dojob_create(L"STATIC", L"Video Frame Rate", kStatic, {27, 353, 147, 373}, -1);
  dojob_create_list({157, 348, 237, 368}, IDC_OPTIONS_FRAME_RATE, kQelOptionsFrameRateRange,
                    frame_rate_name, m_choice.frame_rate, 1);

  bool rtn = m_link.Create(as_wide(g_qel_site_addresses[kQelSiteHome].wide), WS_TABSTOP, kLinkRect,
                           m_hWnd, IDC_OPTIONS_HOME_LINK);
  QEL_ASSERT(rtn);
  m_link.SetType(kFooHyperlink);
  // Left aligned, the text may use the whole width: centred, it is cut at its measured width.
  m_link.SetTextStyle(kFooTextLeft);
  m_link.SetBackgroundColor(kWhite);
  m_link.SetFontSize(0);
  SendMessageW(m_link.m_hWnd, WM_SETFONT, reinterpret_cast<WPARAM>(m_font.get()), FALSE);
  dojob_fit_link();
  HWND ok = dojob_create(L"BUTTON", L"OK", kButton | BS_DEFPUSHBUTTON, {222, 403, 302, 423}, IDOK);
  dojob_create(L"BUTTON", L"Cancel", kButton, {307, 403, 387, 423}, IDCANCEL);

  SendMessageW(m_auto_start, BM_SETCHECK, qel_app_setting::get_auto_start(), 0);
  SendMessageW(m_auto_record, BM_SETCHECK, qel_app_setting::get_auto_record(), 0);
  dojob_show_folder();
  dojob_show_placement();
  SendMessageW(m_hWnd, DM_SETDEFID, IDOK, 0);
  SetFocus(ok);
  return FALSE;
}

// Fonts that stand in for the dialog font can be wider than the 150 pixels planned for the
// address: the link then grows towards OK rather than cut the address short.
void DlgOptionsCore::dojob_fit_link() {
  HWND link = m_link.m_hWnd;
  if (!link)
    return;
  std::wstring text = m_link.GetWindowText();
  HDC dc = GetDC(link);
  HGDIOBJ old = SelectObject(dc, m_font.get());
  SIZE size = {};
  GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(link, dc);
  int width = std::clamp<int>(size.cx + kLinkPadding, kLinkRect.right - kLinkRect.left,
                              kLinkMaxRight - kLinkRect.left);
  SetWindowPos(link, nullptr, 0, 0, width, kLinkRect.bottom - kLinkRect.top,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void DlgOptionsCore::dojob_show_folder() {
  char16_t dir[g_qel_avi_file_max_path_len] = {};
  SendMessageW(m_folder, EM_LIMITTEXT, g_qel_avi_file_max_path_len, 0);
  if (qel_app_setting::get_dest_dir(dir, g_qel_avi_file_max_path_len) && dir[0])
    SetWindowTextW(m_folder, as_wide(dir));
}

void DlgOptionsCore::dojob_show_placement() {
  qel_options_placement p = qel_options_placement_for(m_choice.video_settings);
  if (p.corner_enabled)
    SendMessageW(m_corner_list, CB_SETCURSEL,
                 qel_options_item_for(kQelOptionsCornerRange, m_choice.local_pos_PIP, 4), 0);
  if (p.side_enabled)
    SendMessageW(m_side_list, CB_SETCURSEL,
                 qel_options_item_for(kQelOptionsSideRange, m_choice.local_pos_SBS, 6), 0);
  show(m_corner_list, p.corner_shown, p.corner_enabled);
  show(m_side_list, p.side_shown, p.side_enabled);
  ::EnableWindow(m_local_size_list, p.local_size_enabled);
}

void DlgOptionsCore::dojob_publish(int32_t code) {
  if (!m_sink)
    return;
  qel_ui_cmd cmd = {code, 0};
  m_sink->Notify(&cmd);
}

void DlgOptionsCore::OnListChange(HWND list, int id) {
  int value = selected_data(list);
  switch (id) {
    case IDC_OPTIONS_AUDIO_MODE:
      m_choice.audio_settings = value;
      break;
    case IDC_OPTIONS_VIDEO_MODE:
      if (qel_options_choose_video(&m_choice, value))
        dojob_show_placement();
      break;
    case IDC_OPTIONS_LOCAL_POSITION:
      qel_options_choose_placement(&m_choice, value);
      break;
    case IDC_OPTIONS_LOCAL_SIZE:
      m_choice.local_size = value;
      break;
    case IDC_OPTIONS_IMAGE_SIZE:
      m_choice.img_size = value;
      break;
    case IDC_OPTIONS_FRAME_RATE:
      m_choice.frame_rate = value;
      break;
  }
}

bool DlgOptionsCore::OnCommand(WPARAM wparam, LPARAM lparam) {
  int id = LOWORD(wparam);
  HWND control = reinterpret_cast<HWND>(lparam);
  if (HIWORD(wparam) == CBN_SELCHANGE) {
    OnListChange(control, id);
    return true;
  }
  if (HIWORD(wparam) != BN_CLICKED)
    return false;
  if (control && control == m_auto_start) {
    qel_app_setting::set_auto_start(SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED);
    return true;
  }
  switch (id) {
    case IDC_OPTIONS_AUTO_RECORD:
      qel_app_setting::set_auto_record(SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED);
      return true;
    case IDC_OPTIONS_CHANGE:
      dojob_publish(kQelCmdChangeFolder);
      // The application changes the folder before the command returns.
      if (m_hWnd)
        dojob_show_folder();
      return true;
    case IDC_OPTIONS_OPEN:
      dojob_publish(kQelCmdOpenFolder);
      return true;
    case IDC_OPTIONS_HOME_LINK:
      ShellExecuteA(nullptr, "open", g_qel_site_addresses[kQelSiteHome].ansi, nullptr, nullptr,
                    SW_SHOWNORMAL);
      return true;
  }
  return false;
}

void DlgOptionsCore::OnOK() {
  qel_output_settings& s = *m_settings;
  s.audio_settings = m_choice.audio_settings;
  s.video_settings = m_choice.video_settings;
  s.video_local_pos_PIP = m_choice.local_pos_PIP;
  s.video_local_pos_SBS = m_choice.local_pos_SBS;
  s.video_local_size = m_choice.local_size;
  s.video_img_size = m_choice.img_size;
  s.video_frame_rate = m_choice.frame_rate;
  qel_app_setting::save_output_settings(&s);
  m_choice.audio_settings = s.audio_settings;
  m_choice.video_settings = s.video_settings;
  for (int32_t code : qel_options_ok_commands(m_choice))
    dojob_publish(code);
  EndDialog(IDOK);
}

LRESULT DlgOptionsCore::OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_COMMAND:
      if (OnCommand(wparam, lparam))
        return 0;
      break;
    case WM_CTLCOLORDLG:
      return reinterpret_cast<LRESULT>(m_white_brush.get());
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetBkColor(reinterpret_cast<HDC>(wparam), kWhite);
      return reinterpret_cast<LRESULT>(m_white_brush.get());
    case WM_ERASEBKGND: {
      RECT rect = GetClientRect();
      FillRect(reinterpret_cast<HDC>(wparam), &rect, m_white_brush.get());
      return 1;
    }
  }
  return WkDialog::OnMessage(msg, wparam, lparam);
}

DlgOptions::DlgOptions() : m_core(&m_ui_cmd_sink) {}

DlgOptions::~DlgOptions() {
  destroy();
}

bool DlgOptions::create(HWND _parent) {
  if (!m_core.CreateModeless(IDD_OPTIONS, _parent))
    return false;
  HWND hwnd = m_core.m_hWnd;
  RECT window = {};
  GetWindowRect(hwnd, &window);
  RECT client = {0, 0, DlgOptionsCore::kClientWidth, DlgOptionsCore::kClientHeight};
  AdjustWindowRectEx(&client, static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_STYLE)), FALSE,
                     static_cast<DWORD>(GetWindowLongPtrW(hwnd, GWL_EXSTYLE)));
  SetWindowPos(hwnd, nullptr, window.left, window.top, client.right - client.left,
               client.bottom - client.top, SWP_NOZORDER | SWP_NOACTIVATE);
  return true;
}

void DlgOptions::destroy() {
  m_core.DestroyWindow();
}
