// The application's side of the user's commands: play and delete through the folder
// manager, the web pages, the recording folder and its change, and the recording modes.
// Record and Stop are the COM UI object's (they become requests to the engine).
#include "app/qel_app.h"
#include "library/qel_app_constants.h"
#include "library/qel_app_setting.h"
#include "library/qel_avi_file_mngr.h"
#include "platform/installer.h"
#include "platform/shell.h"
#include "platform/win32/win.h"
#include "qel_lib/qel_assert.h"
#include "res/resource.h"
#include "ui/qel_dlg_message_box.h"
#include "ui/qel_select_folder.h"
#include "ui/qel_top_wnd.h"
#include "ui/qel_ui_texts.h"

namespace {

constexpr char kAutoStartEnable[] = "sys_auto_start_enable";
constexpr uint32_t kFolderBufLen = 2048;

const char* site(int index) {
  return g_qel_site_addresses[index].ansi;
}

}  // namespace

void c_quorvantine_app::OnWndEvent(const qel_ui_cmd* _ui_cmd) {
  if (!QEL_ASSERT(_ui_cmd))
    return;
  int32_t id = _ui_cmd->m_cmd_id;
  if (id >= kQelCmdAudioNone && id <= kQelCmdAudioBoth) {
    qel_app_setting::set_output_audio_settings(id - kQelCmdAudioNone + 1);
    return;
  }
  if (id >= kQelCmdVideoNone && id <= kQelCmdVideoSideBySide) {
    static constexpr int kVideoModeByCode[] = {1, 2, 3, 6, 4, 5};
    qel_app_setting::set_output_video_settings(kVideoModeByCode[id - kQelCmdVideoNone]);
    return;
  }
  switch (id) {
    case kQelCmdRecord:
    case kQelCmdStop:
      return;
    case kQelCmdPlay:
      if (m_file_mngr.valid())
        m_file_mngr->play_file(static_cast<uint32_t>(_ui_cmd->m_param));
      return;
    case kQelCmdDelete:
      dojob_delete_file(static_cast<uint32_t>(_ui_cmd->m_param));
      return;
    case kQelCmdRepair:
      dojob_repair_file(static_cast<uint32_t>(_ui_cmd->m_param));
      return;
    case kQelCmdExit:
      // The next start at logon ends at once.
      m_user_key.GetValue(kAutoStartEnable).SetBool(false);
      ::PostQuitMessage(0);
      Finalize();
      return;
    case kQelCmdOpenHelpPage:
      dojob_open_web_page(site(kQelSiteHelpPage));
      return;
    case kQelCmdOpenDownloadPage:
      dojob_open_web_page(site(kQelSiteDownloadPage));
      return;
    case kQelCmdOpenIssuePage:
      dojob_open_web_page(site(kQelSiteReportIssuePage));
      return;
    case kQelCmdOpenHomePage:
      dojob_open_web_page(site(kQelSiteHomePage));
      return;
    case kQelCmdOpenFolder:
      if (m_file_mngr.valid() && m_file_mngr->get_dest_dir()[0])
        platform::shell_open_maximized(m_file_mngr->get_dest_dir());
      return;
    case kQelCmdChangeFolder:
      dojob_change_dest_dir();
      return;
  }
  QEL_ASSERT_MSG(false, "false");
}

void c_quorvantine_app::dojob_delete_file(uint32_t _id) {
  if (!m_file_mngr.valid())
    return;
  m_file_mngr->del_file(_id);
  if (!m_top_wnd.valid())
    return;
  // The row goes even when its file had gone from the disk already.
  m_top_wnd->remove_file_info(_id);
  m_top_wnd->set_total_minutes(m_file_mngr->get_total_minutes());
  m_top_wnd->set_total_files(m_file_mngr->get_total_files());
  dojob_show_record_volume();
}

int c_quorvantine_app::dojob_open_web_page(const char* _url) {
  if (!QEL_ASSERT_MSG(_url, "_url"))
    return 0;
  return platform::open_web_address(_url) ? 1 : 0;
}

bool c_quorvantine_app::dojob_prompt_user_to_select_folder(char16_t* _p_new_dir,
                                                           uint32_t _new_dir_len) {
  if (!QEL_ASSERT_MSG(_p_new_dir && _new_dir_len, "_p_new_dir && _new_dir_len"))
    return false;
  if (m_select_folder)
    return m_select_folder(_p_new_dir, _new_dir_len);
  const char16_t* current = m_file_mngr.valid() ? m_file_mngr->get_dest_dir() : nullptr;
  return qel_select_folder(GetTopWndHandle(), current, qel_text16(IDS_SELECT_FOLDER), _p_new_dir,
                           _new_dir_len);
}

void c_quorvantine_app::dojob_change_dest_dir() {
  char16_t new_dir[kFolderBufLen] = {};
  if (!dojob_prompt_user_to_select_folder(new_dir, kFolderBufLen) || !new_dir[0])
    return;
  new_dir[kFolderBufLen - 1] = 0;
  const char16_t* current = m_file_mngr.valid() ? m_file_mngr->get_dest_dir() : u"";
  if (std::u16string_view(new_dir) == std::u16string_view(current))
    return;
  const wchar_t* reason = nullptr;
  if (!dojob_check_dir_writable(new_dir))
    reason = qel_text(IDS_DIR_CANNOT_CREATE);
  else if (!m_file_mngr.valid() || !m_file_mngr->reset_dest_dir(new_dir))
    reason = qel_text(IDS_DIR_CANNOT_LOAD);
  if (reason) {
    dojob_report_unusable_dir(new_dir, reason);
    return;
  }
  if (!m_top_wnd.valid())
    return;
  m_top_wnd->set_total_minutes(m_file_mngr->get_total_minutes());
  m_top_wnd->set_total_files(m_file_mngr->get_total_files());
  m_top_wnd->clear_file_infos();
  dojob_list_library();
  dojob_show_record_volume();
}

void c_quorvantine_app::dojob_report_unusable_dir(const char16_t* _dir, const wchar_t* _reason) {
  // "Failed to use the directory "%s":" with the path in place of %s.
  std::wstring line1 = qel_text(IDS_DIR_FAILED_FMT);
  size_t at = line1.find(L"%s");
  if (at != std::wstring::npos)
    line1.replace(at, 2, reinterpret_cast<const wchar_t*>(_dir));
  if (!m_msg_box.valid())
    m_msg_box = shared_ptr<DlgMessageBox>(new DlgMessageBox);
  if (!m_msg_box->IsCreated())
    m_msg_box->Create(line1.c_str(), _reason, GetTopWndHandle(), 16);
  m_msg_box->SetLines(line1.c_str(), _reason);
  m_msg_box->SetCaption(qel_text(IDS_DIR_NOT_ACCESSIBLE));
  m_msg_box->SetIcon(LoadIconA(nullptr, IDI_HAND));
}
