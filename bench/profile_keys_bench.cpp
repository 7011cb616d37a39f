// Reading the same 10,000 DWORD values through ZulProfileKey and through raw registry calls.
// The profile layer closes a key as soon as no value node needs it, so each of its reads
// reopens the path; the raw loop keeps one handle open. The three ways run in turn, round
// after round, each reported by its median and interquartile range. The ratio is the median
// profile time (key held) / the median raw time.
#include <chrono>
#include <cstdio>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "library/qel_profile.h"
#include "platform/registry.h"

namespace {

constexpr int kValues = 10000;

struct Fixture {
  std::string path;
  std::vector<std::string> names;
};

bool write_values(const Fixture& f) {
  platform::RegKey key = nullptr;
  if (platform::reg_create_key(platform::reg_current_user(), f.path.c_str(), &key) != 0)
    return false;
  bool ok = true;
  for (int i = 0; i < kValues && ok; ++i) {
    uint32_t value = static_cast<uint32_t>(i);
    ok = platform::reg_set_value(key, f.names[i].c_str(), platform::kRegDword, &value, 4) == 0;
  }
  platform::reg_close_key(key);
  return ok;
}

uint64_t read_raw(const Fixture& f) {
  platform::RegKey key = nullptr;
  if (platform::reg_open_key(platform::reg_current_user(), f.path.c_str(), &key) != 0)
    return 0;
  uint64_t sum = 0;
  for (const std::string& name : f.names) {
    uint32_t value = 0, size = 4;
    if (platform::reg_query_value(key, name.c_str(), nullptr, &value, &size) == 0)
      sum += value;
  }
  platform::reg_close_key(key);
  return sum;
}

uint64_t read_profile_held_key(const Fixture& f) {
  ZulProfileKey key = ZulProfileKey::Root_CurrentUser().GetSubKey(f.path);
  uint64_t sum = 0;
  for (const std::string& name : f.names) {
    uint32_t value = 0;
    if (key.GetValue(name).GetDWORD(&value))
      sum += value;
  }
  return sum;
}

// What the program's callers do: fresh handles from the root for every access.
uint64_t read_profile_from_root(const Fixture& f) {
  uint64_t sum = 0;
  for (const std::string& name : f.names) {
    uint32_t value = 0;
    if (ZulProfileKey::Root_CurrentUser().GetSubKey(f.path).GetValue(name).GetDWORD(&value))
      sum += value;
  }
  return sum;
}

}  // namespace

int main() {
  Fixture f;
  f.path = "Software\\QelBench\\profile_keys_" +
           std::to_string(std::chrono::steady_clock::now().time_since_epoch().count());
  for (int i = 0; i < kValues; ++i)
    f.names.push_back("value_" + std::to_string(i));
  if (!write_values(f)) {
    std::fprintf(stderr, "profile_keys: cannot write the values below HKCU\\%s\n", f.path.c_str());
    return 1;
  }
  const uint64_t expected = uint64_t{kValues} * (kValues - 1) / 2;
  uint64_t sums[3] = {};
  std::printf("reading %d DWORD values of HKCU\\%s\n", kValues, f.path.c_str());
  std::vector<std::vector<double>> t =
      bench::interleave({bench::timed([&] { sums[0] = read_raw(f); }),
                         bench::timed([&] { sums[1] = read_profile_held_key(f); }),
                         bench::timed([&] { sums[2] = read_profile_from_root(f); })},
                        bench::rounds_from_env(9));
  bench::print_spread("raw registry calls, one open handle", bench::spread(t[0]), "ms", 1e3);
  bench::print_spread("ZulProfileKey, key handle held", bench::spread(t[1]), "ms", 1e3);
  bench::print_spread("ZulProfileKey, handles from the root per read", bench::spread(t[2]), "ms",
                      1e3);
  const double raw = bench::spread(t[0]).median, held = bench::spread(t[1]).median,
               fresh = bench::spread(t[2]).median;
  platform::reg_delete_key(platform::reg_current_user(), f.path.c_str());
  platform::reg_delete_key(platform::reg_current_user(), "Software\\QelBench");
  for (uint64_t sum : sums) {
    if (sum != expected) {
      std::fprintf(stderr, "profile_keys: read sum %llu, expected %llu\n",
                   static_cast<unsigned long long>(sum), static_cast<unsigned long long>(expected));
      return 1;
    }
  }
  bench::figure("per read, raw", raw / kValues * 1e6, "us");
  bench::figure("per read, ZulProfileKey held key", held / kValues * 1e6, "us");
  bench::figure("per read, ZulProfileKey from the root", fresh / kValues * 1e6, "us");
  bench::figure("from the root / raw", fresh / raw, "x");
  bench::ratio("profile_keys", held / raw);
  return 0;
}
