#include "library/qel_chunk_writer.h"

#include <cstring>
#include <vector>

#include "library/riff_reader.h"

namespace {

constexpr uint32_t kCopyBlock = 1 << 20;
constexpr uint64_t kMaxRiffSize = 0xFFFFFFF0u;

enum class Step { kNotApplicable, kDone, kFailed };

// The steps that change the recording in place write one field at a time in a safe order
// and never flush: the system keeps the order of one process's writes, and a flush would
// force the engine's data still in the cache to the disk with ours, gigabytes on the UI
// thread. Only the last resort flushes its copy, before the rename makes it the file.

void put32(uint8_t* p, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    p[i] = static_cast<uint8_t>(v >> (8 * i));
}
uint32_t get32(const uint8_t* p) {
  return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}
uint64_t get64(const uint8_t* p) {
  return get32(p) | uint64_t{get32(p + 4)} << 32;
}
void put64(uint8_t* p, uint64_t v) {
  put32(p, static_cast<uint32_t>(v));
  put32(p + 4, static_cast<uint32_t>(v >> 32));
}

bool write32(ByteFile& f, uint64_t at, uint32_t v) {
  uint8_t b[4];
  put32(b, v);
  return f.write_at(at, b, 4);
}

class ChunkWriter {
 public:
  ChunkWriter(AviTarget& target, const uint8_t* payload, uint32_t len)
      : target_(target), file_(target.original()), len_(len), padded_(len + (len & 1)) {
    chunk_.resize(8 + padded_, 0);
    put32(chunk_.data(), kQelChunkId);
    put32(chunk_.data() + 4, len);
    memcpy(chunk_.data() + 8, payload, len);
  }
  QelChunkPlacement run();

 private:
  const uint8_t* padded_payload() const { return chunk_.data() + 8; }
  bool adopt_interrupted_append();
  Step in_place();
  Step into_junk();
  Step append();
  Step rewrite();
  bool retire_old_chunks(ByteFile& f);
  bool copy(ByteFile& to, uint64_t from, uint64_t to_offset, uint64_t count);
  bool patch_indexes(ByteFile& f, uint64_t moved_from, uint32_t delta);
  bool patch_base_offset(ByteFile& f, uint64_t index_data, uint64_t moved_from, uint32_t delta);
  bool same_bytes(ByteFile& copy, uint64_t from, uint64_t to, uint64_t count);
  bool same_media(ByteFile& copy, const RiffChunk& x, const RiffChunk& y);
  bool verify_copy(ByteFile& copy);

  AviTarget& target_;
  ByteFile& file_;
  AviLayout layout_;
  uint32_t len_;
  uint32_t padded_;
  std::vector<uint8_t> chunk_;  // header, payload, pad byte
};

Step ChunkWriter::in_place() {
  if (layout_.qel.empty() || layout_.qel.front().size != len_)
    return Step::kNotApplicable;
  const RiffChunk& c = layout_.qel.front();
  return file_.write_at(c.data(), padded_payload(), len_) ? Step::kDone : Step::kFailed;
}

// The payload and any rest JUNK go into the padding first; only then do its size and id
// change, one field per write, so the chunk is JUNK or _qel but never half of each.
Step ChunkWriter::into_junk() {
  for (const RiffChunk& j : layout_.header_junk) {
    uint64_t room = j.size + (j.size & 1);
    if (room != padded_ && room < uint64_t{padded_} + 8)
      continue;
    if (!file_.write_at(j.data(), padded_payload(), padded_))
      return Step::kFailed;
    if (room != padded_) {
      uint8_t rest[8];
      put32(rest, kJunkChunkId);
      put32(rest + 4, static_cast<uint32_t>(room - padded_ - 8));
      if (!file_.write_at(j.data() + padded_, rest, 8))
        return Step::kFailed;
    }
    if (j.size != len_ && !write32(file_, j.offset + 4, len_))
      return Step::kFailed;
    if (!write32(file_, j.offset, kQelChunkId))
      return Step::kFailed;
    return retire_old_chunks(file_) ? Step::kDone : Step::kFailed;
  }
  return Step::kNotApplicable;
}

// Bytes past the end of the RIFF are ignored by readers until the size covers them.
// Only when nothing follows the RIFF: bytes after it are not ours to overwrite, and moving
// where the RIFF ends could make them read as part of the movie.
Step ChunkWriter::append() {
  uint64_t at = layout_.riff.padded_end();
  if (!layout_.segments.empty() || at < layout_.file_size)
    return Step::kNotApplicable;
  uint64_t riff_size = at - 8 + chunk_.size();
  if (riff_size > kMaxRiffSize)
    return Step::kNotApplicable;
  if (!file_.write_at(at, chunk_.data(), static_cast<uint32_t>(chunk_.size())))
    return Step::kFailed;
  if (!write32(file_, 4, static_cast<uint32_t>(riff_size)))
    return Step::kFailed;
  return retire_old_chunks(file_) ? Step::kDone : Step::kFailed;
}

bool ChunkWriter::retire_old_chunks(ByteFile& f) {
  for (const RiffChunk& c : layout_.qel)
    if (!write32(f, c.offset, kJunkChunkId))
      return false;
  return true;
}

bool ChunkWriter::copy(ByteFile& to, uint64_t from, uint64_t to_offset, uint64_t count) {
  std::vector<uint8_t> buf(std::min<uint64_t>(kCopyBlock, count));
  for (uint64_t done = 0; done < count;) {
    uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(kCopyBlock, count - done));
    if (!file_.read_at(from + done, buf.data(), n) || !to.write_at(to_offset + done, buf.data(), n))
      return false;
    done += n;
  }
  return true;
}

// A standard index names its chunks relative to an absolute base offset.
bool ChunkWriter::patch_base_offset(ByteFile& f,
                                    uint64_t index_data,
                                    uint64_t moved_from,
                                    uint32_t delta) {
  uint8_t h[24];
  if (!f.read_at(index_data, h, sizeof h) || h[3] != 1)
    return true;
  uint64_t base = get64(h + 12);
  if (base < moved_from)
    return true;
  put64(h + 12, base + delta);
  return f.write_at(index_data + 12, h + 12, 8);
}

// OpenDML indexes hold absolute file offsets; everything after the first RIFF moved.
bool ChunkWriter::patch_indexes(ByteFile& f, uint64_t moved_from, uint32_t delta) {
  for (const RiffChunk& indx : layout_.indx) {
    uint8_t h[24];
    if (indx.size < sizeof h || !f.read_at(indx.data(), h, sizeof h))
      continue;
    if (h[3] == 1) {
      if (!patch_base_offset(f, indx.data(), moved_from, delta))
        return false;
      continue;
    }
    if (h[3] != 0 || get32(h) != 4)
      continue;
    uint64_t entries = std::min<uint64_t>(get32(h + 4), (indx.size - 24) / 16);
    for (uint64_t i = 0; i < entries; ++i) {
      uint64_t at = indx.data() + 24 + 16 * i;
      uint8_t e[8];
      if (!f.read_at(at, e, 8))
        return false;
      uint64_t offset = get64(e);
      if (offset < moved_from)
        continue;
      put64(e, offset + delta);
      if (!f.write_at(at, e, 8))
        return false;
      if (!patch_base_offset(f, offset + delta + 8, moved_from, delta))
        return false;
    }
  }
  return true;
}

bool ChunkWriter::same_bytes(ByteFile& copy, uint64_t from, uint64_t to, uint64_t count) {
  std::vector<uint8_t> a(std::min<uint64_t>(kCopyBlock, count)), b(a.size());
  for (uint64_t done = 0; done < count;) {
    uint32_t n = static_cast<uint32_t>(std::min<uint64_t>(kCopyBlock, count - done));
    if (!file_.read_at(from + done, a.data(), n) || !copy.read_at(to + done, b.data(), n) ||
        memcmp(a.data(), b.data(), n) != 0)
      return false;
    done += n;
  }
  return true;
}

// Media chunks must be identical; standard index chunks ("ix##") differ only in the base
// offsets patched above.
bool ChunkWriter::same_media(ByteFile& copy, const RiffChunk& x, const RiffChunk& y) {
  if (x.size != y.size)
    return false;
  uint64_t end = x.data() + x.size;
  uint64_t shift = y.offset - x.offset;
  for (uint64_t at = x.data() + 4; at < end;) {
    uint8_t h[8];
    if (end - at < 8 || !file_.read_at(at, h, 8))
      return same_bytes(copy, at, at + shift, end - at);
    uint64_t next = std::min<uint64_t>(end, at + 8 + get32(h + 4) + (get32(h + 4) & 1));
    bool index = h[0] == 'i' && h[1] == 'x';
    if (!same_bytes(copy, at, at + shift, index ? 8 : next - at))
      return false;
    at = next;
  }
  return true;
}

bool ChunkWriter::verify_copy(ByteFile& copy) {
  AviLayout l;
  uint8_t buf[kMaxQelChunkLen];
  uint32_t got = 0;
  if (!read_avi_layout(copy, &l) || !read_qel_chunk(copy, l, buf, sizeof buf, &got) ||
      got != len_ || memcmp(buf, padded_payload(), len_) != 0 ||
      l.movi.size() != layout_.movi.size())
    return false;
  for (size_t i = 0; i < l.movi.size(); ++i)
    if (!same_media(copy, layout_.movi[i], l.movi[i]))
      return false;
  return true;
}

// The last resort: a copy with the chunk at the end of the first RIFF, checked, then
// renamed over the original in one step.
Step ChunkWriter::rewrite() {
  uint64_t at = layout_.riff.padded_end();
  uint64_t riff_size = at - 8 + chunk_.size();
  if (riff_size > kMaxRiffSize || at > layout_.file_size)
    return Step::kFailed;
  ByteFile* out = target_.create_replacement();
  if (!out)
    return Step::kFailed;
  uint32_t delta = static_cast<uint32_t>(chunk_.size());
  bool ok = copy(*out, 0, 0, at) && out->write_at(at, chunk_.data(), delta) &&
            copy(*out, at, at + delta, layout_.file_size - at) &&
            write32(*out, 4, static_cast<uint32_t>(riff_size)) && patch_indexes(*out, at, delta) &&
            retire_old_chunks(*out) && out->flush() && verify_copy(*out);
  if (!ok) {
    target_.discard_replacement();
    return Step::kFailed;
  }
  return target_.commit_replacement() ? Step::kDone : Step::kFailed;
}

// An append cut short after its chunk was written leaves exactly one "_qel" chunk after the
// RIFF; taking it into the RIFF finishes that append.
bool ChunkWriter::adopt_interrupted_append() {
  uint64_t at = layout_.riff.padded_end();
  if (!layout_.segments.empty() || at >= layout_.file_size || layout_.file_size - at < 8)
    return true;
  uint8_t h[8];
  if (!file_.read_at(at, h, 8))
    return false;
  uint32_t size = get32(h + 4);
  if (get32(h) != kQelChunkId || size > kMaxQelChunkLen ||
      layout_.file_size - at != 8 + uint64_t{size} + (size & 1) ||
      layout_.file_size - 8 > kMaxRiffSize)
    return true;
  if (!write32(file_, 4, static_cast<uint32_t>(layout_.file_size - 8)))
    return false;
  return read_avi_layout(file_, &layout_);
}

QelChunkPlacement ChunkWriter::run() {
  if (!read_avi_layout(file_, &layout_) || !adopt_interrupted_append())
    return QelChunkPlacement::kFailed;
  struct Strategy {
    Step (ChunkWriter::*step)();
    QelChunkPlacement placement;
  };
  static constexpr Strategy kStrategies[] = {
      {&ChunkWriter::in_place, QelChunkPlacement::kInPlace},
      {&ChunkWriter::into_junk, QelChunkPlacement::kJunk},
      {&ChunkWriter::append, QelChunkPlacement::kAppend},
      {&ChunkWriter::rewrite, QelChunkPlacement::kRewrite},
  };
  for (const Strategy& s : kStrategies) {
    Step result = (this->*s.step)();
    if (result == Step::kDone)
      return s.placement;
    if (result == Step::kFailed)
      break;
  }
  return QelChunkPlacement::kFailed;
}

}  // namespace

QelChunkPlacement write_qel_chunk(AviTarget& target, const uint8_t* payload, uint32_t len) {
  if (!payload || len == 0 || len > kMaxQelChunkLen)
    return QelChunkPlacement::kFailed;
  return ChunkWriter(target, payload, len).run();
}
