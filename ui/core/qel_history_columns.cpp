#include "ui/core/qel_history_columns.h"

namespace {

constexpr int kLengthWidth = 80;
constexpr int kMarkWidth = 15;
constexpr int kSlack = 10;
constexpr int kNarrowNameWidth = 200;

}  // namespace

int qel_start_time_column_width(qel_measure_text_fn _measure, void* _context) {
  float widest = 0;
  for (const char16_t* sample : kQelStartTimeSamples) {
    float w = _measure ? _measure(sample, _context) : 0;
    if (w > widest)
      widest = w;
  }
  return static_cast<int>(widest) + 1;
}

bool qel_compute_column_widths(int _client_width, int _start_time_width, qel_column_widths* _out) {
  if (_client_width <= 0 || !_out)
    return false;
  int name = _client_width - _start_time_width - kLengthWidth - 2 * kMarkWidth - kSlack;
  *_out = {name > 0 ? name : kNarrowNameWidth, _start_time_width, kLengthWidth, kMarkWidth,
           kMarkWidth};
  return true;
}
