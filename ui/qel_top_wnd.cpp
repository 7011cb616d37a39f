#include "ui/qel_top_wnd.h"

CMyTopWnd::~CMyTopWnd() {
  Finalize();
}

bool CMyTopWnd::create(int show_mode) {
  if (!create_unshown(show_mode))
    return false;
  show_created();
  return true;
}

bool CMyTopWnd::create_unshown(int show_mode) {
  m_kid_observer.Bind(shared_ptr<CMyTopWnd>(this), &CMyTopWnd::on_kid_evt);
  dojob_create_update_checker();
  return m_frame.create_unshown(show_mode, &m_ui_cmd_sink, &m_kid_observer);
}

void CMyTopWnd::Finalize() {
  dojob_close_update_msg_box();
  dojob_finalize_update_checker();
  m_frame.DestroyWindow();
}

void CMyTopWnd::on_kid_evt(const qel_ui_cmd* _ui_cmd) {
  if (!_ui_cmd)
    return;
  int code = _ui_cmd->m_cmd_id;
  if (code == kQelCmdOpenFolder || code == kQelCmdChangeFolder)
    m_ui_cmd_sink.Notify(_ui_cmd);
  else if (code >= kQelCmdAudioNone && code <= kQelCmdAudioBoth)
    m_frame.update_audio_button_caption();
  else if (code >= kQelCmdVideoNone && code <= kQelCmdVideoSideBySide)
    m_frame.update_video_button_caption();
}
