// The history list's cell texts and widths, and the formatter they are built with.
#include <gtest/gtest.h>

#include "ui/core/qel_abbr_path.h"
#include "ui/core/qel_history_columns.h"
#include "ui/core/qel_time_length_text.h"
#include "ui/core/qel_u16_format.h"

namespace {

TEST(U16Format, ConversionsAndOddInput) {
  EXPECT_EQ(qel_u16_format(u"%s, %02d:%02d", {u"Today", 9, 5}), u"Today, 09:05");
  EXPECT_EQ(qel_u16_format(u"%04d-%d|%3d|%%", {7, -12, 5}), u"0007--12|  5|%");
  EXPECT_EQ(qel_u16_format(u"%03d", {-7}), u"-07");
  EXPECT_EQ(qel_u16_format(u"%d", {INT64_MIN}), u"-9223372036854775808");
  // Missing or mismatched arguments drop the conversion, never read past the list.
  EXPECT_EQ(qel_u16_format(u"a%sb%dc", {}), u"abc");
  EXPECT_EQ(qel_u16_format(u"a%sb", {5}), u"ab");
  EXPECT_EQ(qel_u16_format(u"%x %s", {u"x"}), u"%x x");
  EXPECT_EQ(qel_u16_format(u"end%", {}), u"end%");
  EXPECT_EQ(qel_u16_format(nullptr, {1}), u"");
  // A title is copied as it is, even when it looks like a format.
  EXPECT_EQ(qel_u16_format(u"[%s]", {u"%s%d&&"}), u"[%s%d&&]");
}

TEST(TimeLengthText, MinutesUnderAnHourHoursAbove) {
  EXPECT_EQ(qel_time_length_text(0), u"00:00");
  EXPECT_EQ(qel_time_length_text(59), u"00:59");
  EXPECT_EQ(qel_time_length_text(3599), u"59:59");
  EXPECT_EQ(qel_time_length_text(3600), u"1:00:00");
  EXPECT_EQ(qel_time_length_text(36061), u"10:01:01");
  EXPECT_EQ(qel_time_length_text(INT32_MAX), u"596523:14:07");
  EXPECT_EQ(qel_time_length_text(-1), u"00:00");
  EXPECT_EQ(qel_time_length_text(INT32_MIN), u"00:00");
}

std::u16string abbr(const std::u16string& in, size_t out_len) {
  std::u16string out(out_len + 4, u'#');
  EXPECT_TRUE(dojob_abbr_path(in.c_str(), out.data(), out_len));
  EXPECT_EQ(out.substr(out_len), u"####") << "wrote past the buffer";
  return std::u16string(out.c_str());
}

std::u16string numbered(size_t n) {
  std::u16string s;
  for (size_t i = 0; i < n; ++i)
    s.push_back(static_cast<char16_t>(u'a' + i % 26));
  return s;
}

TEST(AbbrPath, LongPathsKeepHeadAndTail) {
  std::u16string path = u"C:\\" + numbered(200);
  std::u16string out = abbr(path, 80);
  EXPECT_EQ(out.size(), 79u);
  EXPECT_EQ(out, path.substr(0, 40) + u" ..." + path.substr(path.size() - 35));
  std::u16string twenty = abbr(path, 20);
  EXPECT_EQ(twenty, path.substr(0, 10) + u" ..." + path.substr(path.size() - 5));
  EXPECT_EQ(abbr(path, 21), path.substr(0, 10) + u" ..." + path.substr(path.size() - 6));
}

TEST(AbbrPath, ShortBuffersEndInDotsOrAreCut) {
  std::u16string thirty = numbered(30);
  EXPECT_EQ(abbr(thirty, 10), thirty.substr(0, 6) + u"...");
  EXPECT_EQ(abbr(thirty, 19), thirty.substr(0, 15) + u"...");
  EXPECT_EQ(abbr(thirty, 5), u"a...");
  EXPECT_EQ(abbr(thirty, 4), u"abc");
  EXPECT_EQ(abbr(thirty, 1), u"");
}

TEST(AbbrPath, PathsThatFitAreCopiedWhole) {
  std::u16string fits = numbered(79);
  EXPECT_EQ(abbr(fits, 80), fits);
  EXPECT_NE(abbr(numbered(80), 80), numbered(80)) << "80 characters need 81 with the end";
}

TEST(AbbrPath, RejectsWhatItCannotShorten) {
  char16_t out[8] = u"keep";
  EXPECT_FALSE(dojob_abbr_path(nullptr, out, 8));
  EXPECT_FALSE(dojob_abbr_path(u"", out, 8));
  EXPECT_FALSE(dojob_abbr_path(u"x", out, 0));
  EXPECT_FALSE(dojob_abbr_path(u"x", nullptr, 8));
  EXPECT_EQ(std::u16string(out), u"keep");
}

float width_by_length(const char16_t* text, void* context) {
  float per_char = *static_cast<float*>(context);
  size_t n = 0;
  while (text[n])
    ++n;
  return n * per_char;
}

TEST(HistoryColumns, StartTimeWidthIsTheWidestSample) {
  float per_char = 6.6f;
  // "2099-99-99, 99:99" has 17 characters: 112.2 -> 112 + 1.
  EXPECT_EQ(qel_start_time_column_width(&width_by_length, &per_char), 113);
  EXPECT_EQ(qel_start_time_column_width(nullptr, nullptr), 1);
}

TEST(HistoryColumns, NameTakesTheRestAndFallsBackWhenNarrow) {
  qel_column_widths w{};
  ASSERT_TRUE(qel_compute_column_widths(600, 113, &w));
  EXPECT_EQ(w, (qel_column_widths{367, 113, 80, 15, 15}));
  ASSERT_TRUE(qel_compute_column_widths(234, 113, &w));
  EXPECT_EQ(w[0], 1);
  ASSERT_TRUE(qel_compute_column_widths(233, 113, &w));
  EXPECT_EQ(w[0], 200) << "nothing left for the name";
  ASSERT_TRUE(qel_compute_column_widths(40, 113, &w));
  EXPECT_EQ(w, (qel_column_widths{200, 113, 80, 15, 15}));
}

TEST(HistoryColumns, NoClientWidthChangesNothing) {
  qel_column_widths w{1, 2, 3, 4, 5};
  EXPECT_FALSE(qel_compute_column_widths(0, 113, &w));
  EXPECT_FALSE(qel_compute_column_widths(-10, 113, &w));
  EXPECT_EQ(w, (qel_column_widths{1, 2, 3, 4, 5}));
}

}  // namespace
