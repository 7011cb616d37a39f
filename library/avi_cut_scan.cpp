#include "library/avi_cut_scan.h"

#include <algorithm>

namespace {

constexpr uint32_t kRiff = fourcc("RIFF");
constexpr uint32_t kList = fourcc("LIST");
// Header lists are a few kilobytes; anything bigger is not a recording of ours to rescue.
constexpr uint32_t kMaxHdrlSize = 1 << 20;

uint32_t le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void put32(std::vector<uint8_t>* b, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    b->push_back(static_cast<uint8_t>(v >> (8 * i)));
}

struct StreamCount {
  uint64_t chunks = 0;
  uint64_t bytes = 0;
};

class CutScanner {
 public:
  CutScanner(ByteFile& file, CutAvi* out, bool keep) : file_(file), out_(out), keep_(keep) {}
  bool scan();

 private:
  bool read_header_list(uint64_t at, uint64_t end);
  // Walks the children of a RIFF in [at, end) up to its movi list and that list's chunks;
  // false once a chunk did not fit, so nothing after it is looked at.
  bool walk_riff(uint64_t at, uint64_t end, bool* movi_seen);
  bool walk_movi(uint64_t at, uint64_t end);
  void count(const RiffChunk& c);

  ByteFile& file_;
  CutAvi* out_;
  bool keep_;
  uint64_t size_ = 0;
  std::vector<StreamCount> counts_;
};

// The header list is parsed by the layout reader itself, over a copy that holds it and an
// empty movi list, so a cut file's streams are exactly what an intact file's would be.
bool CutScanner::read_header_list(uint64_t at, uint64_t end) {
  uint8_t h[12];
  if (end - at < 12 || !file_.read_at(at, h, 12))
    return false;
  uint32_t size = le32(h + 4);
  if (le32(h) != kList || le32(h + 8) != fourcc("hdrl") || size > kMaxHdrlSize ||
      at + 8 + size > end)
    return false;
  std::vector<uint8_t> copy;
  put32(&copy, kRiff);
  put32(&copy, 4 + 8 + size + (size & 1) + 12);
  put32(&copy, fourcc("AVI "));
  copy.resize(12 + 8 + size + (size & 1), 0);
  if (!file_.read_at(at, copy.data() + 12, 8 + size))
    return false;
  put32(&copy, kList);
  put32(&copy, 4);
  put32(&copy, fourcc("movi"));
  MemoryByteFile header(std::move(copy));
  AviLayout layout;
  if (!read_avi_layout(header, &layout))
    return false;
  out_->streams = layout.streams;
  out_->has_odml_index = !layout.indx.empty();
  out_->hdrl_offset = at;
  counts_.assign(out_->streams.size(), {});
  return true;
}

void CutScanner::count(const RiffChunk& c) {
  ++out_->chunk_count;
  if (keep_)
    out_->movi_chunks.push_back(c);
  uint8_t id[4];
  for (int i = 0; i < 4; ++i)
    id[i] = static_cast<uint8_t>(c.id >> (8 * i));
  int n = avi_chunk_stream(c.id);
  bool media = (id[2] == 'd' && (id[3] == 'c' || id[3] == 'b')) || (id[2] == 'w' && id[3] == 'b');
  // A number past the stream table is no stream's, whatever the main header claims.
  if (!media || n < 0 || static_cast<size_t>(n) >= counts_.size())
    return;
  ++counts_[n].chunks;
  counts_[n].bytes += c.size;
}

bool CutScanner::walk_movi(uint64_t at, uint64_t end) {
  while (at < end && end - at >= 8) {
    uint8_t h[12];
    if (!file_.read_at(at, h, 8))
      return false;
    RiffChunk c{at, le32(h), le32(h + 4), 0};
    // "rec " groups are walked through: their children are chunks like any other.
    if (c.id == kList) {
      if (end - at < 12)
        return false;
      at += 12;
      continue;
    }
    if (c.size > end - at - 8)
      return false;
    count(c);
    at = c.padded_end();
    if (at > end)
      return true;  // the last pad byte is missing; the chunk itself is whole
  }
  return at == end;
}

bool CutScanner::walk_riff(uint64_t at, uint64_t end, bool* movi_seen) {
  while (at < end && end - at >= 8) {
    uint8_t h[12];
    if (!file_.read_at(at, h, 8))
      return false;
    RiffChunk c{at, le32(h), le32(h + 4), 0};
    if (c.id == kList && end - at >= 12) {
      if (!file_.read_at(at + 8, h + 8, 4))
        return false;
      if (le32(h + 8) == fourcc("movi")) {
        *movi_seen = true;
        // A size never written (0) runs to the end like one that runs past it.
        uint64_t movi_end = c.size < 4 ? end : std::min<uint64_t>(c.data() + c.size, end);
        if (!walk_movi(c.data() + 4, movi_end))
          return false;
      }
    }
    if (c.padded_end() > end)
      return false;
    if (c.id == kQelChunkId)
      out_->qel.push_back(c);
    at = c.padded_end();
  }
  return true;
}

bool CutScanner::scan() {
  uint8_t h[12];
  if (!file_.size(&size_) || size_ < 12 || !file_.read_at(0, h, 12))
    return false;
  RiffChunk riff{0, le32(h), le32(h + 4), le32(h + 8)};
  if (riff.id != kRiff || riff.list_type != fourcc("AVI "))
    return false;
  // An engine that never got to write the size leaves 0 there.
  uint64_t end = riff.size >= 4 ? std::min<uint64_t>(riff.data() + riff.size, size_) : size_;
  if (end < 12 || !read_header_list(12, end))
    return false;
  if (!file_.read_at(16, h, 4))
    return false;
  uint32_t hdrl_size = le32(h);
  bool movi_seen = false;
  bool whole = walk_riff(12 + 8 + hdrl_size + (hdrl_size & 1), end, &movi_seen);
  // OpenDML segments follow a first RIFF that was finished. One is noted even when the
  // first RIFF's walk stopped short, so that a repair never drops what it holds.
  for (uint64_t at = riff.padded_end(); riff.size >= 4 && at < size_ && size_ - at >= 12;) {
    if (!file_.read_at(at, h, 12) || le32(h) != kRiff || le32(h + 8) != fourcc("AVIX"))
      break;
    out_->has_avix = true;
    if (!whole)
      break;
    RiffChunk seg{at, kRiff, le32(h + 4), fourcc("AVIX")};
    if (seg.size < 4)
      break;
    whole = walk_riff(seg.data() + 4, std::min<uint64_t>(seg.data() + seg.size, size_), &movi_seen);
    at = seg.padded_end();
  }
  if (!movi_seen)
    return false;
  for (size_t i = 0; i < out_->streams.size(); ++i) {
    AviStreamHeader& s = out_->streams[i];
    uint32_t unit = s.sample_size;
    if (unit == 0 && s.type == fourcc("auds"))
      unit = s.block_align;
    uint64_t length = unit ? counts_[i].bytes / unit : counts_[i].chunks;
    s.length = static_cast<uint32_t>(std::min<uint64_t>(length, 0x7FFFFFFF));
  }
  return true;
}

}  // namespace

bool scan_cut_avi(ByteFile& file, CutAvi* out, bool keep_chunks) {
  *out = CutAvi();
  if (CutScanner(file, out, keep_chunks).scan())
    return true;
  *out = CutAvi();
  return false;
}

int avi_chunk_stream(uint32_t id) {
  int tens = static_cast<int>(id & 0xFF) - '0', ones = static_cast<int>(id >> 8 & 0xFF) - '0';
  if (tens < 0 || tens > 9 || ones < 0 || ones > 9)
    return -1;
  return tens * 10 + ones;
}

bool avi_needs_chunk_count(const AviLayout& layout) {
  return !layout.valid || (!layout.has_idx1 && layout.indx.empty());
}
