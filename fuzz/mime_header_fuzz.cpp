// Any header block, of any length or content, loads without reading outside it; what loads
// is consistent: the bytes taken lie inside the block, names hold no colon or line break,
// and every loaded name is found again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "net/mime_header.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  // An exact-size copy, so that a read past the end is caught.
  std::unique_ptr<char[]> block(new char[size]);
  if (size)
    std::memcpy(block.get(), data, size);
  CMimeHeader header;
  size_t used = 0;
  if (!header.Load(block.get(), size, &used))
    return 0;
  if (used > size)
    std::abort();
  for (const CMimeHeader::Field& f : header.Fields()) {
    if (f.name.find_first_of(":\r\n") != std::string::npos)
      std::abort();
    const CMimeHeader::Field* found = header.Find(f.name);
    if (!found || found->name.size() != f.name.size())
      std::abort();
  }
  return 0;
}
