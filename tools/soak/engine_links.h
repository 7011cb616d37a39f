// The program's links to messenger instances as another process sees them: the wrappers'
// static windows (each carries its messenger's process id) and the sinks connected to the
// UI object's outgoing interface, counted through the connection point's own enumerator.
#pragma once

#include <set>
#include <string>

#include "app/qel_com_ps.h"

struct WrapperCount {
  int live = 0;   // for a process in `live_pids`
  int ended = 0;  // for any other process
};

// Among the children of every top-level window of the program `program_pid`.
WrapperCount count_wrappers(DWORD program_pid, const std::set<DWORD>& live_pids);

// Running processes other than `ours` that show the program's top window or a messenger
// instance's hidden window: another run in the same Wine session, whose program would take
// the soak's messengers (its hook reports every instance) and whose messengers ours would.
std::set<DWORD> session_strangers(const std::set<DWORD>& ours);
// "program 12, messenger 34", or empty.
std::string describe_strangers(const std::set<DWORD>& pids);

// A COM client of the program, held for the whole soak so that its own connection stays
// the same between samples.
class SinkCounter {
 public:
  SinkCounter() = default;
  ~SinkCounter();
  SinkCounter(const SinkCounter&) = delete;
  SinkCounter& operator=(const SinkCounter&) = delete;

  // Call on a thread that initialised COM.
  bool Connect();
  // -1 when the program does not answer.
  int Count() const;

 private:
  IQelApp* app_ = nullptr;
  IQelUI* ui_ = nullptr;
  IConnectionPoint* point_ = nullptr;
};
