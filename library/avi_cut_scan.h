// Reads a recording whose engine died mid-call: the first RIFF's sizes run past the end of
// the file and there is no index. Only the header list and the chunk headers of the movi
// lists are read, never the media, and the walk stops at the first chunk that is not
// complete.
#pragma once

#include <cstdint>
#include <vector>

#include "library/byte_file.h"
#include "library/riff_reader.h"

struct CutAvi {
  // Stream headers with each length counted from the complete chunks, as an index gives it.
  std::vector<AviStreamHeader> streams;
  uint64_t hdrl_offset = 0;            // of the LIST hdrl header
  std::vector<RiffChunk> movi_chunks;  // complete chunks of the movi lists, when asked for
  std::vector<RiffChunk> qel;          // complete top-level "_qel" chunks
  uint64_t chunk_count = 0;
  bool has_odml_index = false;  // the header list holds indx chunks
  bool has_avix = false;        // a "RIFF AVIX" segment follows the first RIFF
};

// False for anything that is not an AVI with a complete header list and a movi list.
bool scan_cut_avi(ByteFile& file, CutAvi* out, bool keep_chunks);

// The stream a movi chunk names by its two leading digits ("01wb" is 1), -1 when they are
// not digits. Whether that stream exists is the caller's to check.
int avi_chunk_stream(uint32_t id);

// True when the stream lengths of the file should come from its chunks rather than its
// headers: the layout does not parse, or it has no index to give them.
bool avi_needs_chunk_count(const AviLayout& layout);
