#include "library/byte_file.h"

#include <cstring>

bool MemoryByteFile::read_at(uint64_t offset, void* data, uint32_t len) {
  if (offset > bytes_.size() || bytes_.size() - offset < len)
    return false;
  if (len)
    memcpy(data, bytes_.data() + offset, len);
  return true;
}

bool MemoryByteFile::size(uint64_t* out) {
  *out = bytes_.size();
  return true;
}

bool MemoryByteFile::write_at(uint64_t offset, const void* data, uint32_t len) {
  // Memory files stand in for small test files: refuse to grow them absurdly.
  if (offset + len > (uint64_t{1} << 31))
    return false;
  if (bytes_.size() < offset + len)
    bytes_.resize(offset + len);
  if (len)
    memcpy(bytes_.data() + offset, data, len);
  return true;
}
