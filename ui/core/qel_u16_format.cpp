#include "ui/core/qel_u16_format.h"

namespace {

void append_number(std::u16string* out, int64_t value, bool zero_pad, int width) {
  bool negative = value < 0;
  // Works on the unsigned magnitude so the smallest value does not overflow.
  uint64_t magnitude = negative ? 0 - static_cast<uint64_t>(value) : static_cast<uint64_t>(value);
  char16_t digits[24];
  int count = 0;
  do {
    digits[count++] = static_cast<char16_t>(u'0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude);
  int length = count + (negative ? 1 : 0);
  if (!zero_pad)
    out->append(length < width ? width - length : 0, u' ');
  if (negative)
    out->push_back(u'-');
  if (zero_pad)
    out->append(length < width ? width - length : 0, u'0');
  while (count)
    out->push_back(digits[--count]);
}

}  // namespace

std::u16string qel_u16_format(const char16_t* _fmt, std::initializer_list<qel_fmt_arg> _args) {
  std::u16string out;
  if (!_fmt)
    return out;
  const qel_fmt_arg* arg = _args.begin();
  for (const char16_t* p = _fmt; *p; ++p) {
    if (*p != u'%') {
      out.push_back(*p);
      continue;
    }
    const char16_t* conv = p + 1;
    if (*conv == u'%') {
      out.push_back(u'%');
      p = conv;
      continue;
    }
    bool zero_pad = *conv == u'0';
    if (zero_pad)
      ++conv;
    int width = 0;
    while (*conv >= u'0' && *conv <= u'9' && width < 100)
      width = width * 10 + (*conv++ - u'0');
    if (*conv != u's' && *conv != u'd') {
      // Not a conversion this formatter knows: keep the text as it stands.
      out.push_back(*p);
      continue;
    }
    if (arg != _args.end()) {
      if (*conv == u's' && arg->m_is_text)
        out.append(arg->m_text);
      else if (*conv == u'd' && !arg->m_is_text)
        append_number(&out, arg->m_number, zero_pad, width);
      ++arg;
    }
    p = conv;
  }
  return out;
}
