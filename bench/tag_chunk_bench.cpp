// Tagging a recording costs the same whatever its size: the "_qel" chunk goes into header
// padding or is overwritten in place, never by rewriting the media. Three comparisons:
// - the chunk writer on a 4 GB (sparse) recording against a 1 MB one, alternating the two
//   chunk lengths so that every tag turns padding into the chunk and retires the previous;
// - a finished recording handed to the folder manager (stream scan, cache entry, chunk) as
//   the program does it, AVI 1.0 with a JUNK run inside movi: 1.9 GB (sparse) against 1 KB;
// - the same with the JUNK run's 256 MB written just before, not yet on disk, as an engine
//   leaves its file.
// Large and small run in turn; each is reported by its median and interquartile range.
// Ratio: the largest of the three large / small ratios of medians.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/bench_library.h"
#include "bench/bench_util.h"
#include "library/avi_file_target.h"
#include "library/avi_test_builder.h"
#include "library/qel_avi_file_mngr.h"
#include "library/qel_chunk_writer.h"

namespace {

namespace fs = std::filesystem;
using avi_test::Bytes;

constexpr int kTagsPerRun = 20;

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

// An engine's finished AVI 1.0 file: 30 video frames and audio, then a JUNK run inside
// movi, then idx1 closing the first RIFF. The JUNK data is a hole, or written for real and
// left to the system to put on disk.
bool make_finished_recording(const std::u16string& path, uint32_t junk, bool written) {
  using namespace avi_test;
  Stream video{"vids", 1, 15, 0, 30}, audio{"auds", 1, 8000, 0, 16000};
  Bytes hdrl =
      list("LIST", "hdrl",
           {chunk("avih", avih(2)),
            list("LIST", "strl", {chunk("strh", strh(video)), chunk("strf", strf(video))}),
            list("LIST", "strl", {chunk("strh", strh(audio)), chunk("strf", strf(audio))})});
  Bytes frames;
  for (int i = 0; i < 30; ++i) {
    Bytes v = chunk("00dc", filler(768, i)), a = chunk("01wb", filler(1066, 100 + i));
    frames.insert(frames.end(), v.begin(), v.end());
    frames.insert(frames.end(), a.begin(), a.end());
  }
  Bytes idx1 = chunk("idx1", Bytes(16 * 60, 0));
  uint64_t movi_size = 4 + frames.size() + 8 + junk;
  uint64_t riff_size = 4 + hdrl.size() + 8 + movi_size + idx1.size();
  Bytes head;
  put_id(&head, "RIFF");
  put32(&head, static_cast<uint32_t>(riff_size));
  put_id(&head, "AVI ");
  head.insert(head.end(), hdrl.begin(), hdrl.end());
  put_id(&head, "LIST");
  put32(&head, static_cast<uint32_t>(movi_size));
  put_id(&head, "movi");
  head.insert(head.end(), frames.begin(), frames.end());
  put_id(&head, "JUNK");
  put32(&head, junk);
  PlatformByteFile f(path, platform::FileMode::kCreate);
  if (!f.is_open() || !f.write_at(0, head.data(), static_cast<uint32_t>(head.size())))
    return false;
  if (written) {
    std::vector<uint8_t> block(1 << 20, 0x5a);
    for (uint64_t done = 0; done < junk; done += block.size()) {
      uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(block.size(), junk - done));
      if (!f.write_at(head.size() + done, block.data(), n))
        return false;
    }
  }
  return f.write_at(head.size() + junk, idx1.data(), static_cast<uint32_t>(idx1.size()));
}

struct InsertCase {
  const char* label;
  uint32_t small_junk, big_junk;
  bool written;
  int rounds;
};

// Prints the two cases and their ratio of medians; returns it.
double report(const char* small_label,
              const char* large_label,
              const std::vector<std::vector<double>>& t) {
  bench::Spread small = bench::spread(t[0]), large = bench::spread(t[1]);
  bench::print_spread(small_label, small, "ms", 1e3);
  bench::print_spread(large_label, large, "ms", 1e3);
  bench::figure("  ratio of medians", large.median / small.median, "");
  return large.median / small.median;
}

// Inserts through the folder manager, small and large files in turn, each file made just
// before its insert and only the insert timed; the large / small ratio, or -1.
double insert_ratio(qel_avi_file_mngr& mngr, const fs::path& dir, const InsertCase& c) {
  int n = 0;
  auto insert = [&](bool big) -> bench::Case {
    return [&, big] {
      // Joined with a backslash, as the program names its recordings.
      std::string leaf = (big ? "big_" : "small_") + std::to_string(n++) + ".avi";
      std::u16string path = dir.u16string() + u"\\" + std::u16string(leaf.begin(), leaf.end());
      if (!make_finished_recording(path, big ? c.big_junk : c.small_junk, c.written))
        return -1.0;
      auto start = std::chrono::steady_clock::now();
      shared_ptr<qel_avi_file> f = mngr.insert_new_file(path.c_str(), 1290000000);
      double t = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
      platform::file_delete(path);  // an unflushed file's pages go with it
      return f && f->get_time_len() == 3 ? t : -1.0;
    };
  };
  std::vector<std::vector<double>> t =
      bench::interleave({insert(false), insert(true)}, bench::rounds_from_env(c.rounds));
  if (t.empty())
    return -1;
  return report("  small, insert", "  large, insert", t);
}

// Tags through the chunk writer alone; the large / small ratio, or -1.
double chunk_writer_ratio(const fs::path& dir) {
  fs::path big = dir / "big.avi", small = dir / "small.avi";
  const uint64_t kBig = (uint64_t{4} << 30) - 16, kSmall = uint64_t{1} << 20;
  if (!make_recording(big, kBig) || !make_recording(small, kSmall)) {
    std::fprintf(stderr, "tag_chunk: cannot create the recordings in %s\n", dir.string().c_str());
    return -1;
  }
  std::printf("chunk writer: %d tags per run, alternating 36- and 24-byte chunks\n", kTagsPerRun);
  int i = 0;
  std::vector<std::vector<double>> t =
      bench::interleave({[&] { return batch(small, &i); }, [&] { return batch(big, &i); }},
                        bench::rounds_from_env(15));
  std::error_code ec;
  fs::remove(big, ec);
  fs::remove(small, ec);
  if (t.empty()) {
    std::fprintf(stderr, "tag_chunk: a tag failed\n");
    return -1;
  }
  return report("  1 MB recording, batch", "  4 GB recording, batch", t);
}

}  // namespace

int main() {
  bench::ScratchLibrary library("tag");
  double worst = chunk_writer_ratio(library.dir());
  int status = worst < 0 ? 1 : 0;

  qel_avi_file_mngr mngr;
  if (!mngr.create(library.product())) {
    std::fprintf(stderr, "tag_chunk: no folder manager\n");
    return 1;
  }
  const InsertCase cases[] = {
      {"finished recording, JUNK run in movi, 1.9 GB sparse vs 1 KB", 1024, 1900u << 20, false, 21},
      {"finished recording, JUNK run of 256 MB written just before vs 1 KB", 1024, 256u << 20, true,
       9},
  };
  for (const InsertCase& c : cases) {
    std::printf("folder manager insert: %s\n", c.label);
    double r = insert_ratio(mngr, library.dir(), c);
    if (r < 0) {
      std::fprintf(stderr, "tag_chunk: an insert failed\n");
      status = 1;
      continue;
    }
    worst = std::max(worst, r);
  }
  mngr.Finalize();
  if (status)
    return status;
  std::printf("goal: ratio at most 1.2\n");
  bench::ratio("tag_chunk", worst);
  return 0;
}
