// A writer killed between any two of its writes must leave a file that parses, holds the
// same media and carries either the chunk it had or the one being written.
#include <gtest/gtest.h>
#if !defined(_WIN32)
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <random>

#include "library/avi_file_target.h"
#include "library/avi_test_builder.h"
#include "library/qel_chunk_writer.h"
#include "library/riff_reader.h"

namespace {

using namespace avi_test;

// Every write (and the final rename) spends one unit; once spent, the process is "dead":
// nothing more reaches the disk.
class DyingFile : public ByteFile {
 public:
  DyingFile(MemoryByteFile* file, int* budget) : file_(file), budget_(budget) {}
  bool read_at(uint64_t o, void* d, uint32_t n) override { return file_->read_at(o, d, n); }
  bool size(uint64_t* out) override { return file_->size(out); }
  bool write_at(uint64_t o, const void* d, uint32_t n) override {
    return (*budget_)-- > 0 && file_->write_at(o, d, n);
  }
  bool flush() override { return *budget_ > 0; }

 private:
  MemoryByteFile* file_;
  int* budget_;
};

class DyingTarget : public AviTarget {
 public:
  DyingTarget(Bytes bytes, int budget)
      : budget_(budget),
        original_(std::move(bytes)),
        view_(&original_, &budget_),
        replacement_view_(&replacement_, &budget_) {}
  ByteFile& original() override { return view_; }
  ByteFile* create_replacement() override {
    replacement_ = MemoryByteFile();
    return &replacement_view_;
  }
  bool commit_replacement() override {
    if (budget_-- <= 0)
      return false;
    original_.bytes() = replacement_.bytes();
    return true;
  }
  void discard_replacement() override {}
  Bytes& bytes() { return original_.bytes(); }
  bool alive() const { return budget_ > 0; }

 private:
  int budget_;
  MemoryByteFile original_, replacement_;
  DyingFile view_, replacement_view_;
};

Bytes movi_bytes(const Bytes& b) {
  Bytes m;
  for (const RiffChunk& c : layout_of(b).movi)
    m.insert(m.end(), b.begin() + c.data() + 4, b.begin() + c.data() + c.size);
  return m;
}

// Tags the file with each payload in turn until the budget runs out; returns how many
// writes finished.
size_t run_until_death(DyingTarget* t, const std::vector<Bytes>& payloads) {
  size_t done = 0;
  for (const Bytes& p : payloads) {
    if (write_qel_chunk(*t, p.data(), static_cast<uint32_t>(p.size())) ==
        QelChunkPlacement::kFailed)
      break;
    ++done;
  }
  return done;
}

TEST(QelChunkCrash, EveryKillPointLeavesAGoodFile) {
  std::vector<AviShape> shapes(8);
  shapes[0].top_junk = 1016;
  shapes[1].hdrl_junk = 60;
  shapes[2].qel_tail = qel_payload(1, 24, 100);
  shapes[3].qel_hdrl = qel_payload(2, 36, 100);
  shapes[3].top_junk = 36;
  shapes[4].avix_segments = 1;  // no room: rewritten (media moves with the segment)
  shapes[5].avix_segments = 2;
  shapes[5].odml_index = true;
  shapes[5].top_junk = 500;
  shapes[6].top_junk = 35;
  shapes[7].avix_segments = 1;
  shapes[7].qel_top = qel_payload(1, 24, 100);
  std::vector<Bytes> payloads;
  for (int i = 0; i < 40; ++i)
    payloads.push_back(i % 2 ? qel_payload(1, 24, i) : qel_payload(2, 36, i));

  int kill_points = 0;
  for (const AviShape& shape : shapes) {
    const Bytes original = build(shape);
    const Bytes media = movi_bytes(original);
    for (int budget = 0;; ++budget) {
      DyingTarget t(original, budget);
      size_t done = run_until_death(&t, payloads);
      ++kill_points;
      ASSERT_TRUE(layout_of(t.bytes()).valid) << budget;
      ASSERT_EQ(media, movi_bytes(t.bytes())) << budget;
      Bytes tag = chunk_of(t.bytes());
      Bytes before = done == 0 ? chunk_of(original) : payloads[done - 1];
      if (done == payloads.size()) {
        EXPECT_EQ(before, tag);
        break;
      }
      EXPECT_TRUE(tag == before || tag == payloads[done]) << budget;
    }
  }
  EXPECT_GE(kill_points, 1000);
}

#if !defined(_WIN32)
// The same with real processes killed at random moments while they tag a real file.
TEST(QelChunkCrash, KilledWriterProcessesLeaveGoodFiles) {
  char dir[] = "/tmp/qel_crash_XXXXXX";
  ASSERT_TRUE(mkdtemp(dir));
  std::string path = std::string(dir) + "/rec.avi";
  AviShape shape;
  shape.top_junk = 1016;
  shape.movi_bytes = 200000;
  const Bytes original = build(shape);
  const Bytes media = movi_bytes(original);
  std::mt19937 rng(7);
  for (int round = 0; round < 40; ++round) {
    FILE* f = fopen(path.c_str(), "wb");
    fwrite(original.data(), 1, original.size(), f);
    fclose(f);
    pid_t child = fork();
    if (child == 0) {
      AviFileTarget t(std::u16string(path.begin(), path.end()));
      for (int i = 0;; ++i) {
        Bytes p = i % 2 ? qel_payload(1, 24, i) : qel_payload(2, 36, i);
        write_qel_chunk(t, p.data(), static_cast<uint32_t>(p.size()));
      }
    }
    usleep(200 + rng() % 3000);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    f = fopen(path.c_str(), "rb");
    Bytes now(original.size() + 4096);
    now.resize(fread(now.data(), 1, now.size(), f));
    fclose(f);
    ASSERT_TRUE(layout_of(now).valid) << round;
    ASSERT_EQ(media, movi_bytes(now)) << round;
    // Killed before its first write finished, the file has no chunk yet.
    Bytes tag = chunk_of(now);
    EXPECT_TRUE(tag.empty() || tag.size() == (tag[0] == 1 ? 24u : 36u)) << round;
  }
  unlink(path.c_str());
  rmdir(dir);
}
#endif

}  // namespace
