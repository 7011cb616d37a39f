#include "tools/soak/soak_run.h"

#include <cstdio>

#include <commctrl.h>

#include "app/testing/messenger_sim_process.h"
#include "library/qel_app_constants.h"
#include "res/resource.h"
#include "tools/soak/library_view.h"
#include "tools/soak/process_probe.h"
#include "tools/soak/remote_list_view.h"
#include "ui/qel_ui_cmd.h"

namespace {

void print_census_changes(const char* what,
                          const std::map<std::string, int>& warm,
                          const std::map<std::string, int>& end) {
  std::map<std::string, std::pair<int, int>> both;
  for (const auto& [name, count] : warm)
    both[name].first = count;
  for (const auto& [name, count] : end)
    both[name].second = count;
  for (const auto& [name, counts] : both)
    if (counts.first != counts.second)
      std::printf("  %s %s: %d -> %d\n", what, name.c_str(), counts.first, counts.second);
}

using namespace qel_testing;
namespace lib = library_view;

constexpr wchar_t kImage[] = L"quorvantine_msn.exe";
// Small frames keep a thousand recordings to a few dozen megabytes.
constexpr wchar_t kEngineArgs[] = L"--call --engine-size=32x24";
constexpr char kDiscardSuffix[] = ".discard.tmp";
// The folder dialog's history combo, which takes the place of the file-name field.
constexpr int kFolderComboId = 0x600;

void post_command(WORD id) {
  PostMessageW(main_wnd(), WM_COMMAND, id, 0);
}

// A dialog of the program that has a control with this id, shown right now.
HWND program_dialog(DWORD pid, int control_id) {
  HWND wnd = nullptr;
  while ((wnd = FindWindowExW(nullptr, wnd, L"#32770", nullptr)))
    if (window_pid(wnd) == pid && IsWindowVisible(wnd) && GetDlgItem(wnd, control_id))
      return wnd;
  return nullptr;
}

}  // namespace

SoakRun::SoakRun(const SoakOptions& options)
    : options_(options), idle_(kImage), messages_(bin_dir() + L"soak_msg_hook.dll") {
  base_ = temp_dir() + L"qel_soak";
  folder_ = base_ + L"\\recordings";
  other_folder_ = base_ + L"\\other";
}

SoakRun::~SoakRun() = default;

bool SoakRun::Fail(const std::string& what) {
  failures_.push_back(what);
  std::printf("FAILED: %s\n", what.c_str());
  std::fflush(stdout);
  return false;
}

std::string SoakRun::EngineLog() const {
  return read_shared_file(log_path_);
}

int SoakRun::LogCount(const std::string& prefix) const {
  std::string text = EngineLog();
  int n = 0;
  for (size_t at = 0; (at = text.find(prefix, at)) != std::string::npos; at += prefix.size())
    if (at == 0 || text[at - 1] == '\n')
      ++n;
  return n;
}

// The rest of the `index`-th line that starts with prefix.
std::string SoakRun::LogLine(const std::string& prefix, int index) const {
  std::string text = EngineLog();
  int n = 0;
  for (size_t at = 0; (at = text.find(prefix, at)) != std::string::npos; at += prefix.size()) {
    if ((at != 0 && text[at - 1] != '\n') || n++ != index)
      continue;
    size_t end = text.find_first_of("\r\n", at);
    return text.substr(at + prefix.size(), end - at - prefix.size());
  }
  return {};
}

int SoakRun::ListRows() const {
  DWORD_PTR count = 0;
  if (!SendMessageTimeoutW(GetDlgItem(main_wnd(), IDC_HISTORY_LIST), LVM_GETITEMCOUNT, 0, 0,
                           SMTO_ABORTIFHUNG, 5000, &count))
    return -1;
  return static_cast<int>(count);
}

bool SoakRun::Setup() {
  if (!end_running_program())
    return Fail("a program from before does not end");
  {
    Program regserver(L"/Regserver");
    if (regserver.WaitExit() != 0)
      return Fail("the program's registration failed");
  }
  lib::remove_tree(base_);
  CreateDirectoryW(base_.c_str(), nullptr);
  CreateDirectoryW(folder_.c_str(), nullptr);
  CreateDirectoryW(other_folder_.c_str(), nullptr);
  had_dest_dir_ = lib::read_dest_dir(&old_dest_dir_);
  lib::write_dest_dir(folder_);
  program_ = std::make_unique<Program>();
  if (!wait_until([] { return main_wnd() != nullptr; }))
    return Fail("the program shows no main window");
  if (!sinks_.Connect())
    return Fail("the program's application object cannot be reached through COM");
  // The hook's DLL stays in the program once loaded: loaded now, it weighs the same in both
  // samples.
  messages_.Measure(main_wnd(), 100);
  return StartMessenger();
}

bool SoakRun::StartMessenger() {
  std::set<DWORD> strangers = session_strangers({program_->pid()});
  if (!strangers.empty())
    return Fail("another run shares this Wine session (" + describe_strangers(strangers) +
                "): its program and ours would each take the other's messengers; give the soak "
                "a prefix of its own");
  log_path_ = base_ + L"\\engine_" + std::to_wstring(++messengers_) + L".log";
  DeleteFileW(log_path_.c_str());
  sim_ = std::make_unique<messenger_e2e::Sim>(std::wstring(kEngineArgs) + L" \"--engine-log=" +
                                              log_path_ + L"\"");
  if (!wait_until([&] { return LogCount("streams") > 0; }))
    return Fail("messenger " + std::to_string(messengers_) +
                ": its engine reported no streams: " + EngineLog() + MessengerState());
  return true;
}

// Where an attachment stopped: whether the program wrapped the instance, told it where to
// report, and asked its engine to attach.
std::string SoakRun::MessengerState() const {
  char hidden[256] = {};
  GetWindowTextA(sim_->Hidden(), hidden, sizeof hidden);
  WrapperCount wrappers = count_wrappers(program_->pid(), {sim_->pid()});
  std::set<DWORD> strangers = session_strangers({program_->pid(), sim_->pid()});
  return "; messenger pid " + std::to_string(sim_->pid()) + " " +
         (sim_->Running() ? "running" : "ended") + ", its state \"" + hidden +
         "\", the program's wrappers: " + std::to_string(wrappers.live) + " of it, " +
         std::to_string(wrappers.ended) + " of others" +
         (strangers.empty() ? ""
                            : "; others in this Wine session: " + describe_strangers(strangers));
}

bool SoakRun::RestartMessenger() {
  sim_->Control(kSimQuit);
  if (sim_->WaitExit(10000) != 0)
    return Fail("the messenger instance did not end when asked");
  sim_.reset();
  ++restarts_;
  if (!StartMessenger())
    return false;
  // The hook reports the ended instance; its wrapper goes with it.
  wait_until([&] { return count_wrappers(program_->pid(), {sim_->pid()}).ended == 0; }, 5000);
  return true;
}

bool SoakRun::RecordAndStop(bool discard) {
  int rows = ListRows();
  int started = LogCount("started "), stopped = LogCount("stopped ");
  if (discard)
    sim_->Control(kSimDiscardNext);
  post_command(kQelWndRecord);
  if (!wait_until([&] { return LogCount("started ") > started; }))
    return Fail("Record started no recording: " + EngineLog());
  post_command(kQelWndStop);
  if (!wait_until([&] { return LogCount("stopped ") > stopped; }))
    return Fail("Stop ended no recording: " + EngineLog());
  std::string line = LogLine("stopped ", stopped);
  Recording r;
  size_t tail = sizeof kDiscardSuffix - 1;
  if (line.size() > tail && line.compare(line.size() - tail, tail, kDiscardSuffix) == 0) {
    // "<file> <file>.discard.tmp"
    size_t avi_len = (line.size() - tail - 1) / 2;
    r.avi = widen(line.substr(0, avi_len));
    r.discard = widen(line.substr(avi_len + 1));
  } else {
    r.avi = widen(line);
  }
  if (discard && r.discard.empty())
    Fail("the engine handed back no file to discard: " + line);
  recordings_.push_back(r);
  // Listed once the program has filed it; the final check names what is missing.
  wait_until([&] { return ListRows() > rows; }, 10000);
  return true;
}

bool SoakRun::KillEngineMidRecording() {
  int started = LogCount("started "), requested = LogCount("request_record ");
  post_command(kQelWndRecord);
  if (!wait_until([&] { return LogCount("started ") > started; }))
    return Fail("Record started no recording before the kill: " + EngineLog());
  cut_.push_back(widen(LogLine("request_record ", requested) + ".avi"));
  Sleep(200);
  sim_->Kill();
  sim_.reset();
  ++kills_;
  // The user sees the recording hang and presses Stop; the engine that should hear it is gone.
  post_command(kQelWndStop);
  return StartMessenger();
}

bool SoakRun::ChangeFolder(const std::wstring& folder) {
  post_command(kQelWndChangeFolder);
  HWND dlg = nullptr;
  if (!wait_until([&] { return (dlg = program_dialog(program_->pid(), kFolderComboId)); }, 3000)) {
    if (skipped_.empty())
      skipped_.push_back("folder change: \"change...\" opened no folder dialog; folder kept");
    return false;
  }
  SendMessageTimeoutW(GetDlgItem(dlg, kFolderComboId), WM_SETTEXT, 0,
                      reinterpret_cast<LPARAM>(folder.c_str()), SMTO_ABORTIFHUNG, 5000, nullptr);
  PostMessageW(dlg, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(dlg, IDOK)));
  if (!wait_until([&] { return !IsWindow(dlg) && lib::dest_dir() == folder; }))
    return Fail("choosing " + narrow(folder) + " in the folder dialog did not take");
  ++folder_changes_;
  return true;
}

bool SoakRun::DeleteNewestRow() {
  int rows = ListRows();
  RemoteListView list(GetDlgItem(main_wnd(), IDC_HISTORY_LIST));
  std::wstring title = list.Cell(0, 0);
  if (rows <= 0 || title.empty() || !list.SelectOnly(0))
    return Fail("the newest row cannot be read or selected");
  post_command(kQelWndDelete);
  HWND box = nullptr;
  if (!wait_until([&] { return (box = program_dialog(program_->pid(), IDYES)); }))
    return Fail("Delete asked no question");
  PostMessageW(box, WM_COMMAND, IDYES, 0);
  if (!wait_until([&] { return ListRows() == rows - 1; }))
    return Fail("the deleted row stayed in the list");
  for (Recording& r : recordings_)
    if (lib::title_of(r.avi) == title)
      r.deleted = true;
  deleted_titles_.insert(title);
  return true;
}

bool SoakRun::Cycle(int n) {
  SoakCycle c = soak_cycle(n, warmup_);
  c.kill_engine &= options_.kills;
  c.discard &= options_.discards;
  c.change_folder &= options_.folder_changes;
  c.delete_row &= options_.deletions;
  if (!(c.kill_engine ? KillEngineMidRecording() : RecordAndStop(c.discard)))
    return false;
  if (c.restart_messenger && !RestartMessenger())
    return false;
  if (c.change_folder && ChangeFolder(other_folder_))
    ChangeFolder(folder_);
  if (c.delete_row && !DeleteNewestRow())
    return false;
  return true;
}

SoakSample SoakRun::Sample() {
  // What the last cycle started settles first.
  Sleep(1000);
  SoakSample s = probe_process(program_->pid());
  std::set<DWORD> live = {sim_->pid()};
  WrapperCount wrappers = count_wrappers(program_->pid(), live);
  s.push_back({"wrappers", SoakBudget::kNoGrowth, double(wrappers.live + wrappers.ended), ""});
  s.push_back({"wrappers of ended messengers", SoakBudget::kZero, double(wrappers.ended), ""});
  int sinks = sinks_.Count();
  s.push_back({"connection sinks", SoakBudget::kNoGrowth, double(sinks),
               sinks < 0 ? "the connection point does not answer" : ""});
  std::vector<std::string> reports = assertion_reports(program_->pid());
  s.push_back({"assertion reports shown", SoakBudget::kZero, double(reports.size()), ""});
  for (const std::string& r : reports)
    std::printf("assertion report: %s\n", r.c_str());
  s.push_back({"cache keys", SoakBudget::kInfo, double(lib::cache_entry_count()), ""});
  s.push_back({"history rows", SoakBudget::kInfo, double(ListRows()), ""});
  for (const SoakFigure& f : idle_.Measure(options_.idle_ms))
    s.push_back(f);
  for (const SoakFigure& f : messages_.Measure(main_wnd(), options_.idle_ms))
    s.push_back(f);
  return s;
}

// The second of two samples, taken alike after the warm-up and at the end: the first lets
// what the probes start in the program settle (the calls that count its sinks, the message
// hook), and what the program gives back after a few idle seconds (under Wine about a
// megabyte, taken again by the next calls) is given back in both.
SoakSample SoakRun::SettledSample() {
  Sample();
  return Sample();
}

void SoakRun::CheckRecordings() {
  std::set<std::wstring> listed;
  RemoteListView list(GetDlgItem(main_wnd(), IDC_HISTORY_LIST));
  int rows = list.Rows();
  for (int i = 0; i < rows; ++i)
    listed.insert(list.Cell(i, 0));
  int kept = 0, on_disk = 0, cached = 0, in_list = 0, discarded = 0, binned = 0, deleted = 0,
      deleted_binned = 0;
  bool bin_known = lib::trash_known();
  std::map<std::wstring, std::wstring> bin = lib::trash_entries();
  auto in_bin = [&](const std::wstring& path) { return bin.count(lib::host_path(path)) > 0; };
  // A recording deleted within the second it was named leaves its name free for the next.
  std::set<std::wstring> kept_paths;
  for (const Recording& r : recordings_)
    if (!r.deleted)
      kept_paths.insert(r.avi);
  for (const Recording& r : recordings_) {
    std::string name = narrow(r.avi);
    std::wstring leaf = lib::leaf_of(r.avi);
    if (r.deleted) {
      ++deleted;
      bool reused = kept_paths.count(r.avi) > 0;
      if (!reused && lib::file_exists(r.avi))
        Fail("deleted, yet still on disk: " + name);
      if (!reused && listed.count(lib::title_of(r.avi)))
        Fail("deleted, yet still listed: " + name);
      if (bin_known && in_bin(r.avi))
        ++deleted_binned;
    } else {
      ++kept;
      if (lib::file_exists(r.avi))
        ++on_disk;
      else
        Fail("lost from disk: " + name);
      if (lib::cache_entry_exists(leaf))
        ++cached;
      else
        Fail("missing from the cache: " + name);
      if (listed.count(lib::title_of(r.avi)))
        ++in_list;
      else
        Fail("missing from the history list: " + name);
    }
    if (r.discard.empty())
      continue;
    ++discarded;
    if (lib::file_exists(r.discard))
      Fail("discarded, yet still in the folder: " + narrow(r.discard));
    if (bin_known && in_bin(r.discard))
      ++binned;
    else if (bin_known)
      Fail("discarded, yet not in the recycle bin: " + narrow(r.discard));
  }
  if (bin_known && deleted_binned != deleted)
    Fail("deleted recordings not in the recycle bin: " + std::to_string(deleted - deleted_binned));
  // A recording cut short is filed like any other, unless the deletion step took its row.
  int cut_on_disk = 0, cut_listed = 0, cut_deleted = 0;
  for (const std::wstring& c : cut_) {
    if (deleted_titles_.count(lib::title_of(c))) {
      ++cut_deleted;
      continue;
    }
    bool on_disk_now = lib::file_exists(c), listed_now = listed.count(lib::title_of(c)) > 0;
    cut_on_disk += on_disk_now;
    cut_listed += listed_now;
    if (!on_disk_now)
      Fail("cut short and lost from disk: " + narrow(c));
    else if (!listed_now)
      Fail("cut short and missing from the history list: " + narrow(c));
  }
  std::printf("recordings: %d stopped and kept: %d on disk, %d in the cache, %d listed\n", kept,
              on_disk, cached, in_list);
  std::printf("discarded files: %d, in the recycle bin: %s\n", discarded,
              bin_known ? std::to_string(binned).c_str() : "n/a (the host's home is not known)");
  std::printf("deleted from the list: %d, in the recycle bin: %s\n", deleted,
              bin_known ? std::to_string(deleted_binned).c_str() : "n/a");
  std::printf(
      "cut short by a killed engine: %zu, deleted from the list %d, on disk %d, listed %d\n",
      cut_.size(), cut_deleted, cut_on_disk, cut_listed);
  std::printf("history rows: %d\n", rows);
}

namespace {

double figure_value(const SoakSample& sample, const std::string& name) {
  for (const SoakFigure& f : sample)
    if (f.name == name && f.unavailable.empty())
      return f.value;
  return 0;
}

}  // namespace

// A fresh program on the current folder, with a messenger attached and the same watchers; its
// sample once its list holds `rows` rows, or an empty one when it does not come up.
SoakSample SoakRun::FreshStart(int rows) {
  if (sim_) {
    sim_->Control(kSimQuit);
    sim_->WaitExit(10000);
    sim_.reset();
  }
  end_running_program();
  program_->WaitExit(10000);
  program_ = std::make_unique<Program>();
  SinkCounter client;
  if (!wait_until([] { return main_wnd() != nullptr; }) || !client.Connect() || !StartMessenger() ||
      !wait_until([&] { return ListRows() >= rows; }))
    return {};
  messages_.Measure(main_wnd(), 100);
  Sleep(1000);
  return probe_process(program_->pid());
}

// The same library in a program that has just started: what the soaked program holds beyond
// it is what the cycles left behind. A program started on an empty folder tells what the
// library itself, which grows by design with every recording it lists, costs per recording.
void SoakRun::CompareWithFreshStart(const SoakSample& warm, const SoakSample& end) {
  int rows = ListRows();
  SoakSample fresh = FreshStart(rows);
  if (fresh.empty()) {
    std::printf("fresh start with the same library: not measured, the program did not come up\n");
    return;
  }
  for (const SoakFigure& f : fresh) {
    const SoakFigure* soaked = nullptr;
    for (const SoakFigure& e : end)
      soaked = e.name == f.name ? &e : soaked;
    if (!soaked || !f.unavailable.empty() || !soaked->unavailable.empty() || f.value <= 0)
      continue;
    std::printf("%s, the same %d recordings freshly started: %.0f (soaked / fresh = %.3f)\n",
                f.name.c_str(), rows, f.value, soaked->value / f.value);
  }
  std::wstring empty = base_ + L"\\empty";
  CreateDirectoryW(empty.c_str(), nullptr);
  lib::write_dest_dir(empty);
  SoakSample none = FreshStart(0);
  lib::write_dest_dir(folder_);
  double with = figure_value(fresh, kSoakPrivateBytes),
         without = figure_value(none, kSoakPrivateBytes);
  double at_warm = figure_value(warm, kSoakPrivateBytes),
         at_end = figure_value(end, kSoakPrivateBytes);
  int kept = rows - static_cast<int>(figure_value(warm, "history rows"));
  if (rows <= 0 || with <= 0 || without <= 0 || at_warm <= 0 || at_end <= 0) {
    std::printf("library's own cost per recording: not measured\n");
    return;
  }
  double per_recording = (with - without) / rows;
  std::printf(
      "library's own cost: %.0f bytes per recording (a fresh program with %d recordings: "
      "%.0f, with none: %.0f)\n",
      per_recording, rows, with, without);
  std::printf(
      "growth after the warm-up: %.0f bytes, %d more recordings listed, which account for "
      "%.0f of it\n",
      at_end - at_warm, kept, per_recording * kept);
  std::printf(
      "private bytes net of the recordings listed since the warm-up: %.0f -> %.0f "
      "(ratio %.3f, goal: at most 1.05)\n",
      at_warm, at_end - per_recording * kept, (at_end - per_recording * kept) / at_warm);
}

void SoakRun::Cleanup() {
  if (sim_) {
    sim_->Control(kSimQuit);
    sim_->WaitExit(5000);
    sim_.reset();
  }
  if (program_) {
    end_running_program();
    program_->WaitExit(10000);
    program_.reset();
  }
  if (options_.keep)
    return;
  std::map<std::wstring, std::wstring> bin = lib::trash_entries();
  auto unbin = [&](const std::wstring& path) {
    auto it = bin.find(lib::host_path(path));
    if (it != bin.end())
      lib::remove_trash_entry(it->second);
  };
  for (const Recording& r : recordings_) {
    lib::delete_cache_entry(lib::leaf_of(r.avi));
    unbin(r.avi);
    if (!r.discard.empty())
      unbin(r.discard);
  }
  for (const std::wstring& c : cut_)
    lib::delete_cache_entry(lib::leaf_of(c));
  if (had_dest_dir_)
    lib::write_dest_dir(old_dest_dir_);
  else
    lib::delete_dest_dir();
  lib::remove_tree(base_);
}

int SoakRun::Run() {
  warmup_ = options_.warmup < options_.cycles ? options_.warmup : options_.cycles / 2;
  int warmup = warmup_;
  std::printf(
      "soak: %d cycles, sampled after a warm-up of %d (with one event of each kind) and "
      "at the end\n",
      options_.cycles, warmup);
  std::fflush(stdout);
  SoakSample warm, end;
  bool ran = Setup();
  DWORD start = GetTickCount();
  for (int n = 1; ran && n <= options_.cycles; ++n) {
    ran = Cycle(n);
    if (ran && n == warmup) {
      warm = SettledSample();
      windows_warm_ = window_census(program_->pid());
      handles_warm_ = handle_census(program_->pid());
      gdi_warm_ = gdi_census(program_->pid());
    }
    if (ran && (n % 50 == 0 || n == options_.cycles)) {
      std::printf("cycle %d: %zu recordings, %d history rows, %.1f s\n", n, recordings_.size(),
                  ListRows(), (GetTickCount() - start) / 1000.0);
      std::fflush(stdout);
    }
  }
  if (ran) {
    end = SettledSample();
    windows_end_ = window_census(program_->pid());
    handles_end_ = handle_census(program_->pid());
    gdi_end_ = gdi_census(program_->pid());
  }
  std::printf("engine kills: %d, messenger restarts: %d, folder changes: %d\n", kills_, restarts_,
              folder_changes_);
  for (const std::string& s : skipped_)
    std::printf("NOT RUN: %s\n", s.c_str());
  if (ran) {
    CheckRecordings();
    SoakJudgement j = soak_judge(warm, end);
    for (const std::string& line : j.lines)
      std::printf("%s\n", line.c_str());
    for (const std::string& f : j.failures)
      Fail(f);
    // Which windows and handles came or went, so that a growth names its source.
    print_census_changes("windows of class", windows_warm_, windows_end_);
    print_census_changes("handles of type", handles_warm_, handles_end_);
    print_census_changes("GDI objects of type", gdi_warm_, gdi_end_);
    CompareWithFreshStart(warm, end);
    Cleanup();
    std::printf("%s\n", failures_.empty() ? "soak: nothing lost, nothing grew" : "soak: FAILED");
    std::printf("soak ratio=%.3f\n", j.ratio);
  } else {
    Cleanup();
    std::printf("soak: FAILED\nsoak ratio=0\n");
  }
  std::fflush(stdout);
  return failures_.empty() ? 0 : 1;
}
