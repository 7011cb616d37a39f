#include "qel_lib/base64.h"

bool base64_encode(const uint8_t* data, size_t len, char* out, size_t capacity, size_t* out_len) {
  static const char kAlphabet[] =
      "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
  *out_len = 0;
  size_t need = base64_encoded_len(len);
  if (len > (SIZE_MAX - 3) / 4 * 3 || capacity == 0 || need >= capacity) {
    if (capacity)
      out[0] = 0;
    return false;
  }
  size_t o = 0;
  for (size_t i = 0; i < len; i += 3) {
    uint32_t v = uint32_t{data[i]} << 16;
    if (i + 1 < len)
      v |= uint32_t{data[i + 1]} << 8;
    if (i + 2 < len)
      v |= data[i + 2];
    out[o++] = kAlphabet[(v >> 18) & 63];
    out[o++] = kAlphabet[(v >> 12) & 63];
    out[o++] = i + 1 < len ? kAlphabet[(v >> 6) & 63] : '=';
    out[o++] = i + 2 < len ? kAlphabet[v & 63] : '=';
  }
  out[o] = 0;
  *out_len = o;
  return true;
}
