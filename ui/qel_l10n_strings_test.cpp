#include "ui/qel_l10n_strings.h"

#include <gtest/gtest.h>

#include <string>

#include "platform/win32/win.h"
#include "qel_lib/qel_assert_capture.h"
#include "ui/core/qel_l10n_string_table.h"
#include "ui/core/qel_ui_text.h"
#include "ui/testing/qel_l10n_reset.h"

namespace {

constexpr unsigned short kEnglish = MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US);
constexpr unsigned short kFrench = MAKELANGID(LANG_FRENCH, SUBLANG_FRENCH);     // partial table
constexpr unsigned short kGerman = MAKELANGID(LANG_GERMAN, SUBLANG_GERMAN);     // no table
constexpr unsigned short kSpanish = MAKELANGID(LANG_SPANISH, SUBLANG_SPANISH);  // damaged block

std::u16string text_of(unsigned int id) {
  const wchar_t* s = qel_l10n_get_string(id);
  return s ? std::u16string(reinterpret_cast<const char16_t*>(s)) : u"<null>";
}

class L10nStrings : public testing::Test {
 protected:
  void TearDown() override { qel_l10n_reset_for_testing(GetUserDefaultUILanguage()); }
};

TEST_F(L10nStrings, EveryKnownIdGivesItsTextOnceCached) {
  for (unsigned short language : {kEnglish, kGerman}) {
    qel_l10n_reset_for_testing(language);
    for (const qel_l10n_string_entry& e : qel_l10n_string_entries()) {
      const wchar_t* first = qel_l10n_get_string(e.id);
      ASSERT_NE(first, nullptr) << e.id;
      EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(first)), e.text)
          << "id " << e.id << " language " << language;
      EXPECT_EQ(qel_l10n_get_string(e.id), first) << e.id;
    }
  }
}

TEST_F(L10nStrings, UnknownIdIsReportedAndGivesNull) {
  AssertCapture capture;
  for (unsigned int id : {0u, 140u, 158u, 40022u}) {
    capture.Clear();
    EXPECT_EQ(qel_l10n_get_string(id), nullptr) << id;
    EXPECT_EQ(capture.count(), 1u) << id;
    EXPECT_TRUE(capture.Has("qel_l10n_get_string", "false")) << id;
  }
}

TEST_F(L10nStrings, LanguageTableWinsAndItsGapsFallBackToTheDefault) {
  qel_l10n_reset_for_testing(kFrench);
  EXPECT_EQ(text_of(138), u"Aujourd\u2019hui");
  EXPECT_EQ(text_of(134), u"Active Streams in MSN");  // same block, not translated
  EXPECT_EQ(text_of(211).substr(0, 37), u"The recording file cannot be created.");
  qel_l10n_reset_for_testing(kGerman);
  EXPECT_EQ(text_of(138), u"Today");
}

TEST_F(L10nStrings, DamagedBlockFallsBackWithoutReadingPastIt) {
  ASSERT_NE(FindResourceExW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(6), MAKEINTRESOURCEW(9),
                            kSpanish),
            nullptr);
  qel_l10n_reset_for_testing(kSpanish);
  EXPECT_EQ(text_of(134), u"Active Streams in MSN");  // its length runs past the block
  EXPECT_EQ(text_of(138), u"Today");                  // beyond the block's end
  EXPECT_EQ(text_of(135), u"%d audio streams");
}

TEST_F(L10nStrings, PortableHalfGetsTheSameWords) {
  qel_l10n_reset_for_testing(kEnglish);
  qel_ui_text_fn fn = &qel_l10n_ui_text;
  EXPECT_EQ(std::u16string(fn(IDS_MONTH_DEC)), u"Dec");
  EXPECT_EQ(static_cast<const void*>(fn(IDS_TODAY)),
            static_cast<const void*>(qel_l10n_get_string(138)));
}

TEST_F(L10nStrings, NonAsciiTextSurvivesTheResourceCompiler) {
  qel_l10n_reset_for_testing(kEnglish);
  EXPECT_EQ(text_of(156).substr(0, 11), u"Copyright \u00a9");
}

}  // namespace
