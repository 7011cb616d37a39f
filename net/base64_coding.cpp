#include "net/base64_coding.h"

namespace {

constexpr char kAlphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
constexpr size_t kLineLength = 72;

}  // namespace

bool CBase64Coding::Encode(const void* data,
                           size_t size,
                           std::string* out,
                           bool line_breaks) const {
  if (!out || (!data && size))
    return false;
  const auto* in = static_cast<const unsigned char*>(data);
  std::string text;
  auto put = [&](char c) {
    text += c;
    if (line_breaks && text.size() % kLineLength == 0)
      text += "\r\n";
  };
  for (size_t i = 0; i < size; i += 3) {
    unsigned group = in[i] << 16;
    if (i + 1 < size)
      group |= in[i + 1] << 8;
    if (i + 2 < size)
      group |= in[i + 2];
    put(kAlphabet[(group >> 18) & 63]);
    put(kAlphabet[(group >> 12) & 63]);
    put(i + 1 < size ? kAlphabet[(group >> 6) & 63] : '=');
    put(i + 2 < size ? kAlphabet[group & 63] : '=');
    if (text.size() > kMaxEncoded)
      return false;
  }
  out->append(text);
  return true;
}
