// Any bytes as a file dropped into the recording folder: it is listed the way the library
// lists it (its layout, and the scan of a recording cut short when that gives no length),
// then repaired in memory. A refused repair leaves every byte; an accepted one gives a
// whole recording with the same streams, lengths, media and chunk, whose index points at
// its chunks, and that a second repair leaves alone.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "library/avi_cut_scan.h"
#include "library/avi_repair.h"
#include "library/avi_stream_info.h"
#include "library/avi_test_builder.h"
#include "library/byte_file.h"
#include "library/riff_reader.h"

namespace {

using Bytes = std::vector<uint8_t>;

void check(bool ok) {
  if (!ok)
    abort();
}

// Each chunk's header and data, as the scan kept them.
Bytes chunk_bytes(const Bytes& b, const std::vector<RiffChunk>& chunks) {
  Bytes out;
  for (const RiffChunk& c : chunks)
    out.insert(out.end(), b.begin() + c.offset, b.begin() + c.data() + c.size);
  return out;
}

bool same_streams(const std::vector<AviStreamHeader>& a, const std::vector<AviStreamHeader>& b) {
  if (a.size() != b.size())
    return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (a[i].type != b[i].type || a[i].length != b[i].length || a[i].scale != b[i].scale ||
        a[i].rate != b[i].rate)
      return false;
  return true;
}

void check_scan(const Bytes& b, const CutAvi& cut, bool found) {
  if (!found) {
    check(cut.streams.empty() && cut.movi_chunks.empty() && cut.chunk_count == 0);
    return;
  }
  check(!cut.streams.empty() && cut.streams.size() <= kMaxAviStreams);
  check(cut.movi_chunks.size() == cut.chunk_count);
  uint64_t after = 0;
  for (const RiffChunk& c : cut.movi_chunks) {
    check(c.offset >= after && c.data() + c.size <= b.size());
    after = c.data() + c.size;
  }
  for (const AviStreamHeader& s : cut.streams)
    check(s.length <= 0x7FFFFFFF);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const Bytes original(data, data + size);
  MemoryByteFile file(original);
  AviLayout layout;
  read_avi_layout(file, &layout);
  CutAvi cut, counted;
  bool found = scan_cut_avi(file, &cut, true);
  check_scan(original, cut, found);
  // Keeping the chunks or not, the count is the same.
  check(scan_cut_avi(file, &counted, false) == found && counted.chunk_count == cut.chunk_count &&
        counted.movi_chunks.empty() && same_streams(counted.streams, cut.streams));
  if (avi_needs_chunk_count(layout) && found)
    check(summarize_streams(cut.streams).time_len >= 0);

  avi_test::MemoryAviTarget target(original);
  if (!repair_cut_avi(target)) {
    check(target.bytes() == original);
    return 0;
  }
  const Bytes repaired = target.bytes();
  check(!layout.valid && found && !cut.has_odml_index && !cut.has_avix);
  MemoryByteFile whole_file(repaired);
  AviLayout whole;
  check(read_avi_layout(whole_file, &whole) && whole.has_idx1 && whole.segments.empty() &&
        whole.indx.empty() && !avi_needs_chunk_count(whole));
  check(same_streams(whole.streams, cut.streams));
  check(avi_test::idx1_mismatch(repaired).empty());
  // The media and the chunks around it are the original's, byte for byte.
  CutAvi again;
  check(scan_cut_avi(whole_file, &again, true) && same_streams(again.streams, cut.streams));
  check(chunk_bytes(repaired, again.movi_chunks) == chunk_bytes(original, cut.movi_chunks));
  check(chunk_bytes(repaired, again.qel) == chunk_bytes(original, cut.qel));
  // Whole now: a second repair has nothing to do.
  check(!repair_cut_avi(target) && target.bytes() == repaired);
  return 0;
}
