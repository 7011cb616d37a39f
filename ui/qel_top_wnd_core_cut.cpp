// The main window's side of recordings cut short: a row that changes after a repair, and
// what the user is told when the engine dies or a repair fails.
#include "res/resource.h"
#include "ui/qel_top_wnd_core.h"
#include "ui/qel_ui_texts.h"

void CMyTopWndCore::update_file_info(shared_ptr<qel_ui_avi_file_info> _info) {
  if (!m_ui_avi_file_info_list.valid() || !_info.valid() ||
      !m_ui_avi_file_info_list->find_by_id(_info->m_id).valid())
    return;
  m_ui_avi_file_info_list->on_update_file_info(_info);
  dojob_refresh_list();
}

void CMyTopWndCore::OnRecordEndedUnexpectedly(bool _saved) {
  OnRecordStopped();
  // The engine that reported the streams is gone with them.
  reset_streams();
  dojob_show_message(qel_text(IDS_RECORD_ENDED), qel_text(IDS_RECORD_ENDED),
                     qel_text(_saved ? IDS_RECORD_PART_SAVED : IDS_BLANK_LINE), IDI_WARNING);
}

void CMyTopWndCore::OnRepairFailed() {
  dojob_show_message(qel_text(IDS_REPAIR_FAILED), qel_text(IDS_REPAIR_FAILED),
                     qel_text(IDS_REPAIR_FAILED_DETAIL), IDI_HAND);
}
