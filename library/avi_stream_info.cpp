#include "library/avi_stream_info.h"

#include <algorithm>
#include <cstdint>

int32_t mul_div(int64_t a, int64_t b, int64_t c) {
  if (c == 0)
    return -1;
  bool negative = (a < 0) != (b < 0) ? c > 0 : c < 0;
  if (a == 0 || b == 0)
    negative = false;
  // Operands here come from 32-bit header fields, so the product fits 128 bits.
  unsigned __int128 num = static_cast<unsigned __int128>(a < 0 ? -a : a) *
                          static_cast<unsigned __int128>(b < 0 ? -b : b);
  unsigned __int128 den = static_cast<unsigned __int128>(c < 0 ? -c : c);
  unsigned __int128 q = (num + den / 2) / den;
  if (q > 0x7FFFFFFFu)
    return -1;
  return negative ? static_cast<int32_t>(-static_cast<int64_t>(q)) : static_cast<int32_t>(q);
}

int32_t avi_sample_to_time(const AviStreamHeader& stream, int64_t sample) {
  return mul_div(sample, int64_t{stream.scale} * 1000, stream.rate);
}

int32_t avi_stream_seconds(const AviStreamHeader& stream) {
  // The interface hands out start and length as LONG.
  int64_t start = static_cast<int32_t>(stream.start);
  int64_t end = start + static_cast<int32_t>(stream.length);
  int32_t start_ms = avi_sample_to_time(stream, start);
  int32_t end_ms = avi_sample_to_time(stream, end);
  if (end_ms <= start_ms)
    return 0;
  return static_cast<int32_t>((int64_t{end_ms} - start_ms) / 1000 + 1);
}

AviStreamSummary summarize_streams(const AviLayout& layout) {
  if (!layout.valid)
    return AviStreamSummary();
  return summarize_streams(layout.streams);
}

AviStreamSummary summarize_streams(const std::vector<AviStreamHeader>& streams) {
  AviStreamSummary s;
  for (const AviStreamHeader& stream : streams) {
    if (stream.type == fourcc("vids"))
      s.has_video = true;
    if (stream.type == fourcc("auds"))
      s.has_audio = true;
    s.time_len = std::max(s.time_len, avi_stream_seconds(stream));
  }
  return s;
}
