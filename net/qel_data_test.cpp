#include "net/qel_data.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "net/mime_header.h"
#include "qel_lib/qel_assert_capture.h"

namespace {

std::string Text(const ZulData& d) {
  return d.GetLength() ? std::string(reinterpret_cast<const char*>(d.GetData()), d.GetLength())
                       : std::string();
}

TEST(ZulData, GrowsInWholeStepsAboveTheNeed) {
  ZulData empty(0, 256);
  EXPECT_EQ(empty.GetCapacity(), 0u);
  EXPECT_EQ(empty.GetData(), nullptr);
  ZulData one(0, 256);
  one.Append("x", 1);
  EXPECT_EQ(one.GetCapacity(), 256u);
  ZulData full(0, 256);
  std::string block(256, 'a');
  EXPECT_EQ(full.Append(block.data(), 256), 256u);
  EXPECT_EQ(full.GetCapacity(), 512u);
  EXPECT_EQ(ZulData(300, 100).GetCapacity(), 400u);
  EXPECT_EQ(full.Expand(10), 512u);  // never shrinks
}

TEST(ZulData, ConsumeDropsFromTheFrontAndKeepsTheCapacity) {
  ZulData d(0, 16);
  d.Append("abcdefgh", 8);
  uint32_t capacity = d.GetCapacity();
  d.Consume(0);
  EXPECT_EQ(Text(d), "abcdefgh");
  d.Consume(3);
  EXPECT_EQ(Text(d), "defgh");
  EXPECT_EQ(*d.GetData(4), 'h');
  EXPECT_EQ(d.GetData(5), nullptr);
  d.Consume(99);
  EXPECT_EQ(d.GetLength(), 0u);
  EXPECT_EQ(d.GetData(0), nullptr);
  EXPECT_EQ(d.GetCapacity(), capacity);
}

TEST(ZulData, CopiesShareTheBytesAndManySmallAppendsStayIntact) {
  ZulData a(0, 256);
  ZulData b = a;
  b.Append("shared", 6);
  EXPECT_EQ(Text(a), "shared");
  EXPECT_TRUE(a.SharesWith(b));
  EXPECT_FALSE(a.SharesWith(ZulData(0, 256)));
  std::string expected = "shared";
  for (int i = 0; i < 5000; ++i) {
    std::string piece = std::to_string(i) + ",";
    a.Append(piece.data(), static_cast<uint32_t>(piece.size()));
    expected += piece;
  }
  EXPECT_EQ(Text(b), expected);
}

TEST(ZulData, ImpossibleGrowthIsReportedAndWritesNothing) {
  AssertCapture capture;
  ZulData d(0, 256);
  d.Append("abc", 3);
  EXPECT_EQ(d.Expand(UINT32_MAX), 256u);
  EXPECT_TRUE(capture.Has("ZulDataImpl::Expand", "false"));
  EXPECT_EQ(d.Append("x", UINT32_MAX), 3u);  // would overflow the length
  EXPECT_EQ(Text(d), "abc");
}

// A receive fills the reserved room in place; only what Commit counts is in use.
TEST(ZulData, ReservedRoomIsFilledInPlaceAndTruncated) {
  ZulData d(0, 256);
  d.Append("ab", 2);
  uint8_t* room = d.Reserve(300);
  ASSERT_NE(room, nullptr);
  EXPECT_GE(d.GetCapacity(), 302u);
  std::memcpy(room, "cdef", 4);
  d.Commit(4);
  EXPECT_EQ(Text(d), "abcdef");
  d.Commit(UINT32_MAX);  // never beyond the capacity
  EXPECT_EQ(d.GetLength(), d.GetCapacity());
  d.Truncate(3);
  EXPECT_EQ(Text(d), "abc");
  d.Truncate(10);
  EXPECT_EQ(Text(d), "abc");
  EXPECT_EQ(d.Reserve(UINT32_MAX), nullptr);
  ZulData other = d;
  EXPECT_FALSE(d.IsSole());
  other = ZulData(0, 256);
  EXPECT_TRUE(d.IsSole());
}

TEST(MimeHeader, LoadsFieldsWithFoldedLinesAndFindsThemByAnyCase) {
  std::string block =
      "Content-Length: 42\r\nX-Long:\t first\r\n  second\r\nx-long: again\r\n\r\nbody";
  CMimeHeader h;
  size_t used = 0;
  ASSERT_TRUE(h.Load(block.data(), block.size(), &used));
  EXPECT_EQ(used, block.size() - 4);
  ASSERT_EQ(h.Fields().size(), 3u);
  ASSERT_NE(h.Find("content-LENGTH"), nullptr);
  EXPECT_EQ(h.Find("content-LENGTH")->value, "42");
  EXPECT_EQ(h.Find("X-LONG")->value, "first  second");
  EXPECT_EQ(h.Find("missing"), nullptr);
  // Only CR LF ends a line: a lone CR stays in the value as it came.
  CMimeHeader lone;
  std::string cr = "X-Cr: one\rtwo\r\n\r\n";
  ASSERT_TRUE(lone.Load(cr.data(), cr.size()));
  ASSERT_NE(lone.Find("x-cr"), nullptr);
  EXPECT_EQ(lone.Find("x-cr")->value, "one\rtwo");
  h.Clear();
  EXPECT_EQ(h.Find("Content-Length"), nullptr);
}

TEST(MimeHeader, RejectsLinesWithoutColonOrUnendedFields) {
  const char* bad[] = {"NoColon\r\n\r\n", "A: b", "A: b\r", "A: b\r\n second"};
  for (const char* text : bad) {
    CMimeHeader h;
    EXPECT_FALSE(h.Load(text, std::strlen(text))) << text;
  }
  CMimeHeader empty;
  EXPECT_TRUE(empty.Load("\r\n", 2));
  EXPECT_TRUE(empty.Fields().empty());
}

}  // namespace
