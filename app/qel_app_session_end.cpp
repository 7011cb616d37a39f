#include "app/qel_app_session_end.h"

#include "app/qel_app.h"
#include "platform/clock.h"
#include "platform/event_loop.h"
#include "res/resource.h"
#include "ui/qel_top_wnd.h"
#include "ui/qel_ui_texts.h"
#include "winkit/wk_shutdown_block.h"

void qel_app_session_end::Attach(CMyTopWnd* _top_wnd) {
  weak_ptr<c_quorvantine_app> app = shared_ptr<c_quorvantine_app>(m_app);
  qel_app_session_end* self = this;
  _top_wnd->set_session_handler([app, self](UINT msg, WPARAM wparam, LPARAM lparam, LRESULT* out) {
    // Held while it runs: the end of the session finalizes the application.
    shared_ptr<c_quorvantine_app> keep = app.lock();
    return keep.valid() && self->OnMessage(msg, wparam, lparam, out);
  });
}

bool qel_app_session_end::OnMessage(UINT _msg, WPARAM _wparam, LPARAM _lparam, LRESULT* _result) {
  switch (_msg) {
    case WM_QUERYENDSESSION:
      // Also from installers that close running programs (ENDSESSION_CLOSEAPP): the same.
      OnQueryEndSession();
      *_result = TRUE;
      return true;
    case WM_ENDSESSION:
      OnEndSession(_wparam != FALSE);
      *_result = 0;
      return true;
    case WM_POWERBROADCAST:
      OnPowerBroadcast(_wparam);
      *_result = TRUE;
      return true;
  }
  return false;
}

void qel_app_session_end::OnQueryEndSession() {
  if (m_state.on_query_end() != qel_session_step::kStopAndWait)
    return;
  WkShutdownBlockReason reason(m_app->GetTopWndHandle(), qel_text(IDS_SAVING_RECORDING));
  dojob_stop_and_wait();
}

void qel_app_session_end::OnEndSession(bool _ending) {
  if (m_state.on_end(_ending) != qel_session_step::kFinalize)
    return;
  // As the Exit command, except that the start at logon stays as the user set it: the user
  // did not ask the program to stop. Windows may end the process as soon as this returns.
  ::PostQuitMessage(0);
  m_app->Finalize();
}

void qel_app_session_end::OnPowerBroadcast(WPARAM _event) {
  switch (_event) {
    case PBT_APMSUSPEND:
      if (m_state.on_suspend() == qel_session_step::kStopAndWait)
        dojob_stop_and_wait();
      dojob_hold_auto_record();
      return;
    case PBT_APMRESUMEAUTOMATIC:
    case PBT_APMRESUMESUSPEND:
      // Only a call whose streams the engine reports again starts an automatic recording.
      m_state.on_resume();
      dojob_hold_auto_record();
      return;
  }
}

void qel_app_session_end::dojob_stop_and_wait() {
  shared_ptr<CMyTopWnd> top_wnd = m_app->GetTopWnd();
  if (!top_wnd.valid())
    return;
  m_state.begin_wait(platform::monotonic_ms());
  dojob_hold_auto_record();
  qel_ui_cmd stop = {kQelCmdStop, 0};
  top_wnd->m_ui_cmd_sink.Notify(&stop);
  HWND hwnd = top_wnd->GetSafeHwnd();
  // The engine's report of the stopped recording comes in through the loop.
  platform::run_loop_until(
      [&] { return !IsWindow(hwnd) || m_state.wait_left(platform::monotonic_ms()) == 0; },
      qel_session_end_state::kWaitMs);
  m_state.end_wait();
  dojob_hold_auto_record();
}

void qel_app_session_end::dojob_hold_auto_record() {
  shared_ptr<CMyTopWnd> top_wnd = m_app->GetTopWnd();
  if (top_wnd.valid())
    top_wnd->hold_auto_record(m_state.holds_auto_record());
}
