// The main frame window until the full main window lands: shown or hidden on request,
// brought forward by the "Open Main Window" command, hidden instead of closed. It keeps
// what the engine and the library report (stream counts, record-info mode, history
// records, totals), publishes Record and Stop as UI commands, and answers a state query
// so that tests can read that state from another process.
#pragma once

#include <list>

#include "library/qel_ui_file_info_list.h"
#include "platform/win32/win.h"
#include "qel_lib/qel_ptr.h"
#include "ui/qel_dlg_message_box.h"
#include "ui/qel_top_wnd_query.h"
#include "ui/qel_top_wnd_tray.h"
#include "ui/qel_ui_cmd.h"
#include "winkit/wk_frame_wnd.h"

class CMyTopWndCore : public WkFrameWnd {
 public:
  CMyTopWndCore();

  // Show modes of create: 0 shows the window, any other value keeps it hidden.
  bool create(int show_mode, qel_ui_cmd_subject* _ui_cmd_sink);

  void show_tray_icon(bool _show);
  void set_webcam_stream_count(int _local, int _remote);
  void set_audio_stream_count(int _first, int _second);
  void OnRecordStarted();
  void OnRecordStopped();
  void OnRecordStartFailed(int _reason);
  void reset_streams();
  void add_file_infos(const std::list<shared_ptr<qel_ui_avi_file_info>>& _list);
  void remove_file_info(uint32_t _id);
  void clear_file_infos();
  void set_total_files(int _n);
  void set_total_minutes(int _n);

  // The value a state query returns for the field.
  LRESULT query_state(qel_top_wnd_field _field) const;

 protected:
  LRESULT OnMessage(UINT msg, WPARAM wparam, LPARAM lparam) override;

 private:
  void dojob_show_and_activate();
  bool OnCommand(WORD _id);
  void dojob_publish(int32_t _cmd_id);
  void dojob_create_buttons();
  void dojob_refresh();
  void dojob_show_start_failed_box();
  void OnPaint();

  qel_ui_cmd_subject* m_ui_cmd_sink = nullptr;
  int m_webcam_local = 0;
  int m_webcam_remote = 0;
  int m_audio_first = 0;
  int m_audio_second = 0;
  // 0 none, 1 recording, 2 no stream to record.
  int m_record_info_mode = 0;
  int m_last_start_failed_reason = -1;
  int m_start_failed_boxes = 0;
  int m_total_files = 0;
  int m_total_minutes = 0;
  shared_ptr<qel_ui_avi_file_info_list> m_ui_avi_file_info_list;
  qel_top_wnd_tray m_tray;
  shared_ptr<DlgMessageBox> m_msg_box;
};
