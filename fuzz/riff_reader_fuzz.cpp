// Any bytes as an AVI file: the layout reader never reads outside them, and whatever it
// accepts lies inside the file.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "library/avi_cut_scan.h"
#include "library/avi_stream_info.h"
#include "library/byte_file.h"
#include "library/riff_reader.h"

namespace {

void check_inside(const RiffChunk& c, uint64_t size) {
  if (c.offset + 8 + c.size > size)
    abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  MemoryByteFile file(std::vector<uint8_t>(data, data + size));
  AviLayout layout;
  bool valid = read_avi_layout(file, &layout);
  if (valid != layout.valid)
    abort();
  if (!valid && (!layout.streams.empty() || !layout.qel.empty() || !layout.movi.empty()))
    abort();
  for (const auto* list :
       {&layout.movi, &layout.qel, &layout.header_junk, &layout.indx, &layout.segments})
    for (const RiffChunk& c : *list)
      check_inside(c, size);
  if (layout.streams.size() > kMaxAviStreams)
    abort();
  uint8_t buf[36];
  uint32_t len = 0;
  if (read_qel_chunk(file, layout, buf, sizeof buf, &len) && (len == 0 || len > sizeof buf))
    abort();
  AviStreamSummary s = summarize_streams(layout);
  if (s.time_len < 0)
    abort();
  // The reading of a recording cut short: whatever it counts lies inside the file.
  CutAvi cut;
  bool found = scan_cut_avi(file, &cut, true);
  if (!found && (!cut.streams.empty() || !cut.movi_chunks.empty()))
    abort();
  if (cut.streams.size() > kMaxAviStreams || cut.movi_chunks.size() != cut.chunk_count)
    abort();
  for (const RiffChunk& c : cut.movi_chunks)
    check_inside(c, size);
  if (summarize_streams(cut.streams).time_len < 0)
    abort();
  return 0;
}
