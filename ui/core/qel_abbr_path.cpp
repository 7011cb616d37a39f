#include "ui/core/qel_abbr_path.h"

#include <algorithm>

bool dojob_abbr_path(const char16_t* _in, char16_t* _out, size_t _out_len) {
  if (!_in || !_out || !_out_len || !*_in)
    return false;
  size_t in_len = 0;
  while (_in[in_len])
    ++in_len;
  if (in_len < _out_len) {
    std::copy(_in, _in + in_len + 1, _out);
    return true;
  }
  std::copy(_in, _in + _out_len - 1, _out);
  _out[_out_len - 1] = 0;
  if (_out_len < 5)
    return true;
  if (_out_len < 20) {
    std::fill(_out + _out_len - 4, _out + _out_len - 1, u'.');
    return true;
  }
  size_t len = _out_len - _out_len / 2;
  char16_t* p = _out + (_out_len - len);
  for (char16_t c : u" ...")
    if (c)
      *p++ = c;
  size_t tail = len - 5;
  std::copy(_in + in_len - tail, _in + in_len, p);
  p[tail] = 0;
  return true;
}
