#include "net/qel_version_compare.h"

#include <cstdint>

namespace {

constexpr size_t kMaxNumberDigits = 9;  // fits an int32 without overflow

bool as_number(std::u16string_view part, int32_t* out) {
  if (part.empty() || part.size() > kMaxNumberDigits)
    return false;
  int32_t n = 0;
  for (char16_t c : part) {
    if (c < u'0' || c > u'9')
      return false;
    n = n * 10 + (c - u'0');
  }
  *out = n;
  return true;
}

// The next dotted part of text from pos on; pos moves past the dot.
std::u16string_view next_part(std::u16string_view text, size_t* pos) {
  size_t dot = text.find(u'.', *pos);
  size_t end = dot == std::u16string_view::npos ? text.size() : dot;
  std::u16string_view part = text.substr(*pos, end - *pos);
  *pos = dot == std::u16string_view::npos ? text.size() + 1 : dot + 1;
  return part;
}

int compare_parts(std::u16string_view a, std::u16string_view b) {
  int32_t na = 0, nb = 0;
  if (as_number(a, &na) && as_number(b, &nb))
    return na < nb ? -1 : na > nb ? 1 : 0;
  int c = a.compare(b);
  return c < 0 ? -1 : c > 0 ? 1 : 0;
}

}  // namespace

int qel_version_compare(std::u16string_view a, std::u16string_view b) {
  size_t pa = 0, pb = 0;
  while (pa <= a.size() && pb <= b.size()) {
    int c = compare_parts(next_part(a, &pa), next_part(b, &pb));
    if (c != 0)
      return c;
  }
  if (pa <= a.size())
    return 1;
  if (pb <= b.size())
    return -1;
  return 0;
}
