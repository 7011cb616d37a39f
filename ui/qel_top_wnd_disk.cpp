#include "ui/qel_top_wnd_disk.h"

#include <utility>

#include "library/qel_app_setting.h"
#include "res/resource.h"
#include "ui/qel_ui_texts.h"

namespace {

constexpr wchar_t kClassName[] = L"QelDiskWatchWnd";
constexpr UINT_PTR kTimerPoll = 1;
constexpr unsigned kRecordingPeriodMs = 1000;
constexpr unsigned kWatchingPeriodMs = 5000;

std::wstring wide(const std::u16string& text) {
  return std::wstring(as_wide(text.c_str()), text.size());
}

}  // namespace

bool qel_top_wnd_disk::create(Owner _owner) {
  m_owner = std::move(_owner);
  if (!m_probe.create([this](const std::u16string& folder, bool known, uint64_t free) {
        OnAnswer(folder, known, free);
      }))
    return false;
  return m_window.Create(kClassName, 0, HWND_MESSAGE,
                         [this](HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
                           return OnMessage(hwnd, msg, wparam, lparam);
                         });
}

void qel_top_wnd_disk::destroy() {
  if (m_period && m_window.hwnd())
    KillTimer(m_window.hwnd(), kTimerPoll);
  m_period = 0;
  m_window.Destroy();
  m_probe.destroy();
}

void qel_top_wnd_disk::set_folder(const std::u16string& _folder, uint64_t _bytes_per_second) {
  bool changed = m_watch.set_folder(_folder);
  if (m_watch.set_bytes_per_second(_bytes_per_second) || changed)
    dojob_show_status();
  if (changed)
    dojob_ask();
  dojob_update_timer();
}

bool qel_top_wnd_disk::may_record(bool _by_user) {
  qel_disk_thresholds limits = qel_app_setting::get_disk_thresholds();
  bool may = m_watch.may_start(limits);
  // The next decision has a fresh answer, whatever this one was.
  dojob_ask();
  if (may)
    return true;
  std::wstring caption = qel_text(IDS_DISK_LOW);
  std::wstring what = wide(qel_disk_refused_text(m_watch.free_bytes(), &qel_text16));
  std::wstring advice = wide(qel_disk_refused_advice(&qel_text16));
  if (_by_user)
    m_owner.show_box(caption, what, advice);
  else
    dojob_tell(caption, what, advice);
  return false;
}

void qel_top_wnd_disk::on_recording(bool _recording) {
  if (_recording == m_watch.recording())
    return;
  m_watch.on_recording(_recording);
  dojob_ask();
  dojob_update_timer();
}

void qel_top_wnd_disk::on_call(bool _streams) {
  if (_streams == m_call)
    return;
  m_call = _streams;
  if (m_call)
    dojob_ask();
  dojob_update_timer();
}

void qel_top_wnd_disk::on_visibility(bool _visible) {
  m_visible = _visible;
  if (m_visible)
    dojob_ask();
  dojob_update_timer();
}

std::wstring qel_top_wnd_disk::status_text() const {
  return wide(m_watch.status_text(qel_app_setting::get_disk_thresholds(), &qel_text16));
}

void qel_top_wnd_disk::dojob_ask() {
  m_probe.ask(m_watch.folder());
}

void qel_top_wnd_disk::dojob_update_timer() {
  unsigned period = 0;
  if (m_watch.folder().empty())
    period = 0;
  else if (m_watch.recording())
    period = kRecordingPeriodMs;
  else if (m_call || m_visible)
    period = kWatchingPeriodMs;
  if (period == m_period || !m_window.hwnd())
    return;
  KillTimer(m_window.hwnd(), kTimerPoll);
  m_period = period && SetTimer(m_window.hwnd(), kTimerPoll, period, nullptr) ? period : 0;
}

void qel_top_wnd_disk::dojob_show_status() {
  if (m_owner.show_status)
    m_owner.show_status(status_text());
}

void qel_top_wnd_disk::dojob_tell(const std::wstring& _title,
                                  const std::wstring& _line1,
                                  const std::wstring& _line2) {
  if (m_owner.show_balloon && m_owner.show_balloon(_title, _line1 + L" " + _line2))
    return;
  m_owner.show_box(_title, _line1, _line2);
}

void qel_top_wnd_disk::OnAnswer(const std::u16string& _folder, bool _known, uint64_t _free) {
  qel_disk_thresholds limits = qel_app_setting::get_disk_thresholds();
  if (m_watch.on_answer(_folder, _known, _free, limits))
    dojob_show_status();
  if (!m_watch.take_stop(limits))
    return;
  if (m_owner.stop_recording)
    m_owner.stop_recording();
  dojob_tell(qel_text(IDS_DISK_FULL_STOPPED), wide(qel_disk_stopped_why(&qel_text16)),
             wide(qel_disk_stopped_text(_free, &qel_text16)));
}

LRESULT qel_top_wnd_disk::OnMessage(HWND _hwnd, UINT _msg, WPARAM _wparam, LPARAM _lparam) {
  if (_msg == WM_TIMER && _wparam == kTimerPoll) {
    m_visible = m_owner.window_visible && m_owner.window_visible();
    dojob_ask();
    dojob_update_timer();
    return 0;
  }
  return DefWindowProcW(_hwnd, _msg, _wparam, _lparam);
}
