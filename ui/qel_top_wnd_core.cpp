#include "ui/qel_top_wnd_core.h"

#include "library/qel_app_constants.h"
#include "library/qel_app_setting.h"
#include "library/qel_profile.h"
#include "platform/clock.h"
#include "qel_lib/qel_assert.h"
#include "res/resource.h"
#include "ui/core/qel_status_texts.h"
#include "ui/core/qel_u16_format.h"
#include "ui/qel_dlg_about.h"
#include "ui/qel_dlg_message_box.h"
#include "ui/qel_dlg_options.h"
#include "ui/qel_ui_texts.h"
#include "winkit/wk_resource.h"

namespace {

constexpr wchar_t kClassName[] = L"Quorvantine-msn-main-wnd";

ZulProfileValue setting(const char* name) {
  return ZulProfileKey::Root_CurrentUser().GetSubKey(g_qel_settings_path).GetValue(name);
}

const wchar_t* wide(const std::u16string& text) {
  return reinterpret_cast<const wchar_t*>(text.c_str());
}

}  // namespace

CMyTopWndCore::CMyTopWndCore() = default;

// The skinned window tears the window down while its painters still exist; nothing here
// may call the virtual steps.
CMyTopWndCore::~CMyTopWndCore() = default;

bool CMyTopWndCore::dojob_read_saved_rect(RECT* _rect, bool* _show) const {
  bool show = true;
  setting("ui_main_wnd_show").GetBool(&show);
  *_show = show;
  int32_t x = 0, y = 0, w = 0, h = 0;
  setting("ui_main_wnd_x").GetDWORD(&x);
  setting("ui_main_wnd_y").GetDWORD(&y);
  setting("ui_main_wnd_w").GetDWORD(&w);
  setting("ui_main_wnd_h").GetDWORD(&h);
  int default_w = m_default_rect.right - m_default_rect.left;
  int default_h = m_default_rect.bottom - m_default_rect.top;
  // x = 0 is written when the window sat at the screen's edge, yet not taken back: such a
  // window opens at the default place. So does a place on a screen that is no longer
  // attached, where the user could not reach the window.
  RECT saved = {x, y, x + w, y + h};
  if (x > 0 && y > 0 && w >= default_w && h >= default_h &&
      MonitorFromRect(&saved, MONITOR_DEFAULTTONULL)) {
    *_rect = saved;
    return true;
  }
  *_rect = m_default_rect;
  return false;
}

bool CMyTopWndCore::create(int _show_mode,
                           qel_ui_cmd_subject* _ui_cmd_sink,
                           qel_ui_cmd_subject::IObserverAdapter* _kid_observer) {
  if (!create_unshown(_show_mode, _ui_cmd_sink, _kid_observer))
    return false;
  show_created();
  return true;
}

bool CMyTopWndCore::create_unshown(int _show_mode,
                                   qel_ui_cmd_subject* _ui_cmd_sink,
                                   qel_ui_cmd_subject::IObserverAdapter* _kid_observer) {
  dojob_init_wnd_params();
  if (!QEL_ASSERT_MSG(!m_hWnd, "!m_hWnd"))
    return false;
  m_ui_cmd_sink = _ui_cmd_sink;
  m_kid_observer = _kid_observer;
  RECT rect;
  bool saved_show = true;
  dojob_read_saved_rect(&rect, &saved_show);

  m_icon_main.reset(WkLoadIcon(IDI_MAIN));
  m_icon_main_small.reset(WkLoadIcon(IDI_MAIN, WkSmallIconSize()));
  m_menu_video_settings.reset(WkLoadMenu(IDR_VIDEO_SETTINGS_MENU));
  m_menu_audio_settings.reset(WkLoadMenu(IDR_AUDIO_SETTINGS_MENU));
  m_main_menu.reset(WkLoadMenu(IDR_MAIN_MENU));
  // WS_CLIPCHILDREN: the off-screen picture is copied around the controls, never over them.
  if (!CreateFrame(kClassName, qel_text(IDS_WINDOW_TITLE), m_wnd_style | WS_CLIPCHILDREN, rect,
                   m_icon_main.get(), m_main_menu.get()))
    return false;

  dojob_layout();
  QEL_ASSERT(dojob_init_skype_info());
  QEL_ASSERT(dojob_init_buttons());
  QEL_ASSERT(dojob_init_history_list());
  QEL_ASSERT(dojob_create_status_bar());
  QEL_ASSERT(dojob_create_disk_watch());
  QEL_ASSERT(dojob_create_tooltips());
  m_tray.create(m_hWnd);
  SendMessageW(m_hWnd, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(m_icon_main_small.get()));
  dojob_move_controls();

  m_show_when_created = _show_mode == 0 || (_show_mode != 1 && saved_show);
  return true;
}

void CMyTopWndCore::show_created() {
  if (!m_hWnd || !m_show_when_created)
    return;
  m_show_when_created = false;
  ShowWindow(SW_SHOWNORMAL);
  UpdateWindow(m_hWnd);
}

bool CMyTopWndCore::dojob_create_status_bar() {
  if (!QEL_ASSERT_MSG(!m_status_bar, "!m_status_bar"))
    return false;
  RECT r = dojob_status_bar_rect();
  m_status_bar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", m_status_bar_style, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, m_hWnd,
                                 reinterpret_cast<HMENU>(static_cast<UINT_PTR>(IDC_STATUS_BAR)),
                                 GetModuleHandleW(nullptr), nullptr);
  if (!m_status_bar)
    return false;
  int parts[2] = {dojob_status_first_part_right(), -1};
  SendMessageW(m_status_bar, SB_SETPARTS, 2, reinterpret_cast<LPARAM>(parts));
  dojob_set_status_text(wide(qel_status_total_text(m_total_files, m_total_minutes, &qel_text16)));
  return true;
}

bool CMyTopWndCore::dojob_create_tooltips() {
  if (!QEL_ASSERT_MSG(!m_has_tooltip, "!m_tooltip"))
    return false;
  if (!m_tooltip.Create(m_hWnd))
    return false;
  m_has_tooltip = true;
  for (FooButton* button :
       {&m_button_start_recorder, &m_button_stop_recorder, &m_button_here, &m_button_change}) {
    if (button->m_hWnd)
      m_tooltip.AddTool(button->m_hWnd, LPSTR_TEXTCALLBACKW, nullptr,
                        static_cast<UINT>(button->GetDlgCtrlID()));
  }
  return true;
}

bool CMyTopWndCore::DestroyWindow() {
  m_disk.destroy();
  if (m_dlg_about.valid()) {
    m_dlg_about->Destroy();
    m_dlg_about.reset();
  }
  if (m_dlg_options.valid()) {
    if (m_kid_observer)
      m_dlg_options->m_ui_cmd_sink.Detach(m_kid_observer);
    m_dlg_options->destroy();
    m_dlg_options.reset();
  }
  if (m_dlg_msg_box.valid()) {
    m_dlg_msg_box->Destroy();
    m_dlg_msg_box.reset();
  }
  if (m_hWnd)
    SetMenu(m_hWnd, nullptr);
  m_main_menu.reset();
  dojob_destroy_buttons();
  m_menu_audio_settings.reset();
  m_menu_video_settings.reset();
  m_list_popup_menu.reset();
  m_quick_list.DestroyWindow();
  if (m_image_list) {
    ImageList_Destroy(m_image_list);
    m_image_list = nullptr;
  }
  dojob_destroy_history_list_painters();
  dojob_destroy_skype_info();
  m_tooltip.DestroyWindow();
  m_has_tooltip = false;
  if (m_status_bar) {
    ::DestroyWindow(m_status_bar);
    m_status_bar = nullptr;
  }
  m_tray.destroy();
  if (m_tray_clicks.timer_running()) {
    KillTimer(kTimerSystemTray);
    m_tray_clicks.on_timer();
  }
  if (m_auto_record_timer) {
    KillTimer(kTimerAutoRecord);
    m_auto_record_timer = false;
  }
  if (m_record_info_timer) {
    KillTimer(kTimerRecordInfo);
    m_record_info_timer = false;
  }
  return WkFrameWnd::DestroyWindow();
}

void CMyTopWndCore::dojob_show_and_activate() {
  if (IsIconic(m_hWnd))
    ShowWindow(SW_RESTORE);
  else
    ShowWindow(SW_SHOWNORMAL);
  SetForegroundWindow(m_hWnd);
}

void CMyTopWndCore::dojob_publish(int32_t _cmd_id, int32_t _param) {
  qel_ui_cmd cmd = {_cmd_id, _param};
  if (m_ui_cmd_sink)
    m_ui_cmd_sink->Notify(&cmd);
}

void CMyTopWndCore::show_tray_icon(bool _show) {
  m_tray.show(_show);
}

void CMyTopWndCore::set_total_files(int _n) {
  m_total_files = _n;
  dojob_set_status_text(wide(qel_status_change_text(m_total_files, m_total_minutes, &qel_text16)));
}

void CMyTopWndCore::set_total_minutes(int _n) {
  m_total_minutes = _n;
  dojob_set_status_text(wide(qel_status_change_text(m_total_files, m_total_minutes, &qel_text16)));
}

void CMyTopWndCore::dojob_set_status_text(const std::wstring& _text) {
  if (!m_status_bar)
    return;
  SendMessageW(m_status_bar, SB_SETTEXTW, 0, reinterpret_cast<LPARAM>(_text.c_str()));
  RECT r = dojob_status_bar_rect();
  InvalidateRect(m_hWnd, &r, FALSE);
  UpdateWindow(m_hWnd);
}

std::wstring CMyTopWndCore::dojob_audio_stream_text() const {
  return wide(qel_u16_format(qel_text16(IDS_AUDIO_STREAMS_FMT), {m_audio_first + m_audio_second}));
}

std::wstring CMyTopWndCore::dojob_local_stream_text() const {
  return wide(qel_u16_format(qel_text16(IDS_LOCAL_WEBCAM_FMT), {m_webcam_local}));
}

std::wstring CMyTopWndCore::dojob_remote_stream_text() const {
  return wide(qel_u16_format(qel_text16(IDS_REMOTE_WEBCAM_FMT), {m_webcam_remote}));
}

std::wstring CMyTopWndCore::dojob_elapsed_text() const {
  return wide(m_record_info.elapsed_text(platform::current_time()));
}

void CMyTopWndCore::dojob_relayout() {
  if (!m_hWnd)
    return;
  dojob_layout();
  dojob_move_controls();
  InvalidateRect(m_hWnd, nullptr, FALSE);
}

void CMyTopWndCore::dojob_save_rect() {
  RECT r;
  if (!GetWindowRect(m_hWnd, &r) || IsIconic(m_hWnd) || IsZoomed(m_hWnd))
    return;
  int w = r.right - r.left;
  int h = r.bottom - r.top;
  if (r.left >= 0 && r.top >= 0 && w >= m_default_rect.right - m_default_rect.left &&
      h >= m_default_rect.bottom - m_default_rect.top) {
    setting("ui_main_wnd_x").SetDWORD(static_cast<uint32_t>(r.left));
    setting("ui_main_wnd_y").SetDWORD(static_cast<uint32_t>(r.top));
    setting("ui_main_wnd_w").SetDWORD(static_cast<uint32_t>(w));
    setting("ui_main_wnd_h").SetDWORD(static_cast<uint32_t>(h));
  }
}

void CMyTopWndCore::OnSize(int _width, int _height) {
  if (!_width || !_height)
    return;
  dojob_save_rect();
  dojob_relayout();
}

void CMyTopWndCore::OnPaint(HDC _target, const RECT& _paint_rect) {
  if (_paint_rect.right <= _paint_rect.left || _paint_rect.bottom <= _paint_rect.top)
    return;
  RECT client = GetClientRect();
  WkMemoryDC buffer(_target, client.right, client.bottom);
  if (!buffer.valid())
    return;
  {
    Gdiplus::Graphics graphics(buffer.dc());
    dojob_paint_bk(&graphics);
    dojob_paint_skype_info(&graphics);
    if (m_record_info.is_showing()) {
      dojob_paint_record_info_bk(&graphics);
      dojob_draw_record_info(&graphics);
    }
    dojob_draw_history_list_bk(&graphics);
    dojob_draw_dest_dir_info(&graphics);
  }
  BitBlt(_target, _paint_rect.left, _paint_rect.top, _paint_rect.right - _paint_rect.left,
         _paint_rect.bottom - _paint_rect.top, buffer.dc(), _paint_rect.left, _paint_rect.top,
         SRCCOPY);
}

LRESULT CMyTopWndCore::OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) {
  switch (msg) {
    case WM_PAINT: {
      WkPaintDC dc(m_hWnd);
      OnPaint(dc.dc(), dc.paint_rect());
      return 0;
    }
    case WM_PRINTCLIENT: {
      RECT client = GetClientRect();
      OnPaint(reinterpret_cast<HDC>(wparam), client);
      return 0;
    }
    case WM_ERASEBKGND:
      return 0;
    case WM_SIZE:
      OnSize(LOWORD(lparam), HIWORD(lparam));
      return 0;
    case WM_GETMINMAXINFO: {
      auto* info = reinterpret_cast<MINMAXINFO*>(lparam);
      info->ptMinTrackSize = {m_default_rect.right - m_default_rect.left,
                              m_default_rect.bottom - m_default_rect.top};
      return 0;
    }
    case WM_TIMER:
      return OnTimer(wparam);
    case WM_SHOWWINDOW:
      if (wparam)
        setting("ui_main_wnd_show").SetBool(true);
      m_disk.on_visibility(wparam != 0);
      break;
    case WM_QEL_LIST_GET_ITEM:
      return OnGetListItem(reinterpret_cast<HWND>(wparam), reinterpret_cast<ListItemData*>(lparam));
    case kTrayNotifyMsg:
      return OnTrayNotification(wparam, lparam);
    case WM_INITMENUPOPUP:
      OnInitMenuPopup(reinterpret_cast<HMENU>(wparam), LOWORD(lparam));
      return 0;
    case WM_SYSCOMMAND:
      if ((wparam & 0xFFF0) == SC_CLOSE) {
        ShowWindow(SW_HIDE);
        setting("ui_main_wnd_show").SetBool(false);
        return 0;
      }
      break;
    case WM_CLOSE:
      // Alt+F4 and a close from outside hide it the same way: the program lives on in the
      // notification area.
      ShowWindow(SW_HIDE);
      setting("ui_main_wnd_show").SetBool(false);
      return 0;
    case WM_NOTIFY:
      return OnNotify(reinterpret_cast<NMHDR*>(lparam));
    case WM_CONTEXTMENU:
      // Shift+F10 or the menu key on the list (-1, -1); a right click came as NM_RCLICK.
      if (reinterpret_cast<HWND>(wparam) == m_quick_list.m_hWnd && LOWORD(lparam) == 0xFFFF &&
          HIWORD(lparam) == 0xFFFF) {
        OnListContextKey();
        return 0;
      }
      break;
    case WM_COMMAND:
      return OnCommand(LOWORD(wparam), lparam);
    case WM_QUERYENDSESSION:
    case WM_ENDSESSION:
    case WM_POWERBROADCAST:
      if (m_session_handler) {
        // A copy: the session's end may finalize the application, and this window with it.
        SessionHandler handler = m_session_handler;
        LRESULT result = 0;
        if (handler(msg, wparam, lparam, &result))
          return result;
      }
      break;
    case WM_SETFOCUS:
      // The keyboard user lands on the first control, not on the bare frame.
      if (m_button_start_recorder.m_hWnd)
        SetFocus(m_quick_list.GetItemCount() ? m_quick_list.m_hWnd
                                             : m_button_start_recorder.m_hWnd);
      return 0;
  }
  return WkFrameWnd::OnMessage(msg, wparam, lparam);
}

bool CMyTopWndCore::PreTranslateMessage(MSG* msg) {
  if (!m_hWnd || !msg->hwnd || (msg->hwnd != m_hWnd && !IsChild(m_hWnd, msg->hwnd)))
    return false;
  if (m_has_tooltip)
    m_tooltip.RelayEvent(msg);
  // Tab walks the buttons, the mode buttons and the list, as in a dialog.
  if (msg->message == WM_KEYDOWN && msg->wParam == VK_TAB && !(GetKeyState(VK_CONTROL) & 0x8000)) {
    bool back = (GetKeyState(VK_SHIFT) & 0x8000) != 0;
    HWND next = GetNextDlgTabItem(m_hWnd, GetFocus(), back);
    if (next)
      SetFocus(next);
    return true;
  }
  return false;
}
