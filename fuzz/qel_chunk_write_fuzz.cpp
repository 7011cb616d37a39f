// Tags a copy of any bytes: a file the reader refuses stays byte for byte as it was; a file
// it accepts afterwards parses, carries the new chunk and has the same media.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "library/avi_test_builder.h"
#include "library/qel_chunk_writer.h"
#include "library/riff_reader.h"

namespace {

using Bytes = std::vector<uint8_t>;

// Media chunks of every movi list, leaving out the OpenDML "ix##" indexes whose base
// offsets a rewrite moves.
bool media(const Bytes& b, Bytes* out) {
  MemoryByteFile f(b);
  AviLayout l;
  if (!read_avi_layout(f, &l))
    return false;
  for (const RiffChunk& c : l.movi) {
    uint64_t end = c.data() + c.size;
    for (uint64_t at = c.data() + 4; at < end;) {
      uint32_t size = 0;
      if (end - at < 8) {
        out->insert(out->end(), b.begin() + at, b.begin() + end);
        break;
      }
      memcpy(&size, b.data() + at + 4, 4);
      uint64_t next = std::min<uint64_t>(end, at + 8 + uint64_t{size} + (size & 1));
      if (memcmp(b.data() + at, "ix", 2) != 0)
        out->insert(out->end(), b.begin() + at, b.begin() + next);
      at = next;
    }
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 1)
    return 0;
  // The first byte picks the payload: the two chunk versions or an odd length.
  uint32_t len = data[0] % 3 == 0 ? 24 : data[0] % 3 == 1 ? 36 : 35;
  Bytes payload(len, data[0]);
  Bytes original(data + 1, data + size);
  avi_test::MemoryAviTarget target(original);
  QelChunkPlacement p = write_qel_chunk(target, payload.data(), len);
  Bytes before, after;
  bool was_valid = media(original, &before);
  if (p == QelChunkPlacement::kFailed) {
    if (target.bytes() != original)
      abort();
    return 0;
  }
  if (!was_valid || !media(target.bytes(), &after) || before != after)
    abort();
  MemoryByteFile f(target.bytes());
  AviLayout l;
  uint8_t buf[64];
  uint32_t got = 0;
  if (!read_avi_layout(f, &l) || !read_qel_chunk(f, l, buf, sizeof buf, &got) || got != len ||
      memcmp(buf, payload.data(), len) != 0)
    abort();
  return 0;
}
