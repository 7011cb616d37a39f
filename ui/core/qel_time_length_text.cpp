#include "ui/core/qel_time_length_text.h"

#include "ui/core/qel_u16_format.h"

std::u16string qel_time_length_text(int32_t _seconds) {
  // A negative length only comes from a damaged cache entry; "00:-5" would read as
  // garbage, so it shows as no length at all.
  if (_seconds < 0)
    _seconds = 0;
  int h = _seconds / 3600;
  int m = (_seconds / 60) % 60;
  int s = _seconds % 60;
  if (h)
    return qel_u16_format(u"%d:%02d:%02d", {h, m, s});
  return qel_u16_format(u"%02d:%02d", {m, s});
}
