#include "net/base64_coding.h"

#include "qel_lib/base64.h"

namespace {

constexpr size_t kLineLength = 72;

}  // namespace

bool CBase64Coding::Encode(const void* data,
                           size_t size,
                           std::string* out,
                           bool line_breaks) const {
  if (!out || (!data && size))
    return false;
  // Breaks only lengthen the text: a plain one over the limit fails at once.
  if (size > (SIZE_MAX - 3) / 4 * 3 || base64_encoded_len(size) > kMaxEncoded)
    return false;
  std::string plain(base64_encoded_len(size) + 1, '\0');
  size_t plain_len = 0;
  if (!base64_encode(static_cast<const uint8_t*>(data), size, plain.data(), plain.size(),
                     &plain_len))
    return false;
  std::string text;
  for (size_t i = 0; i < plain_len; ++i) {
    text += plain[i];
    if (line_breaks && text.size() % kLineLength == 0)
      text += "\r\n";
  }
  if (text.size() > kMaxEncoded)
    return false;
  out->append(text);
  return true;
}
