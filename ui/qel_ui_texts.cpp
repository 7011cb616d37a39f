#include "ui/qel_ui_texts.h"

#include "ui/qel_l10n_strings.h"

const wchar_t* qel_text(UINT _id) {
  const wchar_t* text = qel_l10n_get_string(_id);
  return text ? text : L"";
}

const char16_t* qel_text16(unsigned int _id) {
  return reinterpret_cast<const char16_t*>(qel_l10n_get_string(_id));
}
