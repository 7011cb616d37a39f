#include "library/avi_repair.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "library/avi_cut_scan.h"
#include "library/avi_stream_info.h"

namespace {

constexpr uint32_t kKeyFrame = 0x10;
constexpr uint32_t kCopyBlock = 1 << 16;

uint32_t le32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void set32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    p[i] = static_cast<uint8_t>(v >> (8 * i));
}

void put32(std::vector<uint8_t>* b, uint32_t v) {
  b->resize(b->size() + 4);
  set32(b->data() + b->size() - 4, v);
}

// Only chunks of the streams the headers declare are indexed: an entry naming a stream
// past the table sends a player looking for one that is not there.
bool is_stream_chunk(uint32_t id, size_t streams) {
  int n = avi_chunk_stream(id);
  return n >= 0 && static_cast<size_t>(n) < streams;
}

// Writes the new file front to back.
class Writer {
 public:
  explicit Writer(ByteFile& out) : out_(out) {}
  bool put(const void* data, uint32_t len) {
    if (!ok_ || !out_.write_at(at_, data, len))
      return ok_ = false;
    at_ += len;
    return true;
  }
  bool put(const std::vector<uint8_t>& b) { return put(b.data(), static_cast<uint32_t>(b.size())); }
  bool patch32(uint64_t at, uint32_t v) {
    uint8_t b[4];
    set32(b, v);
    return ok_ = ok_ && out_.write_at(at, b, 4);
  }
  // A chunk of the original, header, data and pad byte, in blocks.
  bool copy(ByteFile& in, const RiffChunk& c, std::vector<uint8_t>* buf) {
    uint8_t h[8];
    set32(h, c.id);
    set32(h + 4, c.size);
    if (!put(h, 8))
      return false;
    for (uint64_t done = 0; done < c.size;) {
      uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(buf->size(), c.size - done));
      if (!in.read_at(c.data() + done, buf->data(), n) || !put(buf->data(), n))
        return ok_ = false;
      done += n;
    }
    uint8_t pad = 0;
    return (c.size & 1) == 0 || put(&pad, 1);
  }
  uint64_t at() const { return at_; }
  bool ok() const { return ok_; }

 private:
  ByteFile& out_;
  uint64_t at_ = 0;
  bool ok_ = true;
};

// The header list with each stream's length set to what its chunks hold, and the main
// header's frame count to the first video stream's.
bool fixed_header_list(ByteFile& in, const CutAvi& cut, std::vector<uint8_t>* hdrl) {
  uint8_t h[8];
  if (!in.read_at(cut.hdrl_offset, h, 8))
    return false;
  uint32_t size = le32(h + 4);
  hdrl->resize(8 + size + (size & 1));
  if (!in.read_at(cut.hdrl_offset, hdrl->data(), 8 + size))
    return false;
  // The layout reader accepted this list, so its children fit.
  size_t stream = 0;
  uint32_t frames = 0;
  bool video_seen = false;
  uint8_t* p = hdrl->data();
  for (size_t at = 12; at + 8 <= 8 + size;) {
    uint32_t id = le32(p + at), len = le32(p + at + 4);
    if (id == fourcc("LIST") && le32(p + at + 8) == fourcc("strl") && stream < cut.streams.size()) {
      // strh opens the list; dwLength sits 32 bytes into it.
      const AviStreamHeader& s = cut.streams[stream++];
      set32(p + at + 12 + 8 + 32, s.length);
      if (s.type == fourcc("vids") && !video_seen)
        frames = s.length, video_seen = true;
    }
    at += 8 + len + (len & 1);
  }
  for (size_t at = 12; at + 8 <= 8 + size;) {
    uint32_t id = le32(p + at), len = le32(p + at + 4);
    if (id == fourcc("avih") && len >= 20)
      set32(p + at + 8 + 16, frames);
    at += 8 + len + (len & 1);
  }
  return true;
}

bool write_copy(ByteFile& in, const CutAvi& cut, ByteFile& out) {
  std::vector<uint8_t> hdrl;
  if (!fixed_header_list(in, cut, &hdrl))
    return false;
  Writer w(out);
  std::vector<uint8_t> head;
  put32(&head, fourcc("RIFF"));
  put32(&head, 0);
  put32(&head, fourcc("AVI "));
  w.put(head);
  w.put(hdrl);
  std::vector<uint8_t> buf(kCopyBlock);
  for (const RiffChunk& c : cut.qel)
    w.copy(in, c, &buf);
  uint64_t movi = w.at();
  head.clear();
  put32(&head, fourcc("LIST"));
  put32(&head, 0);
  put32(&head, fourcc("movi"));
  w.put(head);
  std::vector<uint8_t> index;
  for (const RiffChunk& c : cut.movi_chunks) {
    // Which frames were key frames is not known; every one is marked so that a player may
    // start anywhere.
    if (is_stream_chunk(c.id, cut.streams.size())) {
      put32(&index, c.id);
      put32(&index, kKeyFrame);
      put32(&index, static_cast<uint32_t>(w.at() - (movi + 8)));
      put32(&index, c.size);
    }
    if (!w.copy(in, c, &buf))
      return false;
  }
  uint64_t movi_end = w.at();
  head.clear();
  put32(&head, fourcc("idx1"));
  put32(&head, static_cast<uint32_t>(index.size()));
  w.put(head);
  w.put(index);
  uint64_t end = w.at();
  if (end - 8 > 0xFFFFFFFFu)
    return false;
  w.patch32(movi + 4, static_cast<uint32_t>(movi_end - movi - 8));
  w.patch32(4, static_cast<uint32_t>(end - 8));
  return w.ok() && out.flush();
}

bool same_streams(const CutAvi& cut, const AviLayout& copy) {
  if (!copy.valid || !copy.has_idx1 || copy.streams.size() != cut.streams.size())
    return false;
  for (size_t i = 0; i < copy.streams.size(); ++i)
    if (copy.streams[i].type != cut.streams[i].type ||
        copy.streams[i].length != cut.streams[i].length)
      return false;
  AviStreamSummary a = summarize_streams(cut.streams), b = summarize_streams(copy);
  return a.time_len == b.time_len && a.has_video == b.has_video && a.has_audio == b.has_audio;
}

}  // namespace

bool repair_cut_avi(AviTarget& target) {
  ByteFile& in = target.original();
  AviLayout layout;
  read_avi_layout(in, &layout);
  CutAvi cut;
  // OpenDML indexes point into the old layout, and one RIFF cannot hold what segments
  // may; such files are left to the player.
  if (layout.valid || !scan_cut_avi(in, &cut, true) || cut.has_odml_index || cut.has_avix)
    return false;
  ByteFile* out = target.create_replacement();
  if (!out)
    return false;
  AviLayout copy;
  if (!write_copy(in, cut, *out) || !read_avi_layout(*out, &copy) || !same_streams(cut, copy)) {
    target.discard_replacement();
    return false;
  }
  return target.commit_replacement();
}
