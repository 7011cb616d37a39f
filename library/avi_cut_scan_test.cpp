#include "library/avi_cut_scan.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "library/avi_stream_info.h"
#include "library/avi_test_builder.h"
#include "library/qel_avi_file.h"
#include "library/recording_file_test.h"
#include "library/recording_test_util.h"
#include "qel_lib/qel_assert_capture.h"

namespace {

using namespace avi_test;

// The first n bytes of a recording, as a dead engine leaves them; counts what is read.
class CutView : public ByteFile {
 public:
  CutView(const Bytes& bytes, uint64_t n) : bytes_(bytes), n_(n) {}
  bool read_at(uint64_t offset, void* data, uint32_t len) override {
    if (offset > n_ || len > n_ - offset)
      return false;
    memcpy(data, bytes_.data() + offset, len);
    read_ += len;
    return true;
  }
  bool size(uint64_t* out) override {
    *out = n_;
    return true;
  }
  bool write_at(uint64_t, const void*, uint32_t) override { return false; }
  bool flush() override { return true; }
  uint64_t bytes_read() const { return read_; }

 private:
  const Bytes& bytes_;
  uint64_t n_;
  uint64_t read_ = 0;
};

struct MediaChunk {
  size_t stream;
  uint64_t end;  // of the data, without pad byte
  uint32_t size;
};

// A recording as the engine writes it while running: stream lengths still 0, video frames
// of odd sizes (pad bytes) at 25 per second, 40 ms of 8 kHz PCM audio after each.
struct Recording {
  Bytes bytes;
  std::vector<MediaChunk> chunks;
  uint64_t media_start = 0;  // where the first movi chunk begins
  uint64_t hdrl_size = 0;
};

Recording recording(int frames, bool video = true, bool audio = true) {
  std::vector<Stream> streams;
  if (video)
    streams.push_back({"vids", 1, 25, 0, 0});
  if (audio)
    streams.push_back({"auds", 1, 8000, 0, 0});
  std::vector<Bytes> hdrl = {chunk("avih", avih(streams.size()))};
  for (const Stream& s : streams)
    hdrl.push_back(list("LIST", "strl", {chunk("strh", strh(s)), chunk("strf", strf(s))}));
  Bytes head = list("LIST", "hdrl", hdrl);
  Recording r;
  r.hdrl_size = head.size();
  r.media_start = 12 + head.size() + 12;
  std::vector<Bytes> movi;
  uint64_t at = r.media_start;
  for (int i = 0; i < frames; ++i) {
    for (size_t s = 0; s < streams.size(); ++s) {
      bool is_video = video && s == 0;
      char id[5] = {'0', char('0' + s), is_video ? 'd' : 'w', is_video ? 'c' : 'b', 0};
      uint32_t size = is_video ? 301 + 2 * (i % 5) : 640;
      movi.push_back(chunk(id, filler(size, i * 2 + s)));
      r.chunks.push_back({s, at + 8 + size, size});
      at += movi.back().size();
    }
  }
  r.bytes = list("RIFF", "AVI ", {head, list("LIST", "movi", movi), chunk("idx1", Bytes(16, 0))});
  return r;
}

int32_t seconds_of(int64_t ms) {
  return ms > 0 ? static_cast<int32_t>(ms / 1000 + 1) : 0;
}

// What a full index of the first n bytes would say.
int32_t expected_seconds(const Recording& r, uint64_t n, bool video, bool audio) {
  int64_t frames = 0, audio_bytes = 0;
  for (const MediaChunk& c : r.chunks) {
    if (c.end > n)
      break;
    if (video && c.stream == 0)
      ++frames;
    else
      audio_bytes += c.size;
  }
  return std::max(seconds_of(frames * 40), seconds_of(audio_bytes / 2 / 8));
}

TEST(AviCutScan, EveryCutIsListedWithTheFramesItHoldsAndNoMediaIsRead) {
  for (int shape = 0; shape < 3; ++shape) {
    bool video = shape != 2, audio = shape != 1;
    SCOPED_TRACE(shape);
    Recording r = recording(150, video, audio);  // 6 s
    size_t headers_only = 12 + r.hdrl_size + 12;
    std::vector<uint64_t> cuts;
    for (uint64_t n = 0; n <= r.bytes.size(); n += std::max<size_t>(1, r.bytes.size() / 1000))
      cuts.push_back(n);
    for (const MediaChunk& c : r.chunks)
      for (int d : {-1, 0, 1})
        cuts.push_back(c.end + d);
    for (uint64_t n : cuts) {
      if (n > r.bytes.size())
        continue;
      CutView view(r.bytes, n);
      CutAvi cut;
      bool found = scan_cut_avi(view, &cut, false);
      if (n < r.media_start) {
        EXPECT_FALSE(found) << n;
        continue;
      }
      ASSERT_TRUE(found) << n;
      AviStreamSummary s = summarize_streams(cut.streams);
      EXPECT_EQ(video, s.has_video);
      EXPECT_EQ(audio, s.has_audio);
      ASSERT_EQ(expected_seconds(r, n, video, audio), s.time_len) << n;
      // Chunk headers only: 8 bytes per chunk, one more for the one that did not fit.
      EXPECT_LE(view.bytes_read(), 2 * headers_only + 8 * (cut.chunk_count + 1) + 64) << n;
    }
  }
}

TEST(AviCutScan, KeepsTheCompleteChunksInFileOrder) {
  Recording r = recording(20);
  CutView view(r.bytes, r.chunks[9].end + 3);
  CutAvi cut;
  ASSERT_TRUE(scan_cut_avi(view, &cut, true));
  ASSERT_EQ(10u, cut.movi_chunks.size());
  for (size_t i = 0; i < 10; ++i)
    EXPECT_EQ(r.chunks[i].end, cut.movi_chunks[i].data() + cut.movi_chunks[i].size);
  EXPECT_EQ(2u, cut.streams.size());
  EXPECT_EQ(5u, cut.streams[0].length);
  EXPECT_EQ(5u * 320, cut.streams[1].length);
}

void set32(Bytes* b, size_t at, uint32_t v) {
  memcpy(b->data() + at, &v, 4);
}

size_t find(const Bytes& b, const char* id) {
  for (size_t i = 0; i + 4 <= b.size(); ++i)
    if (memcmp(b.data() + i, id, 4) == 0)
      return i;
  return b.size();
}

int32_t scanned_seconds(const Bytes& b) {
  MemoryByteFile f(b);
  CutAvi cut;
  if (!scan_cut_avi(f, &cut, false))
    return -1;
  return summarize_streams(cut.streams).time_len;
}

TEST(AviCutScan, HostileShapesStopSafely) {
  Recording r = recording(50);            // 2 s
  uint64_t cut_at = r.chunks.back().end;  // all frames, no idx1, sizes past the end
  Bytes cut(r.bytes.begin(), r.bytes.begin() + cut_at);
  EXPECT_EQ(3, scanned_seconds(cut));

  EXPECT_EQ(-1, scanned_seconds({}));
  EXPECT_EQ(-1, scanned_seconds(Bytes(cut.begin(), cut.begin() + 100)));  // hdrl cut
  Bytes not_avi = cut;
  memcpy(not_avi.data() + 8, "WAVE", 4);
  EXPECT_EQ(-1, scanned_seconds(not_avi));

  // An engine that never wrote the RIFF and movi sizes.
  Bytes zero = cut;
  set32(&zero, 4, 0);
  set32(&zero, find(zero, "movi") - 4, 0);
  EXPECT_EQ(3, scanned_seconds(zero));

  // A chunk whose size overflows ends the walk; the frames before it count.
  Bytes huge = cut;
  set32(&huge, r.chunks[20].end - r.chunks[20].size - 4, 0xFFFFFFF8u);
  EXPECT_EQ(1, scanned_seconds(huge));  // 10 frames = 400 ms

  // Chunks of streams the headers do not declare are ignored, and the main header's count
  // does not matter.
  Bytes stray = cut;
  memcpy(stray.data() + r.chunks[0].end - r.chunks[0].size - 8, "07dc", 4);
  set32(&stray, find(stray, "avih") + 8 + 24, 9);
  EXPECT_EQ(3, scanned_seconds(stray));

  // A hdrl whose size runs past the end of the file is not a recording to rescue.
  Bytes long_hdrl = cut;
  set32(&long_hdrl, 16, 0x7FFFFFF0u);
  EXPECT_EQ(-1, scanned_seconds(long_hdrl));
}

// A chunk names its stream by number; one at the stream table's count or past it, or
// whose number is not two digits, counts for no stream (and is never counted into memory
// past the table), whatever the main header claims. Cut anywhere, each stream has exactly
// the frames it holds.
TEST(AviCutScan, ChunksOfUndeclaredStreamsCountForNoStream) {
  for (size_t count : {1u, 2u, 12u}) {
    SCOPED_TRACE(count);
    Bytes full = stray_file(count);
    set32(&full, find(full, "avih") + 8 + 24, 99);
    Bytes whole(full.begin(), full.end() - 24);
    std::vector<size_t> ends;
    for (size_t n = find(full, "movi") + 4; n <= whole.size(); n += 7)
      ends.push_back(n);
    ends.push_back(whole.size());
    for (size_t n : ends) {
      CutView view(whole, n);
      CutAvi cut;
      ASSERT_TRUE(scan_cut_avi(view, &cut, true)) << n;
      ASSERT_EQ(count, cut.streams.size());
      // The builder's own frames are "NNdc" below the count; everything else is stray.
      std::vector<uint32_t> frames(count);
      std::vector<std::string> strays = stray_ids(count);
      for (const RiffChunk& c : cut.movi_chunks) {
        std::string id(reinterpret_cast<const char*>(&c.id), 4);
        if (std::find(strays.begin(), strays.end(), id) == strays.end())
          ++frames[(id[0] - '0') * 10 + (id[1] - '0')];
      }
      for (size_t s = 0; s < count; ++s)
        ASSERT_EQ(frames[s], cut.streams[s].length) << "stream " << s << " cut at " << n;
    }
    CutAvi cut;
    MemoryByteFile f(whole);
    ASSERT_TRUE(scan_cut_avi(f, &cut, false));
    for (size_t s = 0; s < count; ++s)
      EXPECT_EQ(s + 1, cut.streams[s].length) << s;
    EXPECT_EQ(count * (count + 1) / 2 + count * stray_ids(count).size(), cut.chunk_count);
  }
}

// Ends of the "00dc" chunks of every movi list of an intact file, rec groups and AVIX
// segments included, found by walking its RIFFs by hand.
std::vector<uint64_t> frame_ends(const Bytes& b) {
  auto le = [&b](uint64_t at) {
    uint32_t v;
    memcpy(&v, b.data() + at, 4);
    return v;
  };
  auto next = [&le](uint64_t at) { return at + 8 + le(at + 4) + (le(at + 4) & 1); };
  std::vector<uint64_t> ends;
  for (uint64_t riff = 0; riff + 12 <= b.size(); riff = next(riff)) {
    for (uint64_t at = riff + 12; at + 12 <= riff + 8 + le(riff + 4); at = next(at)) {
      if (le(at) != fourcc("LIST") || le(at + 8) != fourcc("movi"))
        continue;
      for (uint64_t c = at + 12; c + 8 <= at + 8 + le(at + 4);) {
        if (le(c) == fourcc("LIST")) {
          c += 12;
          continue;
        }
        if (le(c) == fourcc("00dc"))
          ends.push_back(c + 8 + le(c + 4));
        c = next(c);
      }
    }
  }
  return ends;
}

// Frames count wherever the engine put them: inside "rec " groups, and in the AVIX
// segments behind a finished first RIFF. Cut anywhere, the video has every frame it holds.
TEST(AviCutScan, FramesInRecGroupsAndLaterSegmentsCount) {
  std::vector<Bytes> groups;
  for (uint32_t i = 0; i < 20; ++i)
    groups.push_back(
        list("LIST", "rec ",
             {chunk("00dc", filler(301 + 2 * (i % 3), i)), chunk("01wb", filler(640, i))}));
  AviShape segmented;
  segmented.streams = {{"vids", 1, 25, 0, 0}, {"auds", 1, 8000, 0, 0}};
  segmented.avix_segments = 3;
  for (const Bytes& full : {running_file(segmented.streams, groups), build(segmented)}) {
    std::vector<uint64_t> ends = frame_ends(full);
    ASSERT_GE(ends.size(), 12u);
    int scanned = 0;
    for (uint64_t n = find(full, "movi") + 4; n <= full.size(); n += 11) {
      CutView view(full, n);
      CutAvi cut;
      if (!scan_cut_avi(view, &cut, false))
        continue;  // whole: its layout gives the lengths
      ++scanned;
      uint32_t frames = static_cast<uint32_t>(
          std::count_if(ends.begin(), ends.end(), [n](uint64_t end) { return end <= n; }));
      ASSERT_EQ(frames, cut.streams[0].length) << "cut at " << n;
    }
    EXPECT_GT(scanned, 300);
  }
}

TEST(AviCutScan, OnlyFilesWithoutAnIndexAreCounted) {
  Recording r = recording(10);
  AviLayout intact = layout_of(r.bytes);
  ASSERT_TRUE(intact.valid);
  EXPECT_FALSE(avi_needs_chunk_count(intact));
  Bytes no_idx1(r.bytes.begin(), r.bytes.end() - 24);
  set32(&no_idx1, 4, static_cast<uint32_t>(no_idx1.size() - 8));
  AviLayout l = layout_of(no_idx1);
  ASSERT_TRUE(l.valid);
  EXPECT_TRUE(avi_needs_chunk_count(l));
  EXPECT_TRUE(avi_needs_chunk_count(layout_of(Bytes(r.bytes.begin(), r.bytes.end() - 30))));
}

class AviCutFileTest : public rec_test::RecordFileTest {
 protected:
  AviCutFileTest() : RecordFileTest("cut") {}
};

// A cut recording gets its length and marks, and stays byte for byte as it was.
TEST_F(AviCutFileTest, CutRecordingsAreReadButNeverWritten) {
  Recording r = recording(100);  // 4 s
  Bytes cut(r.bytes.begin(), r.bytes.begin() + r.chunks[80].end + 5);
  rec_test::write_bytes(folder_.native("cut.avi"), cut);
  auto a = record(folder_.file(u"cut.avi"));
  ASSERT_TRUE(a->dojob_load_file_info());
  EXPECT_TRUE(a->get_is_cut());
  EXPECT_TRUE(a->get_has_video());
  EXPECT_TRUE(a->get_has_audio());
  EXPECT_EQ(2, a->get_time_len());  // 40 frames
  EXPECT_FALSE(a->dojob_read_qel_chunk());
  EXPECT_FALSE(a->dojob_write_qel_chunk());
  EXPECT_EQ(cut, rec_test::read_bytes(folder_.native("cut.avi")));
  EXPECT_TRUE(asserts_.Has("qel_avi_file::dojob_write_chunk_record", "rtn == 0 && p_file") ||
              asserts_.Has("qel_avi_file::dojob_write_chunk_record", "rtn == 0"));
}

#if !defined(_WIN32)
struct IndexEntry {
  uint32_t id, size;
  uint64_t end;
};

// The writer's own idx1, with chunk ends as file offsets.
std::vector<IndexEntry> index_of(const Bytes& b) {
  AviLayout l = layout_of(b);
  std::vector<IndexEntry> out;
  size_t idx1 = 0;
  for (size_t at = l.movi.front().padded_end(); at + 8 <= b.size();) {
    uint32_t id, size;
    memcpy(&id, b.data() + at, 4), memcpy(&size, b.data() + at + 4, 4);
    if (id == fourcc("idx1")) {
      idx1 = at;
      break;
    }
    at += 8 + size + (size & 1);
  }
  if (!idx1)
    return out;
  uint32_t idx1_size;
  memcpy(&idx1_size, b.data() + idx1 + 4, 4);
  uint64_t base = l.movi.front().data();  // offsets count from the "movi" word
  for (size_t e = idx1 + 8; e + 16 <= idx1 + 8 + idx1_size; e += 16) {
    uint32_t f[4];
    memcpy(f, b.data() + e, 16);
    out.push_back({f[0], f[3], base + f[2] + 8 + f[3]});
  }
  return out;
}

// ffmpeg's recordings cut at a thousand places: each is listed with the length its own
// index gives the frames it holds.
TEST(AviCutScan, FfmpegRecordingsCutAnywhereMatchTheirIndex) {
  rec_test::fs::path media = rec_test::media_folder(false);
  ASSERT_FALSE(media.empty());
  for (const char* name : {"av.avi", "video.avi", "audio.avi"}) {
    SCOPED_TRACE(name);
    Bytes b = rec_test::read_bytes(media / name);
    AviLayout full = layout_of(b);
    ASSERT_TRUE(full.valid);
    std::vector<IndexEntry> index = index_of(b);
    ASSERT_FALSE(index.empty());
    AviStreamSummary whole = summarize_streams(full);
    uint32_t hdrl_size;
    memcpy(&hdrl_size, b.data() + 16, 4);
    for (uint64_t n = full.movi.front().data() + 4; n <= b.size(); n += b.size() / 1000) {
      CutView view(b, n);
      CutAvi cut;
      ASSERT_TRUE(scan_cut_avi(view, &cut, false)) << n;
      std::vector<AviStreamHeader> expect = full.streams;
      std::vector<uint64_t> chunks(expect.size()), bytes(expect.size());
      for (const IndexEntry& e : index) {
        size_t s = ((e.id & 0xFF) - '0') * 10 + ((e.id >> 8 & 0xFF) - '0');
        if (e.end <= n && s < expect.size())
          ++chunks[s], bytes[s] += e.size;
      }
      for (size_t s = 0; s < expect.size(); ++s) {
        uint32_t unit = expect[s].sample_size ? expect[s].sample_size : 0;
        expect[s].length = static_cast<uint32_t>(unit ? bytes[s] / unit : chunks[s]);
      }
      AviStreamSummary got = summarize_streams(cut.streams);
      EXPECT_EQ(summarize_streams(expect).time_len, got.time_len) << n;
      EXPECT_EQ(whole.has_video, got.has_video);
      EXPECT_EQ(whole.has_audio, got.has_audio);
      // The header list (read twice) and 8 bytes per chunk header around it.
      EXPECT_LE(view.bytes_read(), 2 * (20 + hdrl_size) + 12 * (cut.chunk_count + 8)) << n;
    }
  }
}
#endif

}  // namespace
