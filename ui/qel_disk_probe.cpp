#include "ui/qel_disk_probe.h"

#include <condition_variable>
#include <mutex>
#include <thread>
#include <utility>
#include <vector>

#include "platform/win32/win.h"

namespace {

constexpr wchar_t kClassName[] = L"QelDiskProbeWnd";
constexpr UINT kAnswersMsg = WM_APP + 1;
constexpr UINT_PTR kTimerUnknown = 1;

}  // namespace

// What the asking thread and the probe's thread share. A thread that the system keeps waiting
// is left behind: it ends after its answer, which nobody takes any more.
struct qel_disk_probe::Worker {
  struct Done {
    std::u16string folder;
    bool known;
    uint64_t free;
  };

  explicit Worker(Query q, HWND to) : query(std::move(q)), reply_to(to) {}

  void run() {
    std::unique_lock<std::mutex> hold(lock);
    for (;;) {
      wake.wait(hold, [this] { return quit || has_pending; });
      if (quit)
        return;
      std::u16string folder = std::move(pending);
      has_pending = false;
      busy = true;
      busy_folder = folder;
      hold.unlock();
      uint64_t free = 0;
      bool known = query(folder, &free);
      hold.lock();
      busy = false;
      if (quit)
        return;
      done.push_back({std::move(folder), known, free});
      PostMessageW(reply_to, kAnswersMsg, 0, 0);
    }
  }

  bool asking_about(const std::u16string& folder) {
    std::lock_guard<std::mutex> hold(lock);
    return busy && busy_folder == folder;
  }

  void leave() {
    std::lock_guard<std::mutex> hold(lock);
    quit = true;
    wake.notify_all();
  }

  const Query query;
  const HWND reply_to;
  std::mutex lock;
  std::condition_variable wake;
  std::u16string pending;
  bool has_pending = false;
  bool busy = false;
  std::u16string busy_folder;
  bool quit = false;
  std::vector<Done> done;
};

qel_disk_probe::qel_disk_probe() = default;

qel_disk_probe::~qel_disk_probe() {
  destroy();
}

bool qel_disk_probe::create(Answer _answer, Query _query) {
  if (m_window.hwnd())
    return false;
  m_answer = std::move(_answer);
  m_query = _query ? std::move(_query) : Query(&qel_disk_probe::query_system);
  return m_window.Create(kClassName, 0, HWND_MESSAGE,
                         [this](HWND hwnd, UINT msg, WPARAM wparam, LPARAM lparam) {
                           return OnMessage(hwnd, msg, wparam, lparam);
                         });
}

void qel_disk_probe::destroy() {
  if (m_worker) {
    m_worker->leave();
    m_worker.reset();
  }
  if (m_timer && m_window.hwnd())
    KillTimer(m_window.hwnd(), kTimerUnknown);
  m_timer = false;
  m_waiting.clear();
  m_overdue.clear();
  m_window.Destroy();
}

void qel_disk_probe::dojob_start_worker() {
  m_worker = std::make_shared<Worker>(m_query, m_window.hwnd());
  std::thread([worker = m_worker] { worker->run(); }).detach();
}

void qel_disk_probe::ask(const std::u16string& _folder) {
  if (!m_window.hwnd() || _folder.empty())
    return;
  // A new folder is not kept waiting behind one the system has not answered for in time.
  if (m_worker && !m_overdue.empty() && m_overdue != _folder && m_worker->asking_about(m_overdue)) {
    m_worker->leave();
    m_worker.reset();
    m_overdue.clear();
  }
  if (!m_worker)
    dojob_start_worker();
  {
    std::lock_guard<std::mutex> hold(m_worker->lock);
    m_worker->pending = _folder;
    m_worker->has_pending = true;
    m_worker->wake.notify_all();
  }
  // Asked again and again while the system keeps quiet, the answer is still "unknown" after
  // the first second, not never.
  if (m_timer && m_waiting == _folder)
    return;
  m_waiting = _folder;
  m_timer = SetTimer(m_window.hwnd(), kTimerUnknown, kUnknownAfterMs, nullptr) != 0;
}

void qel_disk_probe::dojob_take_answers() {
  std::vector<Worker::Done> done;
  if (m_worker) {
    std::lock_guard<std::mutex> hold(m_worker->lock);
    done.swap(m_worker->done);
  }
  for (Worker::Done& d : done) {
    if (d.folder == m_overdue)
      m_overdue.clear();
    if (m_timer && d.folder == m_waiting) {
      KillTimer(m_window.hwnd(), kTimerUnknown);
      m_timer = false;
      m_waiting.clear();
    }
    if (m_answer)
      m_answer(d.folder, d.known, d.free);
  }
}

void qel_disk_probe::OnTimer_unknown() {
  KillTimer(m_window.hwnd(), kTimerUnknown);
  m_timer = false;
  std::u16string folder = std::move(m_waiting);
  m_waiting.clear();
  m_overdue = folder;
  if (m_answer && !folder.empty())
    m_answer(folder, false, 0);
}

LRESULT qel_disk_probe::OnMessage(HWND _hwnd, UINT _msg, WPARAM _wparam, LPARAM _lparam) {
  if (_msg == kAnswersMsg) {
    dojob_take_answers();
    return 0;
  }
  if (_msg == WM_TIMER && _wparam == kTimerUnknown) {
    OnTimer_unknown();
    return 0;
  }
  return DefWindowProcW(_hwnd, _msg, _wparam, _lparam);
}

bool qel_disk_probe::query_system(const std::u16string& _folder, uint64_t* _free) {
  std::wstring path(as_wide(_folder.c_str()), _folder.size());
  // A recording folder not made yet (or removed) lies on the volume of the folder above it.
  for (;;) {
    ULARGE_INTEGER free = {};
    if (GetDiskFreeSpaceExW(path.c_str(), &free, nullptr, nullptr)) {
      *_free = free.QuadPart;
      return true;
    }
    DWORD error = GetLastError();
    size_t slash = path.find_last_of(L"\\/");
    if ((error != ERROR_PATH_NOT_FOUND && error != ERROR_FILE_NOT_FOUND) ||
        slash == std::wstring::npos || slash == 0 || slash + 1 == path.size())
      return false;
    // "D:\x" goes on with "D:\", never with the bare "D:" (the drive's current folder).
    path.resize(path[slash - 1] == L':' ? slash + 1 : slash);
  }
}
