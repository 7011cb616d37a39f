#include "ui/core/qel_delete_question.h"

#include "ui/core/qel_u16_format.h"

namespace {

const char16_t* lookup(qel_ui_text_fn text, int id) {
  return text ? text(id) : nullptr;
}

}  // namespace

std::u16string qel_delete_question(int _count,
                                   const char16_t* _single_title,
                                   qel_ui_text_fn _text) {
  if (_count <= 0)
    return {};
  if (_count == 1)
    return qel_u16_format(lookup(_text, IDS_DELETE_ONE_FMT), {_single_title});
  return qel_u16_format(lookup(_text, IDS_DELETE_MANY_FMT), {_count});
}
