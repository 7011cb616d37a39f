// The main window's commands: buttons, menu bar, tray and list menus, and the drop-downs.
#include <vector>

#include "library/qel_app_constants.h"
#include "library/qel_app_setting.h"
#include "library/qel_profile.h"
#include "qel_lib/qel_assert.h"
#include "res/resource.h"
#include "ui/core/qel_delete_question.h"
#include "ui/qel_dlg_about.h"
#include "ui/qel_dlg_message_box.h"
#include "ui/qel_dlg_options.h"
#include "ui/qel_top_wnd_core.h"
#include "ui/qel_ui_texts.h"

namespace {

ZulProfileValue setting(const char* name) {
  return ZulProfileKey::Root_CurrentUser().GetSubKey(g_qel_settings_path).GetValue(name);
}

const wchar_t* wide(const char16_t* text) {
  return reinterpret_cast<const wchar_t*>(text ? text : u"");
}

}  // namespace

LRESULT CMyTopWndCore::OnCommand(WORD _id, LPARAM _param) {
  switch (_id) {
    case kQelWndPlay:
      dojob_publish(kQelCmdPlay, static_cast<int32_t>(_param));
      return 0;
    case kQelWndDelete:
      dojob_delete_selected();
      return 0;
    case kQelWndRepair:
      dojob_publish(kQelCmdRepair, static_cast<int32_t>(_param));
      return 0;
    case kQelWndHelp:
      dojob_publish(kQelCmdOpenHelpPage);
      return 0;
    case kQelWndStop:
      if (m_record_info.is_showing() && m_record_info.mode() == kQelRecordInfoNoStream) {
        m_record_info.set_mode(kQelRecordInfoNone);
        dojob_hide_record_info();
      }
      dojob_publish(kQelCmdStop);
      return 0;
    case kQelWndRecord:
      if (!m_disk.may_record(true))
        return 0;
      dojob_show_legal_warning();
      if (!m_webcam_local && !m_webcam_remote && !m_audio_first && !m_audio_second)
        OnRecordStartFailed(0);
      dojob_publish(kQelCmdRecord);
      return 0;
    case kQelWndExit:
      dojob_publish(kQelCmdExit);
      return 0;
    case kQelWndOpenMainWindow:
      dojob_show_and_activate();
      return 0;
    case kQelWndAbout:
      dojob_show_about();
      return 0;
    case kQelWndMoreFeatures:
      dojob_publish(kQelCmdOpenHomePage);
      return 0;
    case kQelWndReportIssue:
      dojob_publish(kQelCmdOpenIssuePage);
      return 0;
    case kQelWndOpenFolder:
    case kQelWndHere:
      dojob_publish(kQelCmdOpenFolder);
      return 0;
    case kQelWndCheckUpdates:
      dojob_publish(kQelCmdOpenDownloadPage);
      return 0;
    case kQelWndAudioButton:
      dojob_show_audio_menu();
      return 0;
    case kQelWndVideoButton:
      dojob_show_video_menu();
      return 0;
    case kQelWndInert:
      return 0;
    case kQelWndOptions:
      dojob_show_options();
      return 0;
    case kQelWndChangeFolder:
      dojob_publish(kQelCmdChangeFolder);
      return 0;
    case IDOK:
    case IDCANCEL:
      // Enter and Escape on the frame itself: nothing to confirm or cancel.
      return 0;
  }
  QEL_ASSERT_MSG(false, "false");
  return 0;
}

void CMyTopWndCore::dojob_show_message(const wchar_t* _caption,
                                       const wchar_t* _line1,
                                       const wchar_t* _line2,
                                       LPCSTR _icon) {
  if (!m_dlg_msg_box.valid())
    m_dlg_msg_box = shared_ptr<DlgMessageBox>(new DlgMessageBox);
  if (!m_dlg_msg_box->IsCreated())
    m_dlg_msg_box->Create(_line1, _line2, m_hWnd, 0);
  m_dlg_msg_box->SetLines(_line1, _line2);
  m_dlg_msg_box->SetCaption(_caption);
  m_dlg_msg_box->SetIcon(LoadIconA(nullptr, _icon));
  if (HWND box = m_dlg_msg_box->GetSafeHwnd()) {
    ::ShowWindow(box, SW_SHOW);
    BringWindowToTop(box);
  }
}

void CMyTopWndCore::dojob_show_legal_warning() {
  bool showed = false;
  ZulProfileValue value = setting("legal_warning_showed");
  value.GetBool(&showed);
  if (showed)
    return;
  dojob_show_message(qel_text(IDS_PLEASE_NOTE), qel_text(IDS_PLEASE_NOTE),
                     qel_text(IDS_LEGAL_NOTICE), IDI_INFORMATION);
  value.SetBool(true);
}

void CMyTopWndCore::dojob_delete_selected() {
  std::vector<shared_ptr<qel_ui_avi_file_info>> file_info_list;
  int sel_count = m_quick_list.GetSelectedCount();
  m_quick_list.ForEachSelected([&](int row) {
    shared_ptr<qel_ui_avi_file_info> info = m_ui_avi_file_info_list->get_at(row);
    if (info.valid())
      file_info_list.push_back(info);
  });
  QEL_ASSERT_MSG(sel_count == static_cast<int>(file_info_list.size()),
                 "sel_count == file_info_list.size()");
  if (file_info_list.empty())
    return;
  std::u16string question =
      qel_delete_question(static_cast<int>(file_info_list.size()),
                          file_info_list.front()->m_title.c_str(), &qel_text16);
  if (MessageBoxW(nullptr, wide(question.c_str()), qel_text(IDS_CONFIRM_DELETE),
                  MB_ICONQUESTION | MB_YESNO) != IDYES)
    return;
  for (const shared_ptr<qel_ui_avi_file_info>& info : file_info_list)
    dojob_publish(kQelCmdDelete, static_cast<int32_t>(info->m_id));
}

void CMyTopWndCore::dojob_play_focused() {
  int row = m_quick_list.GetFocusedItem();
  shared_ptr<qel_ui_avi_file_info> info = m_ui_avi_file_info_list->get_at(row);
  if (row >= 0 && info.valid())
    OnCommand(kQelWndPlay, static_cast<LPARAM>(info->m_id));
}

void CMyTopWndCore::dojob_show_about() {
  if (!m_dlg_about.valid())
    m_dlg_about = shared_ptr<DlgAbout>(new DlgAbout);
  m_dlg_about->Create(m_hWnd);
  if (HWND about = m_dlg_about->GetSafeHwnd())
    BringWindowToTop(about);
}

void CMyTopWndCore::dojob_show_options() {
  if (!m_dlg_options.valid()) {
    m_dlg_options = shared_ptr<DlgOptions>(new DlgOptions);
    if (m_kid_observer)
      m_dlg_options->m_ui_cmd_sink.Attach(m_kid_observer, 0);
  }
  // OK and Cancel destroy the window; the next request makes a fresh one on current settings.
  if (!m_dlg_options->is_created() && !m_dlg_options->create(m_hWnd))
    return;
  HWND options = m_dlg_options->GetSafeHwnd();
  ::ShowWindow(options, SW_SHOW);
  BringWindowToTop(options);
}

void CMyTopWndCore::OnInitMenuPopup(HMENU _menu, int _index) {
  // Every item stays usable: whether a command has an effect is the application's call.
  EnableMenuItem(_menu, static_cast<UINT>(_index), MF_BYPOSITION | MF_ENABLED);
}

namespace {

// Shows a mode drop-down under its button and returns the chosen mode, or 0 when the user
// chose nothing usable or the current mode.
int dojob_choose_mode(HWND owner,
                      HMENU menu,
                      FooButton* button,
                      int current,
                      UINT first_id,
                      UINT last_id,
                      std::initializer_list<UINT> accepted,
                      uint32_t (*cmd_by_mode)(int),
                      int (*mode_by_cmd)(uint32_t)) {
  // The range reaches every id of the menu ("Separate Files" lies apart from the others),
  // so every mode gets its mark.
  HMENU popup = menu ? GetSubMenu(menu, 0) : nullptr;
  if (!popup)
    return 0;
  SetForegroundWindow(owner);
  CheckMenuRadioItem(popup, first_id, last_id, cmd_by_mode(current), MF_BYCOMMAND);
  UINT chosen = button->ShowMenu(popup);
  PostMessageW(owner, WM_NULL, 0, 0);
  bool ok = false;
  for (UINT id : accepted)
    ok = ok || id == chosen;
  if (!ok)
    return 0;
  int mode = mode_by_cmd(chosen);
  return mode == current ? 0 : mode;
}

}  // namespace

void CMyTopWndCore::dojob_show_audio_menu() {
  int mode = dojob_choose_mode(
      m_hWnd, m_menu_audio_settings.get(), &m_button_audio_mode,
      qel_app_setting::get_output_audio_settings(), kQelWndAudioMicrophone, kQelWndAudioBoth,
      {kQelWndAudioNone, kQelWndAudioMicrophone, kQelWndAudioSpeaker, kQelWndAudioBoth},
      &qel_app_setting::static_get_cmd_id_by_audio_settings,
      &qel_app_setting::static_get_audio_settings_by_cmd_id);
  if (!mode)
    return;
  m_button_audio_mode.SetWindowText(wide(qel_app_setting::static_get_audio_settings_str(mode)));
  dojob_publish(
      static_cast<int32_t>(qel_app_setting::static_get_ui_cmd_id_by_audio_settings(mode)));
  if (m_record_info.is_showing() && m_record_info.mode() == kQelRecordInfoRecording)
    dojob_notify(IDS_INFORMATION, IDS_CHANGE_NEXT_RECORDING);
}

void CMyTopWndCore::dojob_show_video_menu() {
  int mode = dojob_choose_mode(m_hWnd, m_menu_video_settings.get(), &m_button_video_mode,
                               qel_app_setting::get_output_video_settings(), kQelWndVideoNone,
                               kQelWndVideoSeparate,
                               {kQelWndVideoNone, kQelWndVideoRemote, kQelWndVideoLocal,
                                kQelWndVideoPicInPic, kQelWndVideoSideBySide, kQelWndVideoSeparate},
                               &qel_app_setting::static_get_cmd_id_by_video_settings,
                               &qel_app_setting::static_get_video_settings_by_cmd_id);
  if (!mode)
    return;
  m_button_video_mode.SetWindowText(wide(qel_app_setting::static_get_video_settings_str(mode)));
  dojob_publish(
      static_cast<int32_t>(qel_app_setting::static_get_ui_cmd_id_by_video_settings(mode)));
  if (m_record_info.is_showing() && m_record_info.mode() == kQelRecordInfoRecording)
    dojob_notify(IDS_INFORMATION, IDS_CHANGE_NEXT_RECORDING);
}

void CMyTopWndCore::update_audio_button_caption() {
  m_button_audio_mode.SetWindowText(wide(qel_app_setting::static_get_audio_settings_str(
      qel_app_setting::get_output_audio_settings())));
}

void CMyTopWndCore::update_video_button_caption() {
  m_button_video_mode.SetWindowText(wide(qel_app_setting::static_get_video_settings_str(
      qel_app_setting::get_output_video_settings())));
}
