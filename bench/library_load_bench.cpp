// Loading a library of 10,000 cached recordings: the folder manager's load (find the files,
// make a record each, read its cache entry through the profile keys) against reading the
// same 50,000 registry values with raw registry calls, the two in turn round after round.
// Ratio: median load time / median raw read time.
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/bench_library.h"
#include "bench/bench_util.h"
#include "library/qel_app_setting.h"
#include "library/qel_avi_file.h"
#include "library/qel_avi_file_mngr.h"
#include "library/qel_profile.h"
#include "platform/registry.h"
#include "qel_lib/base64.h"

namespace {

namespace fs = std::filesystem;

constexpr int kFiles = 10000;
const char* const kValues[] = {"src_app_type", "start_time", "time_len", "has_video", "has_audio"};

std::string entry_name(const std::u16string& file) {
  std::vector<uint8_t> bytes;
  for (char16_t c : file)
    bytes.push_back(static_cast<uint8_t>(c)), bytes.push_back(c >> 8);
  char b64[4096];
  size_t len = 0;
  base64_encode(bytes.data(), bytes.size(), b64, sizeof b64, &len);
  return b64;
}

// The best raw registry code could do: the cache key open once, each entry opened below it.
uint64_t read_raw(const std::string& cache_path, const std::vector<std::string>& entries) {
  platform::RegKey cache = nullptr;
  if (platform::reg_open_key(platform::reg_current_user(), cache_path.c_str(), &cache) != 0)
    return 0;
  uint64_t sum = 0;
  for (const std::string& e : entries) {
    platform::RegKey key = nullptr;
    if (platform::reg_open_key(cache, e.c_str(), &key) != 0)
      continue;
    for (const char* v : kValues) {
      uint8_t data[8] = {};
      uint32_t size = sizeof data;
      if (platform::reg_query_value(key, v, nullptr, data, &size) == 0)
        sum += data[0];
    }
    platform::reg_close_key(key);
  }
  platform::reg_close_key(cache);
  return sum;
}

}  // namespace

int main() {
  bench::ScratchLibrary library("library");
  const std::filesystem::path& dir = library.dir();
  ZulProfileKey product = library.product();
  std::string cache_path = library.cache_path();

  std::vector<std::string> entries;
  for (int i = 0; i < kFiles; ++i) {
    std::u16string name = fs::path(std::to_string(1000000 + i) + ".avi").u16string();
    std::ofstream(dir / name);
    shared_ptr<qel_avi_file> f(new qel_avi_file);
    f->create((dir.u16string() + u"\\" + name).c_str(), product.GetSubKey("avi_file_info_cache"));
    f->set_start_time(1290000000 + i, false);
    f->write_to_registry();
    entries.push_back(entry_name(name));
  }

  int status = 1;
  qel_avi_file_mngr mngr;
  if (mngr.create(product) && mngr.get_total_files() == kFiles) {
    std::printf("%d recordings, 5 cached values each\n", kFiles);
    std::vector<std::vector<double>> t = bench::interleave(
        {bench::timed([&] { bench::keep(read_raw(cache_path, entries)); }),
         bench::timed([&] { mngr.dojob_load_directory(dir.u16string().c_str()); })},
        bench::rounds_from_env(11));
    bench::Spread raw = bench::spread(t[0]), load = bench::spread(t[1]);
    bench::print_spread("raw registry reads", raw, "ms", 1e3);
    bench::print_spread("library load", load, "ms", 1e3);
    bench::figure("per recording", load.median / kFiles * 1e6, "us");
    std::printf("goal: ratio at most 1.5\n");
    bench::ratio("library_load", load.median / raw.median);
    status = 0;
  } else {
    std::fprintf(stderr, "library_load: the library did not load %d files\n", kFiles);
  }
  mngr.Finalize();
  return status;
}
