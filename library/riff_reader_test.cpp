#include "library/riff_reader.h"

#include <gtest/gtest.h>

#include "library/avi_stream_info.h"
#include "library/avi_test_builder.h"

namespace {

using namespace avi_test;

// The largest chunk a reader takes: a version 2 payload.
constexpr uint32_t kCap = 36;

void set32(Bytes* b, size_t at, uint32_t v) {
  memcpy(b->data() + at, &v, 4);
}

size_t find(const Bytes& b, const char* id, size_t from = 0) {
  for (size_t i = from; i + 4 <= b.size(); ++i)
    if (memcmp(b.data() + i, id, 4) == 0)
      return i;
  return std::string::npos;
}

TEST(RiffReader, FindsTheChunkWhereverReadersKeepIt) {
  Bytes v2 = qel_payload(2, 36);
  for (int where = 0; where < 3; ++where) {
    AviShape s;
    (where == 0 ? s.qel_hdrl : where == 1 ? s.qel_top : s.qel_tail) = v2;
    Bytes b = build(s);
    AviLayout l = layout_of(b);
    ASSERT_TRUE(l.valid) << where;
    EXPECT_EQ(2u, l.streams.size());
    EXPECT_EQ(1u, l.movi.size());
    EXPECT_EQ(v2, chunk_of(b, kCap)) << where;
  }
  // The first in file order wins: hdrl comes before everything else.
  AviShape s;
  s.qel_hdrl = qel_payload(1, 24);
  s.qel_tail = v2;
  EXPECT_EQ(qel_payload(1, 24), chunk_of(build(s), kCap));
}

TEST(RiffReader, ChunkReadHonoursTheBufferSize) {
  AviShape s;
  s.qel_top = Bytes(40, 1);
  EXPECT_TRUE(chunk_of(build(s), kCap).empty());
  EXPECT_EQ(40u, chunk_of(build(s), 64).size());
  s.qel_top.clear();
  EXPECT_TRUE(chunk_of(build(s), kCap).empty());
}

TEST(RiffReader, EveryTruncationIsRefused) {
  AviShape s;
  s.qel_tail = qel_payload(2, 36);
  Bytes b = build(s);
  for (size_t n = 0; n < b.size(); ++n) {
    Bytes cut(b.begin(), b.begin() + n);
    AviLayout l = layout_of(cut);
    EXPECT_FALSE(l.valid) << n;
    EXPECT_TRUE(l.streams.empty() && l.qel.empty());
  }
}

TEST(RiffReader, MalformedShapesGiveNothing) {
  AviShape s;
  s.qel_top = qel_payload(2, 36);
  const Bytes good = build(s);
  ASSERT_TRUE(layout_of(good).valid);
  auto broken = [&](auto edit) {
    Bytes b = good;
    edit(&b);
    AviLayout l = layout_of(b);
    return !l.valid && l.streams.empty() && l.qel.empty() && chunk_of(b, kCap).empty();
  };
  EXPECT_TRUE(broken([](Bytes* b) { set32(b, 4, 0xFFFFFFFF); }));
  EXPECT_TRUE(broken([](Bytes* b) { set32(b, find(*b, "strf") + 4, 0xFFFFFFFF); }));
  // A list larger than its parent.
  EXPECT_TRUE(broken([](Bytes* b) { set32(b, find(*b, "strl") - 4, 100000); }));
  EXPECT_TRUE(broken([](Bytes* b) { memcpy(b->data() + 8, "WAVE", 4); }));
  EXPECT_TRUE(broken([](Bytes* b) { memcpy(b->data() + find(*b, "hdrl"), "hdrx", 4); }));
  EXPECT_TRUE(broken([](Bytes* b) { memcpy(b->data() + find(*b, "movi"), "movx", 4); }));
  EXPECT_TRUE(broken([](Bytes* b) { memcpy(b->data() + find(*b, "avih"), "avix", 4); }));
  EXPECT_TRUE(broken([](Bytes* b) { set32(b, find(*b, "strh") + 4, 20); }));
}

TEST(RiffReader, OddSizeNeedsItsPadByte) {
  AviShape s;
  s.qel_tail = Bytes(35, 1);
  Bytes b = build(s);
  ASSERT_TRUE(layout_of(b).valid);
  b.pop_back();
  set32(&b, 4, static_cast<uint32_t>(b.size() - 8));
  EXPECT_FALSE(layout_of(b).valid);
}

TEST(RiffReader, DeepNestingAndMissingStreamsAreRefused) {
  Bytes inner = chunk("abcd", Bytes(4, 0));
  for (int i = 0; i < 12; ++i)
    inner = list("LIST", "deep", {inner});
  Bytes deep =
      list("RIFF", "AVI ",
           {list("LIST", "hdrl", {chunk("avih", Bytes(56, 0)), inner}), movi_list(100, 1)});
  EXPECT_FALSE(layout_of(deep).valid);
  Bytes no_streams = list("RIFF", "AVI ",
                          {list("LIST", "hdrl", {chunk("avih", Bytes(56, 0))}), movi_list(100, 1)});
  EXPECT_FALSE(layout_of(no_streams).valid);
  Bytes empty_strl =
      list("RIFF", "AVI ",
           {list("LIST", "hdrl", {chunk("avih", Bytes(56, 0)), list("LIST", "strl", {})}),
            movi_list(100, 1)});
  EXPECT_FALSE(layout_of(empty_strl).valid);
}

TEST(RiffReader, OpenDmlSegmentsAndTrailingBytes) {
  AviShape s;
  s.avix_segments = 2;
  s.odml_index = true;
  Bytes b = build(s);
  AviLayout l = layout_of(b);
  ASSERT_TRUE(l.valid);
  EXPECT_EQ(2u, l.segments.size());
  EXPECT_EQ(3u, l.movi.size());
  EXPECT_EQ(1u, l.indx.size());
  // Bytes after the movie are no part of it.
  Bytes tail = b;
  tail.insert(tail.end(), {'x', 'y', 'z'});
  EXPECT_TRUE(layout_of(tail).valid);
  // A segment cut short is a truncated file.
  Bytes cut(b.begin(), b.end() - 10);
  EXPECT_FALSE(layout_of(cut).valid);
}

TEST(AviStreamInfo, SampleTimesRoundLikeMulDiv) {
  EXPECT_EQ(3, mul_div(5, 3, 5));
  EXPECT_EQ(2, mul_div(3, 1, 2));    // 1.5 rounds up
  EXPECT_EQ(-2, mul_div(-3, 1, 2));  // and away from zero below it
  EXPECT_EQ(-1, mul_div(1, 1, 0));
  EXPECT_EQ(-1, mul_div(0x7FFFFFFF, 4, 1));
  AviStreamHeader ntsc{fourcc("vids"), 1001, 30000, 0, 0};
  EXPECT_EQ(33, avi_sample_to_time(ntsc, 1));  // 33.366
  EXPECT_EQ(67, avi_sample_to_time(ntsc, 2));  // 66.733
}

TEST(AviStreamInfo, LengthIsWholeSecondsPlusOne) {
  auto secs = [](uint32_t scale, uint32_t rate, uint32_t start, uint32_t length) {
    return avi_stream_seconds({fourcc("vids"), scale, rate, start, length});
  };
  EXPECT_EQ(3, secs(1, 1000, 0, 2000));
  EXPECT_EQ(2, secs(1, 1000, 0, 1999));
  EXPECT_EQ(2, secs(1, 1000, 500, 1999));
  EXPECT_EQ(0, secs(1, 1000, 0, 0));
  EXPECT_EQ(0, secs(1, 0, 0, 100));  // no rate: the interface gives -1 for both ends
  AviShape s;
  s.streams = {{"vids", 1, 25, 0, 262}, {"auds", 1, 8000, 0, 80000}};  // 10.48 s, 10 s
  AviStreamSummary sum = summarize_streams(layout_of(build(s)));
  EXPECT_TRUE(sum.has_video && sum.has_audio);
  EXPECT_EQ(11, sum.time_len);
  s.streams = {{"auds", 1, 8000, 0, 8000}, {"txts", 1, 1, 0, 0}};
  sum = summarize_streams(layout_of(build(s)));
  EXPECT_FALSE(sum.has_video);
  EXPECT_TRUE(sum.has_audio);
  EXPECT_EQ(2, sum.time_len);
}

}  // namespace
