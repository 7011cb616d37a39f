#include "ui/core/qel_dlg_download_layout.h"

#include "ui/core/qel_u16_format.h"

namespace {

qel_dlg_download_item item(bool shown) {
  qel_dlg_download_item i;
  i.shown = shown;
  return i;
}

qel_dlg_download_item item(bool shown, int x, int y, int w, int h) {
  qel_dlg_download_item i = item(shown);
  i.place = true;
  i.x = x;
  i.y = y;
  i.w = w;
  i.h = h;
  return i;
}

qel_dlg_download_item with_text(qel_dlg_download_item i, std::u16string text) {
  i.set_text = true;
  i.text = std::move(text);
  return i;
}

void ask(qel_dlg_download_layout* l) {
  l->icon_shown = true;
  l->yes = with_text(item(true), u"&Yes");
  l->no = with_text(item(true), u"&No");
}

}  // namespace

qel_dlg_download_layout qel_dlg_download_phase_layout(int32_t phase,
                                                      int w,
                                                      const qel_dlg_download_texts& t) {
  qel_dlg_download_layout l;
  l.link = item(false);
  switch (phase) {
    case 1:
      l.caption = qel_u16_format(u"%s Upgrade", {t.product_name});
      l.line1 =
          with_text(item(true, 70, 15, w - 80, 30),
                    qel_u16_format(u"%s has a new version %s now. ", {t.product_name, t.version}));
      l.line2 = with_text(item(true, 70, 50, w - 90, 20), u"Do you want to upgrade?");
      ask(&l);
      break;
    case 2:
      l.caption = qel_u16_format(u"Downloading %s %s...", {t.product_name, t.version});
      l.line1 = with_text(item(true, 20, 15, w - 40, 20), l.caption);
      l.line2 = with_text(item(true, 90, 40, w - 40, 15), u"");
      l.progress_shown = true;
      l.yes = item(false);
      l.no = with_text(item(true), u"Cancel");
      break;
    case 3:
      l.caption = qel_u16_format(u"Upgrade %s", {t.product_name});
      l.line1 = with_text(
          item(true, 70, 15, w - 80, 30),
          qel_u16_format(u"A new version %s has been downloaded. Do you want to install it now?",
                         {t.version}));
      l.line2 = with_text(item(true, 70, 50, w - 80, 20), t.exit_first);
      l.progress_reset = true;
      ask(&l);
      break;
    case 4:
      l.caption = u"Download Error";
      l.line1 = with_text(item(true, 70, 15, w - 80, 30),
                          u"Downloading encountered an error. Please click the link below to "
                          u"download using default browser.");
      l.line2 = item(false, 70, 50, w - 80, 20);
      l.icon_shown = true;
      l.icon = kQelDownloadIconWarning;
      l.link = with_text(item(true, 70, 50, w - 80, 20),
                         qel_u16_format(u"http://%s%s", {t.host, t.path}));
      l.link_hyperlink = true;
      l.yes = item(false);
      l.no = item(true);
      break;
    default:
      return l;
  }
  l.valid = true;
  return l;
}

std::u16string qel_dlg_download_progress_text(int32_t percent, int32_t total_kb) {
  return qel_u16_format(u"%d%% of %d KB downloaded.", {percent, total_kb});
}
