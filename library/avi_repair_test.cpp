#include "library/avi_repair.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <sstream>

#include "library/avi_cut_scan.h"
#include "library/avi_stream_info.h"
#include "library/avi_test_builder.h"
#include "library/qel_avi_file.h"
#include "library/recording_file_test.h"
#include "library/recording_test_util.h"
#include "qel_lib/qel_assert_capture.h"

namespace {

using namespace avi_test;

const Stream kVideo = {"vids", 1, 25, 0, 0};
const Stream kAudio = {"auds", 1, 8000, 0, 0};

// Video and audio chunks of odd and even sizes.
Bytes recording(int frames) {
  std::vector<Bytes> movi;
  for (int i = 0; i < frames; ++i) {
    movi.push_back(chunk("00dc", filler(301 + 2 * (i % 5), i)));
    movi.push_back(chunk("01wb", filler(640, 1000 + i)));
  }
  return running_file({kVideo, kAudio}, movi, qel_payload(2, 36));
}

// Every complete chunk's id and payload, in order.
std::vector<Bytes> payloads(const Bytes& b) {
  MemoryByteFile f(b);
  CutAvi cut;
  std::vector<Bytes> out;
  if (!scan_cut_avi(f, &cut, true))
    return out;
  for (const RiffChunk& c : cut.movi_chunks)
    out.emplace_back(b.begin() + c.offset, b.begin() + c.data() + c.size);
  return out;
}

AviStreamSummary cut_summary(const Bytes& b) {
  MemoryByteFile f(b);
  CutAvi cut;
  scan_cut_avi(f, &cut, false);
  return summarize_streams(cut.streams);
}

TEST(AviRepair, CutRecordingsBecomeWholeWithTheSameMediaAndLength) {
  Bytes full = recording(60);
  int repaired = 0;
  for (size_t n = 400; n < full.size() - 24; n += 97) {
    Bytes cut(full.begin(), full.begin() + n);
    AviStreamSummary before = cut_summary(cut);
    MemoryAviTarget target(cut);
    if (!repair_cut_avi(target)) {
      EXPECT_EQ(cut, target.bytes()) << n;
      continue;
    }
    ++repaired;
    AviLayout l = layout_of(target.bytes());
    ASSERT_TRUE(l.valid) << n;
    EXPECT_TRUE(l.has_idx1);
    EXPECT_FALSE(avi_needs_chunk_count(l));
    AviStreamSummary after = summarize_streams(l);
    EXPECT_EQ(before.time_len, after.time_len) << n;
    EXPECT_TRUE(after.has_video && after.has_audio);
    EXPECT_EQ(payloads(cut), payloads(target.bytes())) << n;
    EXPECT_EQ(qel_payload(2, 36), chunk_of(target.bytes())) << n;
    // A repaired file is whole: a second repair has nothing to do.
    Bytes once = target.bytes();
    EXPECT_FALSE(repair_cut_avi(target));
    EXPECT_EQ(once, target.bytes());
  }
  EXPECT_GT(repaired, 200);
  // Whole files, headers cut short and other files are left alone.
  for (const Bytes& b : {full, Bytes(full.begin(), full.begin() + 100), Bytes(50, 'x')}) {
    MemoryAviTarget target(b);
    EXPECT_FALSE(repair_cut_avi(target));
    EXPECT_EQ(b, target.bytes());
  }
}

// The copy stops being written at any point: the original is what it was.
class FailingFile : public MemoryByteFile {
 public:
  explicit FailingFile(int writes) : writes_left_(writes) {}
  bool write_at(uint64_t offset, const void* data, uint32_t len) override {
    return writes_left_-- > 0 && MemoryByteFile::write_at(offset, data, len);
  }

 private:
  int writes_left_;
};

class FailingTarget : public AviTarget {
 public:
  FailingTarget(Bytes bytes, int writes) : original_(std::move(bytes)), copy_(writes) {}
  ByteFile& original() override { return original_; }
  ByteFile* create_replacement() override { return &copy_; }
  bool commit_replacement() override {
    original_.bytes() = copy_.bytes();
    return true;
  }
  void discard_replacement() override { discarded_ = true; }
  Bytes& bytes() { return original_.bytes(); }
  bool discarded_ = false;

 private:
  MemoryByteFile original_;
  FailingFile copy_;
};

TEST(AviRepair, AnInterruptedCopyLeavesTheOriginal) {
  Bytes full = recording(40);
  Bytes cut(full.begin(), full.end() - 500);
  MemoryAviTarget whole(cut);
  ASSERT_TRUE(repair_cut_avi(whole));
  int failures = 0;
  for (int writes = 0; writes < 200; ++writes) {
    FailingTarget target(cut, writes);
    if (repair_cut_avi(target)) {
      EXPECT_EQ(whole.bytes(), target.bytes()) << writes;
      continue;
    }
    ++failures;
    EXPECT_TRUE(target.discarded_);
    EXPECT_EQ(cut, target.bytes()) << writes;
  }
  EXPECT_GT(failures, 150);
}

struct Shape {
  const char* name;
  Bytes file;
};

std::vector<Shape> index_shapes() {
  std::vector<Bytes> video, odd, grouped, mixed;
  for (uint32_t i = 0; i < 30; ++i) {
    video.push_back(chunk("00dc", filler(400 + 100 * (i % 3), i)));
    // Odd sizes leave a pad byte after each chunk, which every later offset steps over.
    odd.push_back(chunk("00dc", filler(1 + 2 * i, i)));
    odd.push_back(chunk("01wb", filler(641, 100 + i)));
    grouped.push_back(
        list("LIST", "rec ", {chunk("00dc", filler(301, i)), chunk("01wb", filler(640, i))}));
    mixed.push_back(chunk("00dc", filler(300, i)));
    if (i % 4 == 0)
      mixed.push_back(chunk("JUNK", Bytes(13, 0)));
    if (i % 5 == 0)
      mixed.push_back(chunk("ix00", Bytes(24, 0)));
  }
  return {{"video only", running_file({kVideo}, video)},
          {"audio and video", recording(30)},
          {"odd sizes", running_file({kVideo, kAudio}, odd)},
          {"rec groups", running_file({kVideo, kAudio}, grouped)},
          {"junk and ix chunks", running_file({kVideo}, mixed)}};
}

uint32_t field(const Bytes& b, size_t at) {
  uint32_t v;
  memcpy(&v, b.data() + at, 4);
  return v;
}

// The copy's header list tells what its chunks hold: every stream's length, and the main
// header's frame count from the first video stream, wherever that stream sits.
TEST(AviRepair, HeadersTellTheLengthsTheChunksHold) {
  std::vector<Bytes> movi;
  for (uint32_t i = 0; i < 12; ++i) {
    movi.push_back(chunk("00wb", filler(640, i)));
    movi.push_back(chunk("01dc", filler(301, i)));
    if (i % 2 == 0)
      movi.push_back(chunk("02dc", filler(201, i)));
  }
  Bytes full = running_file({kAudio, kVideo, kVideo}, movi);
  MemoryAviTarget target(Bytes(full.begin(), full.end() - 24));
  ASSERT_TRUE(repair_cut_avi(target));
  const Bytes& b = target.bytes();
  // Read by hand: dwTotalFrames is 16 bytes into avih, dwLength 32 into each strh.
  std::vector<uint32_t> lengths;
  for (auto at = b.begin(); (at = std::search(at, b.end(), "strh", "strh" + 4)) != b.end(); ++at)
    lengths.push_back(field(b, at - b.begin() + 8 + 32));
  EXPECT_EQ((std::vector<uint32_t>{12 * 320, 12, 6}), lengths);
  size_t avih = std::search(b.begin(), b.end(), "avih", "avih" + 4) - b.begin();
  EXPECT_EQ(12u, field(b, avih + 8 + 16));
}

// Cut anywhere, with the last chunk torn at each of its bytes: the rebuilt index names
// every chunk of the file's streams where it now lies, and nothing else.
TEST(AviRepair, RebuiltIndexPointsAtEveryChunkOfItsStreams) {
  for (const Shape& shape : index_shapes()) {
    SCOPED_TRACE(shape.name);
    size_t before_idx1 = shape.file.size() - 24;
    int repaired = 0;
    for (size_t n = 400; n <= before_idx1; n += n + 1500 < before_idx1 ? 13 : 1) {
      Bytes cut(shape.file.begin(), shape.file.begin() + n);
      MemoryAviTarget target(cut);
      if (!repair_cut_avi(target))
        continue;
      ++repaired;
      ASSERT_EQ("", idx1_mismatch(target.bytes())) << n;
      ASSERT_EQ(payloads(cut), payloads(target.bytes())) << n;
    }
    EXPECT_GT(repaired, 1500);
  }
}

// A chunk numbered past the stream table belongs to no stream: it is copied with the
// media, but counts into no length and gets no index entry.
TEST(AviRepair, ChunksOfUndeclaredStreamsAreCopiedButNeitherCountedNorIndexed) {
  for (size_t count : {1u, 2u, 12u}) {
    SCOPED_TRACE(count);
    Bytes full = stray_file(count);
    Bytes cut(full.begin(), full.end() - 24);
    MemoryAviTarget target(cut);
    ASSERT_TRUE(repair_cut_avi(target));
    EXPECT_EQ("", idx1_mismatch(target.bytes()));
    AviLayout l = layout_of(target.bytes());
    ASSERT_EQ(count, l.streams.size());
    for (size_t s = 0; s < count; ++s)
      EXPECT_EQ(s + 1, l.streams[s].length) << s;
    EXPECT_EQ(payloads(cut), payloads(target.bytes()));
  }
}

// Counts what a repair did to the file it was given.
class WatchedTarget : public MemoryAviTarget {
 public:
  using MemoryAviTarget::MemoryAviTarget;
  ByteFile* create_replacement() override {
    ++replacements_;
    return MemoryAviTarget::create_replacement();
  }
  int replacements_ = 0;
};

// A file with an OpenDML index or segments: an index in the header list, "RIFF AVIX"
// segments, or both.
std::vector<Bytes> odml_files() {
  AviShape indexed, segmented, both;
  indexed.odml_index = true;
  segmented.avix_segments = 2;
  both.odml_index = true, both.avix_segments = 2;
  std::vector<Bytes> files;
  for (AviShape* s : {&indexed, &segmented, &both}) {
    s->streams = {kVideo, kAudio};
    s->movi_bytes = 5000;
    files.push_back(build(*s));
  }
  // The first RIFF's walk stops at a broken chunk, before the segments behind it.
  Bytes broken = files[1];
  size_t first = std::search(broken.begin(), broken.end(), "00dc", "00dc" + 4) - broken.begin();
  broken[first + 7] = 0xFF;
  files.push_back(broken);
  return files;
}

// OpenDML indexes point into the layout a rewrite would change, and segments may hold
// more than one RIFF can: such a recording, cut anywhere after its index or segment
// began, is refused before a copy is begun and stays as it was.
TEST(AviRepair, OpenDmlRecordingsAreNeverRewritten) {
  std::vector<Bytes> files = odml_files();
  for (size_t f = 0; f < files.size(); ++f) {
    int listed = 0;
    for (size_t n = 300; n <= files[f].size(); n += n + 29 < files[f].size() ? 29 : 1) {
      Bytes cut(files[f].begin(), files[f].begin() + n);
      // Cut before its first segment, a recording without an index is a plain one.
      if (std::search(cut.begin(), cut.end(), "indx", "indx" + 4) == cut.end() &&
          std::search(cut.begin(), cut.end(), "AVIX", "AVIX" + 4) == cut.end())
        continue;
      MemoryByteFile view(cut);
      CutAvi scanned;
      listed += scan_cut_avi(view, &scanned, false);
      WatchedTarget target(cut);
      EXPECT_FALSE(repair_cut_avi(target)) << f << " cut at " << n;
      EXPECT_EQ(0, target.replacements_) << f << " cut at " << n;
      ASSERT_EQ(cut, target.bytes()) << f << " cut at " << n;
    }
    // Refused for what they are, not for failing to scan.
    EXPECT_GT(listed, 200) << f;
  }
}

class AviRepairFileTest : public rec_test::RecordFileTest {
 protected:
  AviRepairFileTest() : RecordFileTest("repair") {}
};

// The Repair of a listed OpenDML recording cut short leaves the file on disk byte for
// byte, with no copy beside it.
TEST_F(AviRepairFileTest, OpenDmlRecordingsStayOnDiskAsTheyWere) {
  for (const Bytes& full : odml_files()) {
    Bytes cut(full.begin(), full.end() - 777);
    rec_test::write_bytes(folder_.native("odml.avi"), cut);
    auto a = record(folder_.file(u"odml.avi"));
    ASSERT_TRUE(a->dojob_load_file_info());
    EXPECT_TRUE(a->get_is_cut());
    EXPECT_FALSE(a->dojob_repair());
    EXPECT_TRUE(a->get_is_cut());
    EXPECT_EQ(cut, rec_test::read_bytes(folder_.native("odml.avi")));
    EXPECT_FALSE(rec_test::fs::exists(folder_.native("odml.avi.qeltmp")));
  }
}

#if !defined(_WIN32)

// ffmpeg's recordings cut short: ffprobe reads the repaired file with the streams and the
// length that were listed for the cut one.
TEST_F(AviRepairFileTest, FfprobeReadsRepairedRecordingsAsListed) {
  rec_test::fs::path media = rec_test::media_folder(false);
  ASSERT_FALSE(media.empty());
  for (const char* name : {"av.avi", "video.avi", "audio.avi"}) {
    Bytes b = rec_test::read_bytes(media / name);
    for (int part = 1; part <= 4; ++part) {
      SCOPED_TRACE(std::string(name) + " part " + std::to_string(part));
      Bytes cut(b.begin(), b.begin() + b.size() * part / 5);
      rec_test::write_bytes(folder_.native("cut.avi"), cut);
      auto a = record(folder_.file(u"cut.avi"));
      ASSERT_TRUE(a->dojob_load_file_info());
      ASSERT_TRUE(a->get_is_cut());
      ASSERT_TRUE(a->dojob_repair());
      EXPECT_FALSE(a->get_is_cut());
      Bytes repaired = rec_test::read_bytes(folder_.native("cut.avi"));
      EXPECT_EQ(payloads(cut), payloads(repaired));
      EXPECT_FALSE(rec_test::fs::exists(folder_.native("cut.avi.qeltmp")));

      auto again = record(folder_.file(u"cut.avi"));
      ASSERT_TRUE(again->dojob_load_file_info());
      EXPECT_FALSE(again->get_is_cut());
      EXPECT_EQ(a->get_time_len(), again->get_time_len());

      // One line per stream's type, then the file's duration.
      int status = 0;
      std::istringstream probed(rec_test::run(
          "ffprobe -v error -show_entries stream=codec_type:format=duration -of csv=p=0 '" +
              folder_.native("cut.avi").string() + "'",
          &status));
      ASSERT_EQ(0, status);
      std::string line;
      size_t streams = 0;
      double longest = 0;
      while (std::getline(probed, line)) {
        if (line == "video" || line == "audio")
          ++streams;
        else
          longest = std::atof(line.c_str());
      }
      EXPECT_EQ(layout_of(repaired).streams.size(), streams);
      int64_t ms = std::llround(longest * 1000);
      EXPECT_NEAR(ms / 1000 + 1, a->get_time_len(), 1) << longest;
    }
  }
}
#endif

}  // namespace
