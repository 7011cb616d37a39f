// The main window as the application sees it: a framework object that owns the frame
// window, publishes the user's commands on m_ui_cmd_sink and hears its child dialogs
// through m_kid_observer.
#pragma once

#include <utility>
#include <vector>

#include "net/qel_update_checker.h"
#include "platform/win32/win.h"
#include "qel_lib/qel_iobject.h"
#include "qel_lib/qel_subject.h"
#include "ui/qel_top_wnd_core_stt.h"
#include "ui/qel_ui_cmd.h"

class DlgMessageBox;

class CMyTopWnd : public ZulIObject {
 public:
  CMyTopWnd() = default;
  ~CMyTopWnd() override;

  // Show mode 0 shows the window, 1 keeps it hidden, any other follows the saved flag.
  bool create(int show_mode);
  // As create, with the window hidden until show_created(), so that it is filled first.
  bool create_unshown(int show_mode);
  void show_created() { m_frame.show_created(); }
  void Finalize();

  HWND GetSafeHwnd() const { return m_frame.m_hWnd; }
  CMyTopWndCoreStt* GetFrame() { return &m_frame; }

  void show_tray_icon(bool _show) { m_frame.show_tray_icon(_show); }
  void set_webcam_stream_count(int _local, int _remote) {
    m_frame.set_webcam_stream_count(_local, _remote);
  }
  void set_audio_stream_count(int _first, int _second) {
    m_frame.set_audio_stream_count(_first, _second);
  }
  void OnRecordStarted() { m_frame.OnRecordStarted(); }
  void OnRecordStopped() { m_frame.OnRecordStopped(); }
  void OnRecordStartFailed(int _reason) { m_frame.OnRecordStartFailed(_reason); }
  void reset_streams() { m_frame.reset_streams(); }
  void add_file_infos(const std::vector<shared_ptr<qel_ui_avi_file_info>>& _list) {
    m_frame.add_file_infos(_list);
  }
  void remove_file_info(uint32_t _id) { m_frame.remove_file_info(_id); }
  void clear_file_infos() { m_frame.clear_file_infos(); }
  void update_file_info(shared_ptr<qel_ui_avi_file_info> _info) { m_frame.update_file_info(_info); }
  void OnRecordEndedUnexpectedly(bool _saved) { m_frame.OnRecordEndedUnexpectedly(_saved); }
  void OnRepairFailed() { m_frame.OnRepairFailed(); }
  void set_total_files(int _n) { m_frame.set_total_files(_n); }
  void set_total_minutes(int _n) { m_frame.set_total_minutes(_n); }
  void set_record_volume(const std::u16string& _folder, uint64_t _bytes_per_second) {
    m_frame.set_record_volume(_folder, _bytes_per_second);
  }
  void hold_auto_record(bool _hold) { m_frame.hold_auto_record(_hold); }
  void set_session_handler(CMyTopWndCore::SessionHandler _handler) {
    m_frame.set_session_handler(std::move(_handler));
  }

  // Commands of the child dialogs: folder commands go on to the application, mode changes
  // refresh the mode buttons.
  void on_kid_evt(const qel_ui_cmd* _ui_cmd);

  qel_ui_cmd_subject m_ui_cmd_sink;
  using KidObserver = ObserverAdapter<CMyTopWnd, qel_ui_cmd_subject>;
  KidObserver m_kid_observer;

  // Update check (qel_top_wnd_update.cpp): offers the download of a newer version.
  void OnUpdateEvt(const ZulUpdateEvt* _evt);
  const shared_ptr<ZulUpdateChecker>& GetUpdateChecker() const { return mUpdateChecker; }

 private:
  bool dojob_create_update_checker();
  void dojob_finalize_update_checker();
  void dojob_close_update_msg_box();

  CMyTopWndCoreStt m_frame;
  shared_ptr<ZulUpdateChecker> mUpdateChecker;
  ObserverAdapter<CMyTopWnd, ZulUpdateSubject> mUpdateObserver;
  // The box for update results; an offered download replaces it.
  shared_ptr<DlgMessageBox> m_update_msg_box;
};
