// Ordering of dotted version texts such as "1.10.0.0" and "1.2.0.3".
#pragma once

#include <string_view>

// Negative, 0 or positive as a sorts before, equal to or after b. Dotted parts compare as
// numbers, so "1.10" follows "1.2"; a part that is not all digits (or too long to be a
// number) compares code unit by code unit, and a version with more parts follows its prefix.
int qel_version_compare(std::u16string_view a, std::u16string_view b);

// True when candidate is a later version than current.
inline bool qel_version_is_newer(std::u16string_view candidate, std::u16string_view current) {
  return qel_version_compare(candidate, current) > 0;
}
