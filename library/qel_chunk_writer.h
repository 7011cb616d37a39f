// Stores the "_qel" chunk in an AVI file without ever rewriting its media, in the cheapest
// way the file allows. Every single write leaves a file that parses with all its media, so
// a crash at any point loses nothing.
#pragma once

#include <cstdint>

#include "library/byte_file.h"

enum class QelChunkPlacement {
  kFailed,
  kInPlace,  // an existing chunk of the same length was overwritten
  kJunk,     // JUNK padding in the header region became the chunk
  kAppend,   // appended to the first RIFF, which ends the file
  kRewrite,  // a copy with the chunk replaced the file
};

constexpr uint32_t kMaxQelChunkLen = 4096;

QelChunkPlacement write_qel_chunk(AviTarget& target, const uint8_t* payload, uint32_t len);
