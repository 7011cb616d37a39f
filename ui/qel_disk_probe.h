// The free space of a folder's volume, asked on a thread of its own: for a removed drive or a
// network share that does not answer the system may take long, and the window must not wait.
// Answers come back on the asking thread through its message loop; a question that is not
// answered within a second is answered "unknown" meanwhile, and the real answer follows when
// it comes.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/win32/hidden_window.h"

class qel_disk_probe {
 public:
  static constexpr unsigned kUnknownAfterMs = 1000;
  // The system's answer for the folder; false when it cannot tell.
  using Query = std::function<bool(const std::u16string& _folder, uint64_t* _free)>;
  using Answer = std::function<void(const std::u16string& _folder, bool _known, uint64_t _free)>;

  qel_disk_probe();
  ~qel_disk_probe();
  qel_disk_probe(const qel_disk_probe&) = delete;
  qel_disk_probe& operator=(const qel_disk_probe&) = delete;

  // Without _query the system is asked (GetDiskFreeSpaceExW).
  bool create(Answer _answer, Query _query = nullptr);
  // A question still with the system is left to finish on its own.
  void destroy();
  // Only the latest question waiting for the thread is asked.
  void ask(const std::u16string& _folder);

  // GetDiskFreeSpaceExW of the folder, or of the nearest folder above it that exists.
  static bool query_system(const std::u16string& _folder, uint64_t* _free);

 private:
  struct Worker;
  void dojob_start_worker();
  void dojob_take_answers();
  void OnTimer_unknown();
  LRESULT OnMessage(HWND _hwnd, UINT _msg, WPARAM _wparam, LPARAM _lparam);

  Answer m_answer;
  Query m_query;
  platform::HiddenWindow m_window;
  std::shared_ptr<Worker> m_worker;
  // The question the one-second timer runs for, while it runs.
  std::u16string m_waiting;
  // The question answered "unknown" that the system has not answered since.
  std::u16string m_overdue;
  bool m_timer = false;
};
