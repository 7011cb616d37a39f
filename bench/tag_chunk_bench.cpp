// Tagging a recording costs the same whatever its size: the "_qel" chunk goes into header
// padding or is overwritten in place, never by rewriting the media. Tags a 4 GB (sparse)
// recording and a 1 MB one the same way, alternating the two chunk lengths so that every
// tag turns padding into the chunk and retires the previous one. Ratio: 4 GB time / 1 MB time.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_util.h"
#include "library/avi_file_target.h"
#include "library/avi_test_builder.h"
#include "library/qel_chunk_writer.h"

namespace {

namespace fs = std::filesystem;
using avi_test::Bytes;

constexpr int kTagsPerRun = 20;
constexpr size_t kRounds = 15;

// hdrl, 1016 bytes of JUNK, a movi list filling the file, then idx1: the shape a recorder
// leaves. The movi data is a hole in a sparse file.
bool make_recording(const fs::path& path, uint64_t total) {
  using namespace avi_test;
  Bytes hdrl =
      list("LIST", "hdrl",
           {chunk("avih", Bytes(56, 0)),
            list("LIST", "strl",
                 {chunk("strh", strh({"vids", 1, 25, 0, 250})), chunk("strf", Bytes(40, 0))})});
  Bytes junk = chunk("JUNK", Bytes(1016, 0));
  Bytes idx1 = chunk("idx1", Bytes(16, 0));
  uint64_t movi_size = total - 12 - hdrl.size() - junk.size() - 8 - idx1.size();
  Bytes head;
  put_id(&head, "RIFF");
  put32(&head, static_cast<uint32_t>(total - 8));
  put_id(&head, "AVI ");
  head.insert(head.end(), hdrl.begin(), hdrl.end());
  head.insert(head.end(), junk.begin(), junk.end());
  put_id(&head, "LIST");
  put32(&head, static_cast<uint32_t>(movi_size));
  put_id(&head, "movi");
  PlatformByteFile f(path.u16string(), platform::FileMode::kCreate);
  return f.is_open() && f.write_at(0, head.data(), static_cast<uint32_t>(head.size())) &&
         f.write_at(total - idx1.size(), idx1.data(), static_cast<uint32_t>(idx1.size()));
}

bool tag(const fs::path& path, int i) {
  Bytes payload = avi_test::qel_payload(i % 2 ? 1 : 2, i % 2 ? 24 : 36, i);
  AviFileTarget target(path.u16string());
  return target.is_open() &&
         write_qel_chunk(target, payload.data(), static_cast<uint32_t>(payload.size())) ==
             QelChunkPlacement::kJunk;
}

// Seconds for one batch of tags, or -1 when a tag failed.
double batch(const fs::path& path, int* i) {
  auto start = std::chrono::steady_clock::now();
  for (int k = 0; k < kTagsPerRun; ++k)
    if (!tag(path, (*i)++))
      return -1;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

}  // namespace

int main() {
  fs::path dir = fs::temp_directory_path() /
                 ("qel_tag_bench_" +
                  std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
  fs::create_directories(dir);
  fs::path big = dir / "big.avi", small = dir / "small.avi";
  const uint64_t kBig = (uint64_t{4} << 30) - 16, kSmall = uint64_t{1} << 20;
  int status = 1;
  if (make_recording(big, kBig) && make_recording(small, kSmall)) {
    std::printf("%d tags per run, alternating 36- and 24-byte chunks\n", kTagsPerRun);
    // Interleaved, so that both sizes see the same disk and cache conditions.
    std::vector<double> smalls, bigs;
    int i = 0;
    for (size_t round = 0; round < kRounds + 1; ++round) {
      double s = batch(small, &i), b = batch(big, &i);
      if (s < 0 || b < 0)
        break;
      if (round == 0)
        continue;  // warm-up
      smalls.push_back(s);
      bigs.push_back(b);
    }
    if (bigs.size() == kRounds) {
      double t_small = median(smalls), t_big = median(bigs);
      bench::figure("1 MB recording, median batch", t_small * 1e3, "ms");
      bench::figure("4 GB recording, median batch", t_big * 1e3, "ms");
      bench::figure("per tag, 4 GB", t_big / kTagsPerRun * 1e3, "ms");
      std::printf("goal: ratio at most 1.2\n");
      bench::ratio("tag_chunk", t_big / t_small);
      status = 0;
    } else {
      std::fprintf(stderr, "tag_chunk: a tag failed\n");
    }
  } else {
    std::fprintf(stderr, "tag_chunk: cannot create the recordings in %s\n", dir.string().c_str());
  }
  std::error_code ec;
  fs::remove_all(dir, ec);
  return status;
}
