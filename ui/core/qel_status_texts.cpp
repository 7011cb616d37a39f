#include "ui/core/qel_status_texts.h"

#include "ui/core/qel_u16_format.h"

std::u16string qel_status_total_text(int _files, int _minutes, qel_ui_text_fn _text) {
  const char16_t* format = _text ? _text(IDS_TOTALS_FMT) : nullptr;
  return qel_u16_format(format ? format : u"", {_files, _minutes});
}

std::u16string qel_status_change_text(int _files, int _minutes, qel_ui_text_fn _text) {
  const char16_t* files = _text ? _text(IDS_FILES) : nullptr;
  const char16_t* minutes = _text ? _text(IDS_MINUTES_RECORDED) : nullptr;
  return qel_u16_format(u"%d %s, %d %s", {_files, files, _minutes, minutes});
}
