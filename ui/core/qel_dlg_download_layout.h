// What the download dialog shows in each phase: caption, the two message lines, which
// controls are visible, and where everything goes for a client area W pixels wide. The
// window applies it; this file decides.
#pragma once

#include <cstdint>
#include <string>

// The window's own words when an installer fails its check (the failure phase's line 1).
inline constexpr char16_t kQelDownloadNotVerified[] =
    u"The download could not be verified. Please click the link below to download using "
    u"default browser.";

struct qel_dlg_download_item {
  bool shown = false;
  bool set_text = false;  // otherwise the text stays as it was
  std::u16string text;
  bool place = false;  // otherwise the item stays where it was
  int x = 0, y = 0, w = 0, h = 0;
};

enum qel_dlg_download_icon {
  kQelDownloadIconKeep = 0,
  kQelDownloadIconQuestion,
  kQelDownloadIconWarning
};

struct qel_dlg_download_layout {
  bool valid = false;  // false for a phase that has no layout
  std::u16string caption;
  qel_dlg_download_item line1, line2, link, yes, no;
  bool icon_shown = false;
  qel_dlg_download_icon icon = kQelDownloadIconKeep;
  bool progress_shown = false;
  bool progress_reset = false;  // range 0-100 again
  bool link_hyperlink = false;
};

struct qel_dlg_download_texts {
  std::u16string product_name;
  std::u16string version;
  std::u16string host;
  std::u16string path;
  std::u16string exit_first;  // string 159
};

qel_dlg_download_layout qel_dlg_download_phase_layout(int32_t phase,
                                                      int client_width,
                                                      const qel_dlg_download_texts& texts);
// "48% of 2 KB downloaded."
std::u16string qel_dlg_download_progress_text(int32_t percent, int32_t total_kb);
