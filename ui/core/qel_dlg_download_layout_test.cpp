#include "ui/core/qel_dlg_download_layout.h"

#include <gtest/gtest.h>

#include <string>

namespace {

std::string narrow(const std::u16string& s) {
  return std::string(s.begin(), s.end());
}

std::string where(const qel_dlg_download_item& i) {
  std::string s = i.shown ? "shown" : "hidden";
  if (i.place)
    s += " " + std::to_string(i.x) + "," + std::to_string(i.y) + " " + std::to_string(i.w) + "x" +
         std::to_string(i.h);
  if (i.set_text)
    s += " \"" + narrow(i.text) + "\"";
  return s;
}

const qel_dlg_download_texts kTexts{u"Quorvantine for Msn", u"1.3.0.0", u"www.quorvantine.com",
                                    u"/setup.exe", u"Please exit MSN firstly before installation."};

TEST(DlgDownloadLayout, EachPhaseAsTheUserSeesIt) {
  const int w = 375;
  auto l = qel_dlg_download_phase_layout(1, w, kTexts);
  EXPECT_EQ(narrow(l.caption), "Quorvantine for Msn Upgrade");
  EXPECT_EQ(where(l.line1),
            "shown 70,15 295x30 \"Quorvantine for Msn has a new version 1.3.0.0 now. \"");
  EXPECT_EQ(where(l.line2), "shown 70,50 285x20 \"Do you want to upgrade?\"");
  EXPECT_EQ(where(l.yes) + " | " + where(l.no), "shown \"&Yes\" | shown \"&No\"");
  EXPECT_TRUE(l.icon_shown);
  EXPECT_FALSE(l.progress_shown);
  EXPECT_FALSE(l.link.shown);

  l = qel_dlg_download_phase_layout(2, w, kTexts);
  EXPECT_EQ(narrow(l.caption), "Downloading Quorvantine for Msn 1.3.0.0...");
  EXPECT_EQ(where(l.line1), "shown 20,15 335x20 \"Downloading Quorvantine for Msn 1.3.0.0...\"");
  EXPECT_EQ(where(l.line2), "shown 90,40 335x15 \"\"");
  EXPECT_EQ(where(l.yes) + " | " + where(l.no), "hidden | shown \"Cancel\"");
  EXPECT_FALSE(l.icon_shown);
  EXPECT_TRUE(l.progress_shown);

  l = qel_dlg_download_phase_layout(3, w, kTexts);
  EXPECT_EQ(narrow(l.caption), "Upgrade Quorvantine for Msn");
  EXPECT_EQ(where(l.line1),
            "shown 70,15 295x30 \"A new version 1.3.0.0 has been downloaded. Do you want to "
            "install it now?\"");
  EXPECT_EQ(where(l.line2), "shown 70,50 295x20 \"Please exit MSN firstly before installation.\"");
  EXPECT_TRUE(l.progress_reset);
  EXPECT_FALSE(l.progress_shown);

  l = qel_dlg_download_phase_layout(4, w, kTexts);
  EXPECT_EQ(narrow(l.caption), "Download Error");
  EXPECT_EQ(where(l.line2), "hidden 70,50 295x20");
  EXPECT_EQ(where(l.link), "shown 70,50 295x20 \"http://www.quorvantine.com/setup.exe\"");
  EXPECT_TRUE(l.link_hyperlink);
  EXPECT_EQ(l.icon, kQelDownloadIconWarning);
  EXPECT_EQ(where(l.yes) + " | " + where(l.no), "hidden | shown");

  EXPECT_FALSE(qel_dlg_download_phase_layout(0, w, kTexts).valid);
  EXPECT_FALSE(qel_dlg_download_phase_layout(5, w, kTexts).valid);
}

TEST(DlgDownloadLayout, ProgressText) {
  EXPECT_EQ(narrow(qel_dlg_download_progress_text(48, 2)), "48% of 2 KB downloaded.");
  EXPECT_EQ(narrow(qel_dlg_download_progress_text(100, 524288)), "100% of 524288 KB downloaded.");
}

}  // namespace
