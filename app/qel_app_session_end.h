// The application's answers when Windows ends the session or the machine goes to sleep. The
// main window hands the messages over; what to do is qel_session_end_state's decision.
#pragma once

#include "platform/win32/win.h"
#include "ui/core/qel_session_end_state.h"

class CMyTopWnd;
class c_quorvantine_app;

class qel_app_session_end {
 public:
  explicit qel_app_session_end(c_quorvantine_app* _app) : m_app(_app) {}

  // The main window passes WM_QUERYENDSESSION, WM_ENDSESSION and WM_POWERBROADCAST here.
  void Attach(CMyTopWnd* _top_wnd);
  void on_record_started() { m_state.on_record_started(); }
  // The recording's files joined the library, or it was lost.
  void on_record_filed() { m_state.on_record_filed(); }

  bool OnMessage(UINT _msg, WPARAM _wparam, LPARAM _lparam, LRESULT* _result);

 private:
  void OnQueryEndSession();
  void OnEndSession(bool _ending);
  void OnPowerBroadcast(WPARAM _event);
  // Asks the engine to stop and runs the loop until the recording is filed or the wait is
  // over.
  void dojob_stop_and_wait();
  void dojob_hold_auto_record();

  c_quorvantine_app* m_app;
  qel_session_end_state m_state;
};
