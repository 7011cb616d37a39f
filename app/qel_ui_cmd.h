// The record every UI command subject carries: the command id and its one parameter (the
// file id for play and delete).
#pragma once

#include <cstdint>

#include "qel_lib/qel_subject.h"

struct qel_ui_cmd {
  int32_t m_cmd_id;
  int32_t m_param;
};

using qel_ui_cmd_subject = SimpleSubject<void*, void, const qel_ui_cmd*>;
