// Recordings cut short: the one the engine was writing when it died joins the library at
// once, and the user's Repair makes such a file whole.
#include "app/qel_app.h"
#include "library/qel_avi_file_mngr.h"
#include "platform/win32/win.h"
#include "ui/qel_top_wnd.h"

void c_quorvantine_app::on_record_lost(const char16_t* _path, int64_t _start_time) {
  const wchar_t* path = as_wide(_path);
  // The engine may have died before it created the file.
  bool saved = path && *path && GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES &&
               dojob_add_saved_file(path, _start_time);
  m_session_end.on_record_filed();
  if (m_top_wnd.valid())
    m_top_wnd->OnRecordEndedUnexpectedly(saved);
}

void c_quorvantine_app::OnOCProcessEnded(DWORD _proc_id) {
  m_engine_end_sink.Notify(static_cast<uint32_t>(_proc_id));
}

void c_quorvantine_app::dojob_repair_file(uint32_t _id) {
  if (!m_file_mngr.valid() || !m_file_mngr->find_file(_id).valid())
    return;
  if (!m_file_mngr->repair_file(_id)) {
    if (m_top_wnd.valid())
      m_top_wnd->OnRepairFailed();
    return;
  }
  if (!m_top_wnd.valid())
    return;
  m_top_wnd->update_file_info(m_file_mngr->make_ui_file_info(m_file_mngr->find_file(_id)));
  m_top_wnd->set_total_minutes(m_file_mngr->get_total_minutes());
  m_top_wnd->set_total_files(m_file_mngr->get_total_files());
}
