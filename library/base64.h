// Base64 (RFC 4648, standard alphabet, "=" fill) into a caller's fixed buffer.
#pragma once

#include <cstddef>
#include <cstdint>

// Writes the text and a terminator; false, leaving out[0] = 0, when capacity (which
// counts the terminator) is too small. *out_len receives the text's length.
bool base64_encode(const uint8_t* data, size_t len, char* out, size_t capacity, size_t* out_len);
