#include "ui/core/qel_l10n_string_table.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

// Plain numbers on purpose: a wrong value in res/resource.h must fail here.
const std::vector<unsigned int> kKnownIds = {
    134,   135,   136,   137,   138,   139,   141,   142,   143,   155,   156,   157,
    159,   164,   165,   170,   171,   173,   191,   192,   194,   195,   196,   197,
    198,   199,   200,   201,   202,   203,   210,   211,   212,   213,   214,   215,
    219,   221,   222,   223,   224,   225,   226,   227,   228,   229,   230,   240,
    241,   242,   243,   244,   245,   246,   247,   248,   249,   250,   251,   252,
    40010, 40011, 40012, 40013, 40014, 40015, 40016, 40017, 40018, 40019, 40020, 40021,
    40030, 40031, 40032, 40033, 40034, 40035, 40036};

TEST(L10nStringTable, KnowsExactlyTheProgramsIdsInAscendingOrder) {
  std::vector<unsigned int> ids;
  for (const qel_l10n_string_entry& e : qel_l10n_string_entries()) {
    ids.push_back(e.id);
    ASSERT_NE(e.text, nullptr) << e.id;
    EXPECT_NE(e.text[0], u'\0') << e.id;
  }
  EXPECT_EQ(ids, kKnownIds);
  for (size_t i = 0; i < kKnownIds.size(); ++i)
    EXPECT_EQ(qel_l10n_string_index(kKnownIds[i]), static_cast<int>(i)) << kKnownIds[i];
}

TEST(L10nStringTable, UnknownIdsHaveNoIndexAndNoText) {
  for (unsigned int id : {0u, 1u, 133u, 140u, 144u, 158u, 216u, 231u, 239u, 40009u, 40022u, 40029u,
                          40037u, 65535u, 0xFFFFFFFFu}) {
    EXPECT_EQ(qel_l10n_string_index(id), -1) << id;
    EXPECT_EQ(qel_l10n_default_text(id), nullptr) << id;
  }
}

TEST(L10nStringTable, TextsAreTheProgramsOwn) {
  auto text = [](unsigned int id) { return std::u16string(qel_l10n_default_text(id)); };
  EXPECT_EQ(text(134), u"Active Streams in MSN");
  EXPECT_EQ(text(135), u"%d audio streams");
  EXPECT_EQ(text(142), u"change...");
  EXPECT_EQ(text(159), u"Please exit MSN firstly before installation.");
  EXPECT_EQ(text(164), u"Quorvantine Video Recorder for MSN");
  EXPECT_EQ(text(165), u"Quorvantine Video Recorder for MSN");
  EXPECT_EQ(text(194), u"Are you sure you want to delete the file %s?");
  EXPECT_EQ(text(211),
            u"The recording file cannot be created. Please make sure the recording folder exists "
            u"and is accessible.");
  EXPECT_EQ(text(212), u"Failed to use the directory \"%s\":");
  EXPECT_EQ(text(215), u"This directory is not accessible");
  EXPECT_EQ(text(219), u"   ");
  EXPECT_EQ(text(221), u"Your recordings are saved");
  EXPECT_EQ(text(224), u"Set Recording Folder...");
  EXPECT_EQ(text(225), u"%d files, %d minutes recorded in total");
}

TEST(L10nStringTable, MonthsAndWeekdaysFollowTheCalendarNumbers) {
  const char16_t* months[] = {u"Jan", u"Feb", u"Mar", u"Apr", u"May", u"Jun",
                              u"Jul", u"Aug", u"Sep", u"Oct", u"Nov", u"Dec"};
  for (unsigned int m = 0; m < 12; ++m)
    EXPECT_EQ(std::u16string(qel_l10n_default_text(40010 + m)), months[m]) << m;
  const char16_t* days[] = {u"Sun", u"Mon", u"Tue", u"Wed", u"Thu", u"Fri", u"Sat"};
  for (unsigned int d = 0; d < 7; ++d)
    EXPECT_EQ(std::u16string(qel_l10n_default_text(40030 + d)), days[d]) << d;
}

}  // namespace
