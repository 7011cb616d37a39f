// The soak itself: the real program and a simulated messenger, driven for many cycles the
// way a user and the recording engine drive them, sampled from outside after a warm-up and
// at the end, and checked for every recording it should hold.
#pragma once

#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "tools/soak/engine_links.h"
#include "tools/soak/idle_rates.h"
#include "tools/soak/message_rates.h"
#include "tools/soak/soak_plan.h"

namespace messenger_e2e {
class Sim;
}
namespace qel_testing {
class Program;
}

struct SoakOptions {
  int cycles = 1000;
  int warmup = 50;
  DWORD idle_ms = 3000;
  // Leaves the recordings, their cache entries and the settings as they are at the end.
  bool keep = false;
  // Leave out kinds of events, to tell which one leaves something behind.
  bool kills = true;     // engine kills
  bool discards = true;  // files handed back to discard
  bool folder_changes = true;
  bool deletions = true;
};

class SoakRun {
 public:
  explicit SoakRun(const SoakOptions& options);
  ~SoakRun();
  // 0 when nothing was lost and nothing grew that may not grow.
  int Run();

 private:
  struct Recording {
    std::wstring avi;
    std::wstring discard;  // empty when none was handed back
    bool deleted = false;
  };

  bool Setup();
  bool Cycle(int n);
  bool StartMessenger();
  bool RestartMessenger();
  bool RecordAndStop(bool discard);
  bool KillEngineMidRecording();
  bool ChangeFolder(const std::wstring& folder);
  bool DeleteNewestRow();
  SoakSample Sample();
  SoakSample SettledSample();
  void CheckRecordings();
  SoakSample FreshStart(int rows);
  void CompareWithFreshStart(const SoakSample& warm, const SoakSample& end);
  void Cleanup();
  int ListRows() const;
  bool Fail(const std::string& what);
  std::string EngineLog() const;
  std::string MessengerState() const;
  int LogCount(const std::string& prefix) const;
  std::string LogLine(const std::string& prefix, int index) const;

  SoakOptions options_;
  std::unique_ptr<qel_testing::Program> program_;
  std::unique_ptr<messenger_e2e::Sim> sim_;
  SinkCounter sinks_;
  IdleRates idle_;
  MessageRates messages_;
  std::wstring base_;
  std::wstring folder_;
  std::wstring other_folder_;
  std::wstring log_path_;
  int messengers_ = 0;
  std::vector<Recording> recordings_;
  std::vector<std::wstring> cut_;
  // Titles of the rows the deletion step took, whichever recording they were.
  std::set<std::wstring> deleted_titles_;
  std::vector<std::string> failures_;
  std::vector<std::string> skipped_;
  // The program's windows at the last sample.
  std::map<std::string, int> windows_warm_, windows_end_;
  std::map<std::string, int> handles_warm_, handles_end_;
  std::map<std::string, int> gdi_warm_, gdi_end_;
  int warmup_ = 0;
  int folder_changes_ = 0;
  int kills_ = 0;
  int restarts_ = 0;
  bool had_dest_dir_ = false;
  std::vector<BYTE> old_dest_dir_;
};
