// Base64 in the standard alphabet with "=" padding, as HTTP Basic credentials need it.
#pragma once

#include <cstddef>
#include <string>

class CBase64Coding {
 public:
  // Longest text Encode produces; longer results fail.
  static constexpr size_t kMaxEncoded = 4096;

  // Appends the encoding of data to out. With line_breaks a CR LF follows each time the
  // count of characters written, breaks included, reaches a multiple of 72.
  bool Encode(const void* data, size_t size, std::string* out, bool line_breaks = true) const;
};
