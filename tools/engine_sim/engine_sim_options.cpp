#include <cwchar>

#include "tools/engine_sim/engine_sim.h"

namespace {

// Value of "name=value" when arg starts with name and '='.
bool take_value(std::wstring_view arg, std::wstring_view name, std::wstring_view* value) {
  if (arg.size() <= name.size() || arg.substr(0, name.size()) != name || arg[name.size()] != L'=')
    return false;
  *value = arg.substr(name.size() + 1);
  return true;
}

// Two numbers separated by sep, e.g. "2,1" or "320x240".
bool parse_pair(std::wstring_view text, wchar_t sep, int* a, int* b) {
  std::wstring s(text);
  wchar_t tail = 0;
  wchar_t pattern[] = L"%d?%d%lc";
  pattern[2] = sep;
  return std::swscanf(s.c_str(), pattern, a, b, &tail) == 2;
}

bool parse_int(std::wstring_view text, int* out) {
  std::wstring s(text);
  wchar_t tail = 0;
  return std::swscanf(s.c_str(), L"%d%lc", out, &tail) == 1;
}

}  // namespace

bool engine_sim_parse_option(std::wstring_view arg, EngineSimOptions* options) {
  std::wstring_view value;
  EngineSimOptions o = *options;
  bool ok = false;
  if (take_value(arg, L"--engine-webcam", &value))
    ok = parse_pair(value, L',', &o.webcam_local, &o.webcam_remote);
  else if (take_value(arg, L"--engine-audio", &value))
    ok = parse_pair(value, L',', &o.audio_first, &o.audio_second);
  else if (take_value(arg, L"--engine-size", &value))
    ok = parse_pair(value, L'x', &o.width, &o.height) && o.width > 0 && o.height > 0;
  else if (take_value(arg, L"--engine-start-failed", &value))
    ok = parse_int(value, &o.start_failed_reason);
  else if (take_value(arg, L"--engine-log", &value))
    ok = !(o.log_path = std::wstring(value)).empty();
  else if (arg == L"--engine-fail-request")
    ok = o.fail_request = true;
  else if (arg == L"--engine-discard")
    ok = o.discard = true;
  else if (arg == L"--engine-registered-ps")
    ok = o.registered_ps = true;
  if (ok)
    *options = o;
  return ok;
}
