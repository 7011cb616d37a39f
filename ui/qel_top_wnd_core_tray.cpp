// The main window's timers: the record-info panel's tick, the tray's single-click delay
// and the automatic start of a recording.
#include "library/qel_app_setting.h"
#include "platform/clock.h"
#include "qel_lib/qel_assert.h"
#include "res/resource.h"
#include "ui/qel_top_wnd_core.h"
#include "ui/qel_ui_texts.h"
#include "winkit/wk_menu.h"
#include "winkit/wk_resource.h"

namespace {

constexpr UINT kRecordInfoPeriod = 1000;
constexpr UINT kTrayClickDelay = 500;
constexpr UINT kAutoRecordDelay = 5000;

qel_tray_mouse classify(LPARAM mouse_msg) {
  switch (static_cast<UINT>(mouse_msg)) {
    case WM_LBUTTONUP:
      return qel_tray_mouse::kLeftUp;
    case WM_LBUTTONDBLCLK:
      return qel_tray_mouse::kLeftDoubleClick;
    case WM_RBUTTONDOWN:
      return qel_tray_mouse::kRightDown;
    case WM_RBUTTONUP:
      return qel_tray_mouse::kRightUp;
  }
  return qel_tray_mouse::kOther;
}

}  // namespace

LRESULT CMyTopWndCore::OnTimer(UINT_PTR _id) {
  switch (_id) {
    case kTimerRecordInfo:
      OnTimer_record_info();
      return 0;
    case kTimerSystemTray:
      OnTimer_system_tray_icon();
      return 0;
    case kTimerAutoRecord:
      OnTimer_auto_record();
      return 0;
  }
  return 0;
}

LRESULT CMyTopWndCore::OnTrayNotification(WPARAM _icon_id, LPARAM _mouse_msg) {
  if (_icon_id != kTrayIconId)
    return 0;
  POINT cursor = {};
  GetCursorPos(&cursor);
  switch (m_tray_clicks.on_mouse(classify(_mouse_msg), {cursor.x, cursor.y})) {
    case qel_tray_action::kStartTimer:
      SetTimer(kTimerSystemTray, kTrayClickDelay);
      break;
    case qel_tray_action::kKillTimer:
    case qel_tray_action::kShowMenuAndKillTimer:
      KillTimer(kTimerSystemTray);
      break;
    case qel_tray_action::kNothing:
      break;
  }
  return m_tray.on_notification(_icon_id, _mouse_msg);
}

void CMyTopWndCore::OnTimer_system_tray_icon() {
  qel_tray_action action = m_tray_clicks.on_timer();
  KillTimer(kTimerSystemTray);
  if (action == qel_tray_action::kShowMenuAndKillTimer)
    dojob_show_tray_menu();
}

void CMyTopWndCore::dojob_show_tray_menu() {
  WkMenu menu(WkLoadMenu(IDR_TRAY_MENU));
  HMENU popup = menu ? GetSubMenu(menu.get(), 0) : nullptr;
  if (!popup)
    return;
  SetMenuDefaultItem(popup, 0, TRUE);
  POINT cursor = {};
  GetCursorPos(&cursor);
  WkTrackPopupMenu(popup, TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor, m_hWnd);
}

void CMyTopWndCore::dojob_start_auto_record_timer() {
  if (!m_auto_record_held && qel_app_setting::get_auto_record() && !m_auto_record_timer)
    m_auto_record_timer = SetTimer(kTimerAutoRecord, kAutoRecordDelay);
}

void CMyTopWndCore::hold_auto_record(bool _hold) {
  m_auto_record_held = _hold;
  if (_hold && m_auto_record_timer) {
    KillTimer(kTimerAutoRecord);
    m_auto_record_timer = false;
  }
}

void CMyTopWndCore::OnTimer_auto_record() {
  QEL_ASSERT_MSG(m_auto_record_timer, "m_auto_record_timer");
  KillTimer(kTimerAutoRecord);
  m_auto_record_timer = false;
  // Straight to the application: an automatic start never shows the legal notice.
  if (qel_app_setting::get_auto_record() &&
      m_webcam_local + m_webcam_remote + m_audio_first + m_audio_second > 0 &&
      m_disk.may_record(false)) {
    qel_ui_cmd cmd = {kQelCmdRecord, 0};
    if (m_ui_cmd_sink)
      m_ui_cmd_sink->Notify(&cmd);
  }
}

void CMyTopWndCore::dojob_stream_counts_changed() {
  RECT panel = dojob_stream_panel_rect();
  if (m_hWnd)
    InvalidateRect(m_hWnd, &panel, FALSE);
  m_disk.on_call(m_webcam_local + m_webcam_remote + m_audio_first + m_audio_second > 0);
  dojob_start_auto_record_timer();
}

void CMyTopWndCore::set_webcam_stream_count(int _local, int _remote) {
  m_webcam_local = _local;
  m_webcam_remote = _remote;
  dojob_stream_counts_changed();
}

void CMyTopWndCore::set_audio_stream_count(int _first, int _second) {
  m_audio_first = _first;
  m_audio_second = _second;
  dojob_stream_counts_changed();
}

void CMyTopWndCore::OnRecordStarted() {
  m_record_info.set_mode(kQelRecordInfoRecording);
  dojob_show_record_info();
  m_tray.on_record_started();
  m_disk.on_recording(true);
}

void CMyTopWndCore::OnRecordStopped() {
  m_record_info.set_mode(kQelRecordInfoNone);
  // Several stops may follow one start (the engine reports each batch of files).
  if (m_record_info.is_showing())
    dojob_hide_record_info();
  m_tray.on_record_stopped();
  m_disk.on_recording(false);
}

void CMyTopWndCore::OnRecordStartFailed(int _reason) {
  if (_reason == 0) {
    m_record_info.set_mode(kQelRecordInfoNoStream);
    dojob_show_record_info();
  } else if (_reason == 1) {
    dojob_show_message(qel_text(IDS_RECORD_FAILED), qel_text(IDS_RECORD_FAILED),
                       qel_text(IDS_RECORD_FAILED_DETAIL), IDI_HAND);
  } else {
    QEL_ASSERT_MSG(false, "false");
  }
}

void CMyTopWndCore::reset_streams() {
  set_webcam_stream_count(0, 0);
  set_audio_stream_count(0, 0);
  m_record_info.set_mode(kQelRecordInfoNone);
  if (m_record_info.is_showing())
    dojob_hide_record_info();
  m_tray.on_record_stopped();
  m_disk.on_recording(false);
}

void CMyTopWndCore::dojob_show_record_info() {
  m_record_info.show(platform::current_time());
  if (m_hWnd)
    m_record_info_timer = SetTimer(kTimerRecordInfo, kRecordInfoPeriod);
  dojob_relayout();
  if (m_hWnd)
    UpdateWindow(m_hWnd);
}

void CMyTopWndCore::dojob_hide_record_info() {
  if (!m_record_info.hide())
    return;
  if (m_record_info_timer) {
    KillTimer(kTimerRecordInfo);
    m_record_info_timer = false;
  }
  dojob_relayout();
  if (m_hWnd)
    UpdateWindow(m_hWnd);
}

void CMyTopWndCore::OnTimer_record_info() {
  if (!m_hWnd)
    return;
  switch (m_record_info.on_tick(platform::current_time())) {
    case qel_record_info_tick::kIgnore:
      // A tick after the panel went: nothing keeps the timer alive.
      KillTimer(kTimerRecordInfo);
      m_record_info_timer = false;
      return;
    case qel_record_info_tick::kHide:
      dojob_hide_record_info();
      return;
    case qel_record_info_tick::kRedraw:
      dojob_draw_record_info_now();
      return;
  }
}

void CMyTopWndCore::dojob_draw_record_info_now() {
  // Straight onto the window, through a buffer the panel's size: the counter changes once
  // a second and nothing else needs repainting for it.
  RECT panel = dojob_record_info_rect();
  int w = panel.right - panel.left;
  int h = panel.bottom - panel.top;
  HDC dc = GetDC(m_hWnd);
  if (!dc)
    return;
  {
    WkMemoryDC buffer(dc, w, h);
    if (buffer.valid()) {
      {
        Gdiplus::Graphics graphics(buffer.dc());
        graphics.TranslateTransform(static_cast<Gdiplus::REAL>(-panel.left),
                                    static_cast<Gdiplus::REAL>(-panel.top));
        dojob_paint_record_info_bk(&graphics);
        dojob_draw_record_info(&graphics);
      }
      buffer.CopyTo(dc, panel.left, panel.top);
    }
  }
  ReleaseDC(m_hWnd, dc);
}
