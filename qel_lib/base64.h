// Base64 (RFC 4648, standard alphabet, "=" fill) into a caller's fixed buffer: the one
// encoder behind the recordings' cache entry names and the proxy's Basic credentials.
#pragma once

#include <cstddef>
#include <cstdint>

// Length of the text for len bytes, without terminator.
constexpr size_t base64_encoded_len(size_t len) {
  return (len + 2) / 3 * 4;
}

// Writes the text and a terminator; false, leaving out[0] = 0, when capacity (which
// counts the terminator) is too small. *out_len receives the text's length.
bool base64_encode(const uint8_t* data, size_t len, char* out, size_t capacity, size_t* out_len);
