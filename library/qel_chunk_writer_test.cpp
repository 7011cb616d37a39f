#include "library/qel_chunk_writer.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "library/avi_test_builder.h"
#include "library/riff_reader.h"

namespace {

using namespace avi_test;

struct Tagged {
  QelChunkPlacement placement;
  Bytes bytes;
};

Tagged tag(const Bytes& file, const Bytes& payload) {
  MemoryAviTarget t(file);
  QelChunkPlacement p = write_qel_chunk(t, payload.data(), static_cast<uint32_t>(payload.size()));
  return {p, t.bytes()};
}

uint32_t get32(const Bytes& b, size_t at) {
  uint32_t v;
  memcpy(&v, b.data() + at, 4);
  return v;
}

// The movie data: every chunk of every movi list except the OpenDML "ix##" indexes, whose
// base offsets move when the file is rewritten.
Bytes media(const Bytes& b) {
  Bytes m;
  for (const RiffChunk& c : layout_of(b).movi) {
    for (uint64_t at = c.data() + 4; at < c.data() + c.size;) {
      uint32_t size = get32(b, at + 4);
      if (memcmp(b.data() + at, "ix", 2) != 0)
        m.insert(m.end(), b.begin() + at, b.begin() + at + 8 + size + (size & 1));
      at += 8 + size + (size & 1);
    }
  }
  return m;
}

// Checks what every write must leave: a valid file, the same media, the new chunk.
void expect_tagged(const Bytes& before, const Tagged& after, const Bytes& payload) {
  ASSERT_TRUE(layout_of(after.bytes).valid);
  EXPECT_EQ(media(before), media(after.bytes));
  EXPECT_EQ(payload, chunk_of(after.bytes));
  EXPECT_EQ(1u, layout_of(after.bytes).qel.size());
}

TEST(QelChunkWriter, UsesTheCheapestPlacementAndKeepsTheMedia) {
  Bytes v2 = qel_payload(2, 36, 9, 77);
  struct Case {
    const char* name;
    AviShape shape;
    QelChunkPlacement expected;
    int64_t growth;
  };
  AviShape in_place, junk_exact, junk_split, hdrl_junk, odd_junk, small_junk, bare;
  in_place.qel_top = qel_payload(2, 36);
  junk_exact.top_junk = 36;
  junk_split.top_junk = 1016;
  hdrl_junk.hdrl_junk = 100;
  odd_junk.top_junk = 35;    // padded to 36: fits exactly once its size says 36
  small_junk.top_junk = 40;  // too small to split, too large to fit
  const Case cases[] = {
      {"in place", in_place, QelChunkPlacement::kInPlace, 0},
      {"junk exact", junk_exact, QelChunkPlacement::kJunk, 0},
      {"junk split", junk_split, QelChunkPlacement::kJunk, 0},
      {"hdrl junk", hdrl_junk, QelChunkPlacement::kJunk, 0},
      {"odd junk", odd_junk, QelChunkPlacement::kJunk, 0},
      {"small junk", small_junk, QelChunkPlacement::kAppend, 44},
      {"bare", bare, QelChunkPlacement::kAppend, 44},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Bytes before = build(c.shape);
    Tagged after = tag(before, v2);
    EXPECT_EQ(c.expected, after.placement);
    EXPECT_EQ(static_cast<int64_t>(before.size()) + c.growth,
              static_cast<int64_t>(after.bytes.size()));
    expect_tagged(before, after, v2);
    EXPECT_EQ(after.bytes.size() - 8, get32(after.bytes, 4));
  }
  Tagged split = tag(build(junk_split), v2);
  ASSERT_EQ(1u, layout_of(split.bytes).header_junk.size());
  EXPECT_EQ(1016u - 44u, layout_of(split.bytes).header_junk[0].size);
}

TEST(QelChunkWriter, ChangingTheLengthRetiresTheOldChunk) {
  AviShape s;
  s.qel_hdrl = qel_payload(1, 24);
  s.top_junk = 200;
  Bytes before = build(s);
  Bytes v2 = qel_payload(2, 36, 3, 5);
  Tagged a = tag(before, v2);
  EXPECT_EQ(QelChunkPlacement::kJunk, a.placement);
  expect_tagged(before, a, v2);
  // Back to 24 bytes: the retired chunk's 24 bytes of JUNK take it.
  Bytes v1 = qel_payload(1, 24, 4, 6);
  Tagged b = tag(a.bytes, v1);
  EXPECT_EQ(QelChunkPlacement::kJunk, b.placement);
  expect_tagged(before, b, v1);
  EXPECT_EQ(before.size(), b.bytes.size());
  // Without room the new chunk is appended and the old one still retired.
  AviShape bare;
  bare.qel_top = qel_payload(1, 24);
  Tagged c = tag(build(bare), v2);
  EXPECT_EQ(QelChunkPlacement::kAppend, c.placement);
  expect_tagged(build(bare), c, v2);
}

TEST(QelChunkWriter, OpenDmlFileWithoutRoomIsRewrittenWithItsIndexesMoved) {
  AviShape s;
  s.avix_segments = 2;
  s.odml_index = true;
  Bytes before = build(s);
  Bytes v2 = qel_payload(2, 36);
  Tagged after = tag(before, v2);
  EXPECT_EQ(QelChunkPlacement::kRewrite, after.placement);
  expect_tagged(before, after, v2);
  AviLayout l = layout_of(after.bytes);
  ASSERT_EQ(2u, l.segments.size());
  // Each super index entry still names its segment's ix chunk, whose base moved along.
  uint64_t entries = l.indx[0].data() + 24;
  for (size_t k = 0; k < 2; ++k) {
    uint32_t ix = get32(after.bytes, entries + 16 * k);
    EXPECT_EQ(l.segments[k].offset + 24, ix);
    EXPECT_EQ(0, memcmp(after.bytes.data() + ix, "ix00", 4));
    EXPECT_EQ(ix, get32(after.bytes, ix + 8 + 12));
  }
  // With JUNK in the header the same file is tagged in place instead.
  s.top_junk = 100;
  EXPECT_EQ(QelChunkPlacement::kJunk, tag(build(s), v2).placement);
}

TEST(QelChunkWriter, BytesAfterTheRiffAreKeptOrAdopted) {
  AviShape s;
  Bytes riff = build(s);
  Bytes v2 = qel_payload(2, 36);
  // Foreign bytes after the movie are copied along, not overwritten.
  Bytes tail = riff;
  Bytes foreign = chunk("RIFF", Bytes(8, 1));
  tail.insert(tail.end(), foreign.begin(), foreign.end());
  Tagged kept = tag(tail, v2);
  EXPECT_EQ(QelChunkPlacement::kRewrite, kept.placement);
  expect_tagged(tail, kept, v2);
  EXPECT_TRUE(std::equal(foreign.begin(), foreign.end(), kept.bytes.end() - foreign.size()));
  // A chunk left after the RIFF by an append cut short is taken in; the write goes on.
  Bytes cut = riff;
  Bytes left = chunk("_qel", qel_payload(1, 24));
  cut.insert(cut.end(), left.begin(), left.end());
  Tagged adopted = tag(cut, qel_payload(1, 24, 5));
  EXPECT_EQ(QelChunkPlacement::kInPlace, adopted.placement);
  EXPECT_EQ(cut.size(), adopted.bytes.size());
  expect_tagged(riff, adopted, qel_payload(1, 24, 5));
}

TEST(QelChunkWriter, MalformedFilesAreNeverWritten) {
  AviShape s;
  s.top_junk = 100;
  Bytes good = build(s);
  Bytes v2 = qel_payload(2, 36);
  std::vector<Bytes> bad = {Bytes(good.begin(), good.end() - 1), Bytes(), Bytes(12, 0)};
  Bytes huge = good;
  uint32_t ff = 0xFFFFFFFF;
  memcpy(huge.data() + 4, &ff, 4);
  bad.push_back(huge);
  for (const Bytes& b : bad) {
    Tagged t = tag(b, v2);
    EXPECT_EQ(QelChunkPlacement::kFailed, t.placement);
    EXPECT_EQ(b, t.bytes);
  }
  EXPECT_EQ(QelChunkPlacement::kFailed, tag(good, Bytes()).placement);
}

// Tagging runs on the UI thread right after the engine closed its file: a flush of the
// recording would wait until all of the engine's data still in the cache reached the disk.
class FlushCounter : public ByteFile {
 public:
  explicit FlushCounter(ByteFile& file) : file_(file) {}
  bool read_at(uint64_t o, void* d, uint32_t n) override { return file_.read_at(o, d, n); }
  bool size(uint64_t* out) override { return file_.size(out); }
  bool write_at(uint64_t o, const void* d, uint32_t n) override { return file_.write_at(o, d, n); }
  bool flush() override { return ++flushes > 0; }
  int flushes = 0;

 private:
  ByteFile& file_;
};

class FlushCountingTarget : public MemoryAviTarget {
 public:
  using MemoryAviTarget::MemoryAviTarget;
  ByteFile& original() override { return counter; }
  FlushCounter counter{MemoryAviTarget::original()};
};

TEST(QelChunkWriter, TaggingInPlaceNeverFlushesTheRecording) {
  AviShape padded;
  padded.top_junk = 1016;
  Bytes v2 = qel_payload(2, 36);
  struct Case {
    Bytes file;
    QelChunkPlacement expected;
  } cases[] = {{build(padded), QelChunkPlacement::kJunk},
               {tag(build(padded), v2).bytes, QelChunkPlacement::kInPlace},
               {build(AviShape()), QelChunkPlacement::kAppend}};
  for (const Case& c : cases) {
    FlushCountingTarget t(c.file);
    EXPECT_EQ(c.expected, write_qel_chunk(t, v2.data(), static_cast<uint32_t>(v2.size())));
    EXPECT_EQ(0, t.counter.flushes);
    EXPECT_EQ(v2, chunk_of(t.bytes()));
  }
}

}  // namespace
