// Stream times as the AVI interface reports them.
#pragma once

#include <cstdint>

#include "library/riff_reader.h"

// MulDiv: a * b / c rounded half away from zero; -1 when c is 0 or the result does not fit.
int32_t mul_div(int64_t a, int64_t b, int64_t c);

// AVIStreamSampleToTime: milliseconds of a sample number.
int32_t avi_sample_to_time(const AviStreamHeader& stream, int64_t sample);

// Whole seconds plus one of the stream's span; 0 when it has none.
int32_t avi_stream_seconds(const AviStreamHeader& stream);

struct AviStreamSummary {
  bool has_video = false;
  bool has_audio = false;
  int32_t time_len = 0;  // longest stream, 0 when none has a positive length
};

AviStreamSummary summarize_streams(const AviLayout& layout);
AviStreamSummary summarize_streams(const std::vector<AviStreamHeader>& streams);
