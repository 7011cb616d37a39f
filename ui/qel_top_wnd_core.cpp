#include "ui/qel_top_wnd_core.h"

#include <cwchar>
#include <string>

#include "qel_lib/qel_assert.h"
#include "res/resource.h"
#include "ui/qel_l10n_strings.h"

namespace {

constexpr wchar_t kClassName[] = L"Quorvantine-msn-main-wnd";
constexpr wchar_t kTitle[] = L"Quorvantine Video Recorder for MSN";
constexpr RECT kDefaultRect = {200, 200, 713, 637};
constexpr int kMainIconId = 143;
// The message box's type value; it changes nothing.
constexpr int kMsgBoxType = 16;
constexpr int kModeNone = 0;
constexpr int kModeRecording = 1;
constexpr int kModeNoStream = 2;

}  // namespace

CMyTopWndCore::CMyTopWndCore() : m_ui_avi_file_info_list(new qel_ui_avi_file_info_list) {}

bool CMyTopWndCore::create(int show_mode, qel_ui_cmd_subject* _ui_cmd_sink) {
  m_ui_cmd_sink = _ui_cmd_sink;
  HICON icon = LoadIconW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(kMainIconId));
  if (!CreateFrame(kClassName, kTitle, WS_OVERLAPPEDWINDOW, kDefaultRect, icon))
    return false;
  dojob_create_buttons();
  m_tray.create(m_hWnd);
  if (show_mode == 0)
    dojob_show_and_activate();
  return true;
}

void CMyTopWndCore::dojob_show_and_activate() {
  if (IsIconic(m_hWnd))
    ShowWindow(SW_RESTORE);
  else
    ShowWindow(SW_SHOWNORMAL);
  SetForegroundWindow(m_hWnd);
}

void CMyTopWndCore::show_tray_icon(bool _show) {
  m_tray.show(_show);
}

void CMyTopWndCore::set_webcam_stream_count(int _local, int _remote) {
  m_webcam_local = _local;
  m_webcam_remote = _remote;
  dojob_refresh();
}

void CMyTopWndCore::set_audio_stream_count(int _first, int _second) {
  m_audio_first = _first;
  m_audio_second = _second;
  dojob_refresh();
}

void CMyTopWndCore::OnRecordStarted() {
  m_record_info_mode = kModeRecording;
  m_tray.on_record_started();
  dojob_refresh();
}

void CMyTopWndCore::OnRecordStopped() {
  m_record_info_mode = kModeNone;
  m_tray.on_record_stopped();
  dojob_refresh();
}

void CMyTopWndCore::OnRecordStartFailed(int _reason) {
  m_last_start_failed_reason = _reason;
  if (_reason == 0)
    m_record_info_mode = kModeNoStream;
  else if (_reason == 1)
    dojob_show_start_failed_box();
  else
    QEL_ASSERT_MSG(false, "false");
  dojob_refresh();
}

// The recording file cannot be created: the message box tells the user, with the error icon.
void CMyTopWndCore::dojob_show_start_failed_box() {
  ++m_start_failed_boxes;
  const wchar_t* caption = qel_l10n_get_string(IDS_RECORD_FAILED);
  const wchar_t* detail = qel_l10n_get_string(IDS_RECORD_FAILED_DETAIL);
  if (!m_msg_box.valid())
    m_msg_box = shared_ptr<DlgMessageBox>(new DlgMessageBox);
  if (!m_msg_box->IsCreated())
    m_msg_box->Create(caption, detail, m_hWnd, kMsgBoxType);
  m_msg_box->SetLines(caption, detail);
  m_msg_box->SetCaption(caption);
  m_msg_box->SetIcon(LoadIconW(nullptr, reinterpret_cast<LPCWSTR>(IDI_HAND)));
}

void CMyTopWndCore::reset_streams() {
  set_webcam_stream_count(0, 0);
  set_audio_stream_count(0, 0);
  m_record_info_mode = kModeNone;
  m_tray.on_record_stopped();
}

void CMyTopWndCore::add_file_infos(const std::list<shared_ptr<qel_ui_avi_file_info>>& _list) {
  for (const shared_ptr<qel_ui_avi_file_info>& info : _list)
    m_ui_avi_file_info_list->on_new_file_info(info);
  dojob_refresh();
}

void CMyTopWndCore::remove_file_info(uint32_t _id) {
  m_ui_avi_file_info_list->on_del_file_info(_id);
  dojob_refresh();
}

void CMyTopWndCore::clear_file_infos() {
  m_ui_avi_file_info_list->clear_all();
  dojob_refresh();
}

void CMyTopWndCore::set_total_files(int _n) {
  m_total_files = _n;
  dojob_refresh();
}

void CMyTopWndCore::set_total_minutes(int _n) {
  m_total_minutes = _n;
  dojob_refresh();
}

LRESULT CMyTopWndCore::query_state(qel_top_wnd_field _field) const {
  switch (_field) {
    case kQelFieldWebcamLocal:
      return m_webcam_local;
    case kQelFieldWebcamRemote:
      return m_webcam_remote;
    case kQelFieldAudioFirst:
      return m_audio_first;
    case kQelFieldAudioSecond:
      return m_audio_second;
    case kQelFieldRecordInfoMode:
      return m_record_info_mode;
    case kQelFieldTotalFiles:
      return m_total_files;
    case kQelFieldTotalMinutes:
      return m_total_minutes;
    case kQelFieldHistoryCount:
      return m_ui_avi_file_info_list->get_count();
    case kQelFieldTrayIconShown:
      return m_tray.is_shown();
    case kQelFieldTrayAnimating:
      return m_tray.is_animating();
    case kQelFieldMessageBox:
      return reinterpret_cast<LRESULT>(m_msg_box.valid() ? m_msg_box->GetSafeHwnd() : nullptr);
    case kQelFieldLastStartFailedReason:
      return m_last_start_failed_reason;
    case kQelFieldStartFailedBoxes:
      return m_start_failed_boxes;
    case kQelFieldNewestHistoryId: {
      shared_ptr<qel_ui_avi_file_info> newest = m_ui_avi_file_info_list->get_at(0);
      return newest.valid() ? newest->m_id : 0;
    }
  }
  return -1;
}

void CMyTopWndCore::dojob_publish(int32_t _cmd_id) {
  qel_ui_cmd cmd = {_cmd_id, 0};
  if (m_ui_cmd_sink)
    m_ui_cmd_sink->Notify(&cmd);
}

bool CMyTopWndCore::OnCommand(WORD _id) {
  switch (_id) {
    case kQelWndOpenMainWindow:
      dojob_show_and_activate();
      return true;
    case kQelWndRecord:
      if (!m_webcam_local && !m_webcam_remote && !m_audio_first && !m_audio_second)
        OnRecordStartFailed(0);
      dojob_publish(kQelCmdRecord);
      return true;
    case kQelWndStop:
      if (m_record_info_mode == kModeNoStream)
        m_record_info_mode = kModeNone;
      dojob_publish(kQelCmdStop);
      return true;
  }
  return false;
}

// Until the skinned window lands, plain buttons and a text summary let a user record and
// see what the engine and the library report.
void CMyTopWndCore::dojob_create_buttons() {
  HINSTANCE inst = GetModuleHandleW(nullptr);
  CreateWindowExW(0, L"BUTTON", L"Record", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 12, 12, 110, 28,
                  m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kQelWndRecord)), inst,
                  nullptr);
  CreateWindowExW(0, L"BUTTON", L"Stop Recording", WS_CHILD | WS_VISIBLE | BS_PUSHBUTTON, 132, 12,
                  130, 28, m_hWnd, reinterpret_cast<HMENU>(static_cast<UINT_PTR>(kQelWndStop)),
                  inst, nullptr);
}

void CMyTopWndCore::dojob_refresh() {
  if (m_hWnd)
    InvalidateRect(m_hWnd, nullptr, TRUE);
}

void CMyTopWndCore::OnPaint() {
  wchar_t line[256];
  std::wstring text;
  swprintf(line, 256, L"Webcam streams: %d local, %d remote\nAudio streams: %d, %d\n\n",
           m_webcam_local, m_webcam_remote, m_audio_first, m_audio_second);
  text += line;
  text += m_record_info_mode == kModeRecording  ? L"Recording...\n\n"
          : m_record_info_mode == kModeNoStream ? L"No stream to record\n\n"
                                                : L"\n\n";
  swprintf(line, 256, L"%d files, %d minutes recorded in total\n", m_total_files, m_total_minutes);
  text += line;
  int count = m_ui_avi_file_info_list->get_count();
  for (int i = 0; i < count && i < 20; ++i) {
    shared_ptr<qel_ui_avi_file_info> info = m_ui_avi_file_info_list->get_at(i);
    if (!info.valid())
      continue;
    swprintf(line, 256, L"  %ls  (%d s)\n", as_wide(info->m_title.c_str()), info->m_time_len);
    text += line;
  }
  PAINTSTRUCT ps;
  HDC dc = BeginPaint(m_hWnd, &ps);
  RECT rc;
  ::GetClientRect(m_hWnd, &rc);
  rc.left += 12;
  rc.top += 52;
  SetBkMode(dc, TRANSPARENT);
  SelectObject(dc, GetStockObject(DEFAULT_GUI_FONT));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &rc, DT_LEFT | DT_NOPREFIX);
  EndPaint(m_hWnd, &ps);
}

LRESULT CMyTopWndCore::OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_PAINT:
      OnPaint();
      return 0;
    case WM_COMMAND:
      if (OnCommand(LOWORD(wparam)))
        return 0;
      break;
    case qel_top_wnd_tray::kCallbackMsg:
      return m_tray.on_notification(wparam, lparam);
    case kQelTopWndQueryMsg:
      return query_state(static_cast<qel_top_wnd_field>(wparam));
    case WM_DESTROY:
      // The shell's icon must not outlive the window its clicks go to.
      m_tray.show(false);
      break;
    case WM_CLOSE:
      // The program lives on in the background; closing only hides the window.
      ShowWindow(SW_HIDE);
      return 0;
  }
  return WkFrameWnd::OnMessage(msg, wparam, lparam);
}
