#include "tools/soak/idle_rates.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <sstream>
#include <vector>

#include "app/testing/program_runner.h"

namespace {

using qel_testing::read_shared_file;

constexpr wchar_t kProc[] = L"Z:\\proc\\";
// The host's clock ticks per second for utime and stime.
constexpr double kTicksPerSecond = 100;

double field(const std::string& status, const char* name) {
  size_t at = status.find(name);
  return at == std::string::npos ? 0 : std::atof(status.c_str() + at + std::strlen(name));
}

std::vector<std::wstring> subdirs(const std::wstring& dir) {
  std::vector<std::wstring> out;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((dir + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE)
    return out;
  do {
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && data.cFileName[0] >= L'0' &&
        data.cFileName[0] <= L'9')
      out.push_back(data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return out;
}

}  // namespace

// The host process that runs the program under this Wine prefix: other prefixes on the same
// host may run a program of the same name.
bool IdleRates::Find() {
  if (!proc_dir_.empty() && !read_shared_file(proc_dir_ + L"stat").empty())
    return true;
  proc_dir_.clear();
  std::string image(image_.begin(), image_.end());
  char prefix[MAX_PATH] = {};
  std::string env = "WINEPREFIX=";
  if (GetEnvironmentVariableA("WINEPREFIX", prefix, MAX_PATH))
    env += prefix + std::string(1, '\0');
  for (const std::wstring& pid : subdirs(kProc)) {
    std::string cmd = read_shared_file(kProc + pid + L"\\cmdline");
    if (cmd.find(image) == std::string::npos || cmd.find("Regserver") != std::string::npos)
      continue;
    if (prefix[0] && read_shared_file(kProc + pid + L"\\environ").find(env) == std::string::npos)
      continue;
    proc_dir_ = kProc + pid + L"\\";
    return true;
  }
  return false;
}

bool IdleRates::Read(Reading* out) const {
  std::string stat = read_shared_file(proc_dir_ + L"stat");
  size_t paren = stat.rfind(')');
  if (paren == std::string::npos)
    return false;
  // After the name come the state (field 3) and the numbers; utime and stime are fields 14
  // and 15.
  std::istringstream rest(stat.substr(paren + 2));
  std::vector<std::string> fields;
  for (std::string f; rest >> f;)
    fields.push_back(f);
  if (fields.size() < 13)
    return false;
  out->cpu_ticks = std::atof(fields[11].c_str()) + std::atof(fields[12].c_str());
  out->switches = 0;
  for (const std::wstring& tid : subdirs(proc_dir_ + L"task\\")) {
    std::string status = read_shared_file(proc_dir_ + L"task\\" + tid + L"\\status");
    out->switches += field(status, "\nvoluntary_ctxt_switches:") +
                     field(status, "\nnonvoluntary_ctxt_switches:");
  }
  return true;
}

SoakSample IdleRates::Measure(DWORD ms) {
  Reading before, after;
  if (!Find() || !Read(&before)) {
    std::string why = "the host's process table shows no process running the program";
    return {{"idle wakeups/s", SoakBudget::kInfo, 0, why},
            {"idle CPU ms/s", SoakBudget::kInfo, 0, why}};
  }
  Sleep(ms);
  if (!Read(&after))
    return {{"idle wakeups/s", SoakBudget::kInfo, 0, "the program ended while watched"}};
  double seconds = ms / 1000.0;
  return {{"idle wakeups/s", SoakBudget::kInfo, (after.switches - before.switches) / seconds, ""},
          {"idle CPU ms/s", SoakBudget::kInfo,
           (after.cpu_ticks - before.cpu_ticks) * 1000 / kTicksPerSecond / seconds, ""}};
}
