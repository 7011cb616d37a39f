// The application's side of a recording: the main window is told when it starts and
// stops, finished files join the library and discarded ones go to the recycle bin.
#include <vector>

#include "app/co_qel_ui.h"
#include "app/qel_app.h"
#include "library/qel_avi_file_mngr.h"
#include "qel_lib/qel_assert.h"
#include "ui/qel_top_wnd.h"

void c_quorvantine_app::dojob_fill_top_wnd() {
  m_top_wnd->set_total_minutes(m_file_mngr.valid() ? m_file_mngr->get_total_minutes() : 0);
  m_top_wnd->set_total_files(m_file_mngr.valid() ? m_file_mngr->get_total_files() : 0);
  m_top_wnd->set_webcam_stream_count(0, 0);
  m_top_wnd->set_audio_stream_count(0, 0);
  m_top_wnd->clear_file_infos();
  if (!m_file_mngr.valid())
    return;
  dojob_list_library();
  dojob_show_record_volume();
}

void c_quorvantine_app::dojob_show_record_volume() {
  if (m_top_wnd.valid() && m_file_mngr.valid())
    m_top_wnd->set_record_volume(m_file_mngr->get_dest_dir(), m_file_mngr->get_bytes_per_second());
}

void c_quorvantine_app::dojob_list_library() {
  // A vector sized once: a library of thousands of records makes no node per record.
  std::vector<shared_ptr<qel_ui_avi_file_info>> records;
  records.reserve(m_file_mngr->get_total_files());
  m_file_mngr->make_ui_file_info_list(records);
  if (!records.empty())
    m_top_wnd->add_file_infos(records);
}

void c_quorvantine_app::on_record_started() {
  m_session_end.on_record_started();
  if (m_top_wnd.valid())
    m_top_wnd->OnRecordStarted();
}

void c_quorvantine_app::on_record_stopped(int _save_list_size,
                                          const wchar_t* const* _save_list,
                                          int _del_list_size,
                                          const wchar_t* const* _del_list,
                                          int64_t _start_time) {
  if (m_top_wnd.valid())
    m_top_wnd->OnRecordStopped();
  QEL_ASSERT_MSG(_save_list_size > 0 && _save_list_size <= QEL_MAX_OUTPUT_FILE_COUNT,
                 "_save_list_size > 0 && _save_list_size<=QEL_MAX_OUTPUT_FILE_COUNT");
  QEL_ASSERT_MSG(
      _del_list_size >= 0 && _save_list_size + _del_list_size <= QEL_MAX_OUTPUT_FILE_COUNT,
      "_del_list_size >= 0 && _save_list_size+_del_list_size<=QEL_MAX_OUTPUT_FILE_COUNT");
  for (int i = 0; _save_list && i < _save_list_size; ++i)
    dojob_add_saved_file(_save_list[i], _start_time);
  for (int i = 0; _del_list && i < _del_list_size; ++i)
    dojob_recycle_file(_del_list[i]);
  m_session_end.on_record_filed();
}

bool c_quorvantine_app::dojob_add_saved_file(const wchar_t* _path, int64_t _start_time) {
  if (!_path || !*_path || !m_file_mngr.valid())
    return false;
  shared_ptr<qel_avi_file> file = m_file_mngr->insert_new_file(as_u16(_path), _start_time);
  if (!file.valid())
    return false;
  shared_ptr<qel_ui_avi_file_info> info = m_file_mngr->make_ui_file_info(file);
  if (!info.valid() || !m_top_wnd.valid())
    return false;
  m_top_wnd->add_file_infos({info});
  m_top_wnd->set_total_minutes(m_file_mngr->get_total_minutes());
  m_top_wnd->set_total_files(m_file_mngr->get_total_files());
  dojob_show_record_volume();
  return true;
}

void c_quorvantine_app::dojob_recycle_file(const wchar_t* _path) {
  if (!_path || !*_path)
    return;
  dojob_recycle_avi_file(
      std::u16string_view(as_u16(_path), wcsnlen(_path, const_qel_avi_file_name_len)));
}
