// Reads the chunk layout of an AVI file (AVI 1.0 and OpenDML) without touching the media.
// Any shape the AVI interface would refuse makes the whole layout invalid: no stream
// information, no chunk, nothing to write into.
#pragma once

#include <cstdint>
#include <vector>

#include "library/byte_file.h"

constexpr uint32_t fourcc(const char (&s)[5]) {
  return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
         uint32_t(uint8_t(s[3])) << 24;
}

struct RiffChunk {
  uint64_t offset = 0;  // of the 8-byte header
  uint32_t id = 0;
  uint32_t size = 0;       // of the data, without pad byte
  uint32_t list_type = 0;  // for RIFF and LIST
  uint64_t data() const { return offset + 8; }
  uint64_t padded_end() const { return offset + 8 + size + (size & 1); }
};

struct AviStreamHeader {
  uint32_t type = 0;  // "vids", "auds", ...
  uint32_t scale = 0;
  uint32_t rate = 0;
  uint32_t start = 0;
  uint32_t length = 0;
  uint32_t sample_size = 0;  // bytes per sample, 0 when a chunk is one sample
  uint32_t block_align = 0;  // of an audio stream's format
};

struct AviLayout {
  bool valid = false;
  uint64_t file_size = 0;
  RiffChunk riff;                   // the first RIFF, form "AVI "
  std::vector<RiffChunk> segments;  // further RIFF "AVIX" segments
  std::vector<RiffChunk> movi;      // LIST movi of every segment, in file order
  std::vector<AviStreamHeader> streams;
  std::vector<RiffChunk> indx;         // OpenDML index chunks of the stream lists
  std::vector<RiffChunk> qel;          // "_qel" chunks where readers look, in file order
  std::vector<RiffChunk> header_junk;  // JUNK at the top level before movi or inside hdrl
  bool has_idx1 = false;
};

constexpr uint32_t kQelChunkId = fourcc("_qel");
constexpr uint32_t kJunkChunkId = fourcc("JUNK");
constexpr size_t kMaxAviStreams = 256;

// False (and layout->valid false) for anything but a well-formed AVI.
bool read_avi_layout(ByteFile& file, AviLayout* layout);

// Reads the first "_qel" chunk like AVIFileReadData: false when there is none or it is
// empty or larger than cap.
bool read_qel_chunk(ByteFile& file,
                    const AviLayout& layout,
                    uint8_t* buf,
                    uint32_t cap,
                    uint32_t* len);
