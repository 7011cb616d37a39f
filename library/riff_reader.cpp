#include "library/riff_reader.h"

#include <cstring>

namespace {

constexpr uint32_t kRiff = fourcc("RIFF");
constexpr uint32_t kList = fourcc("LIST");
constexpr int kMaxDepth = 8;
// Hostile files with millions of tiny header chunks are refused rather than walked.
constexpr size_t kMaxChunks = 1 << 16;
// The part of AVIStreamHeader up to and including dwLength and the fields after it that
// every writer fills.
constexpr uint32_t kMinStrhSize = 48;

uint32_t le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

class LayoutReader {
 public:
  LayoutReader(ByteFile& file, AviLayout* out) : file_(file), out_(out) {}
  bool read();

 private:
  bool header(uint64_t at, uint64_t end, RiffChunk* c);
  bool nested_list(const RiffChunk& list, int depth);
  bool top_level(uint64_t end);
  bool hdrl(const RiffChunk& list);
  bool strl(const RiffChunk& list);
  bool segments();
  bool segment(const RiffChunk& riff);

  ByteFile& file_;
  AviLayout* out_;
  size_t chunks_ = 0;
  bool avih_seen_ = false;
};

// One child header in [at, end): it and its padded data must lie inside the parent.
bool LayoutReader::header(uint64_t at, uint64_t end, RiffChunk* c) {
  if (end < at || end - at < 8 || ++chunks_ > kMaxChunks)
    return false;
  uint8_t h[12];
  if (!file_.read_at(at, h, 8))
    return false;
  c->offset = at;
  c->id = le32(h);
  c->size = le32(h + 4);
  c->list_type = 0;
  if (c->padded_end() > end)
    return false;
  if (c->id == kList || c->id == kRiff) {
    if (c->size < 4 || !file_.read_at(at + 8, h + 8, 4))
      return false;
    c->list_type = le32(h + 8);
  }
  return true;
}

bool LayoutReader::nested_list(const RiffChunk& list, int depth) {
  if (depth > kMaxDepth)
    return false;
  uint64_t end = list.data() + list.size;
  for (uint64_t at = list.data() + 4; at < end;) {
    RiffChunk c;
    if (!header(at, end, &c))
      return false;
    if (c.id == kList && !nested_list(c, depth + 1))
      return false;
    at = c.padded_end();
  }
  return true;
}

bool LayoutReader::strl(const RiffChunk& list) {
  uint64_t end = list.data() + list.size;
  bool first = true;
  AviStreamHeader* stream = nullptr;
  for (uint64_t at = list.data() + 4; at < end; first = false) {
    RiffChunk c;
    if (!header(at, end, &c))
      return false;
    if (first) {
      uint8_t h[48];
      if (c.id != fourcc("strh") || c.size < kMinStrhSize || !file_.read_at(c.data(), h, 48))
        return false;
      if (out_->streams.size() < kMaxAviStreams) {
        out_->streams.push_back(
            {le32(h), le32(h + 20), le32(h + 24), le32(h + 28), le32(h + 32), le32(h + 44)});
        stream = &out_->streams.back();
      }
    } else if (c.id == fourcc("strf") && stream && stream->type == fourcc("auds") && c.size >= 14) {
      uint8_t h[2];
      if (!file_.read_at(c.data() + 12, h, 2))
        return false;
      stream->block_align = uint32_t(h[0]) | uint32_t(h[1]) << 8;
    } else if (c.id == fourcc("indx")) {
      out_->indx.push_back(c);
    } else if (c.id == kList && !nested_list(c, 3)) {
      return false;
    }
    at = c.padded_end();
  }
  return !first;
}

bool LayoutReader::hdrl(const RiffChunk& list) {
  uint64_t end = list.data() + list.size;
  for (uint64_t at = list.data() + 4; at < end;) {
    RiffChunk c;
    if (!header(at, end, &c))
      return false;
    if (c.id == fourcc("avih")) {
      avih_seen_ = true;
    } else if (c.id == kList && c.list_type == fourcc("strl")) {
      if (!strl(c))
        return false;
    } else if (c.id == kList) {
      if (!nested_list(c, 2))
        return false;
    } else if (c.id == kJunkChunkId) {
      out_->header_junk.push_back(c);
    } else if (c.id == kQelChunkId) {
      out_->qel.push_back(c);
    }
    at = c.padded_end();
  }
  return avih_seen_ && !out_->streams.empty();
}

bool LayoutReader::top_level(uint64_t end) {
  bool first = true;
  bool movi_seen = false;
  for (uint64_t at = 12; at < end; first = false) {
    RiffChunk c;
    if (!header(at, end, &c))
      return false;
    bool is_list = c.id == kList;
    if (first) {
      if (!is_list || c.list_type != fourcc("hdrl") || !hdrl(c))
        return false;
    } else if (is_list && c.list_type == fourcc("movi")) {
      if (!movi_seen)
        out_->movi.push_back(c);
      movi_seen = true;
    } else if (is_list) {
      if (!nested_list(c, 1))
        return false;
    } else if (c.id == kJunkChunkId && !movi_seen) {
      out_->header_junk.push_back(c);
    } else if (c.id == kQelChunkId) {
      out_->qel.push_back(c);
    } else if (c.id == fourcc("idx1")) {
      out_->has_idx1 = true;
    }
    at = c.padded_end();
  }
  return !first && movi_seen;
}

bool LayoutReader::segment(const RiffChunk& riff) {
  uint64_t end = riff.data() + riff.size;
  for (uint64_t at = riff.data() + 4; at < end;) {
    RiffChunk c;
    if (!header(at, end, &c))
      return false;
    if (c.id == kList && c.list_type == fourcc("movi")) {
      out_->movi.push_back(c);
    } else if (c.id == kList && !nested_list(c, 1)) {
      return false;
    }
    at = c.padded_end();
  }
  return true;
}

// OpenDML continues the file in "RIFF AVIX" segments; anything else after the first RIFF
// is not part of the movie and is ignored, as players do.
bool LayoutReader::segments() {
  uint64_t at = out_->riff.padded_end();
  while (at < out_->file_size && out_->file_size - at >= 12) {
    uint8_t h[12];
    if (!file_.read_at(at, h, 12))
      return false;
    if (le32(h) != kRiff || le32(h + 8) != fourcc("AVIX"))
      break;
    RiffChunk seg{at, kRiff, le32(h + 4), fourcc("AVIX")};
    if (seg.size < 4 || seg.data() + seg.size > out_->file_size || ++chunks_ > kMaxChunks)
      return false;
    if (!segment(seg))
      return false;
    out_->segments.push_back(seg);
    at = seg.padded_end();
  }
  return true;
}

bool LayoutReader::read() {
  uint8_t h[12];
  if (!file_.size(&out_->file_size) || out_->file_size < 12 || !file_.read_at(0, h, 12))
    return false;
  RiffChunk& riff = out_->riff;
  riff = {0, le32(h), le32(h + 4), le32(h + 8)};
  if (riff.id != kRiff || riff.list_type != fourcc("AVI ") || riff.size < 4 ||
      riff.data() + riff.size > out_->file_size)
    return false;
  return top_level(riff.data() + riff.size) && segments();
}

}  // namespace

bool read_avi_layout(ByteFile& file, AviLayout* layout) {
  *layout = AviLayout();
  if (LayoutReader(file, layout).read()) {
    layout->valid = true;
    return true;
  }
  uint64_t size = layout->file_size;
  *layout = AviLayout();
  layout->file_size = size;
  return false;
}

bool read_qel_chunk(ByteFile& file,
                    const AviLayout& layout,
                    uint8_t* buf,
                    uint32_t cap,
                    uint32_t* len) {
  *len = 0;
  if (!layout.valid || layout.qel.empty())
    return false;
  const RiffChunk& c = layout.qel.front();
  if (c.size == 0 || c.size > cap || !file.read_at(c.data(), buf, c.size))
    return false;
  *len = c.size;
  return true;
}
