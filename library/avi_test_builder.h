// Builds small AVI files byte by byte for the tests, in-memory targets to write into, and
// reads back what was written.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "library/byte_file.h"
#include "library/riff_reader.h"

namespace avi_test {

using Bytes = std::vector<uint8_t>;

inline void put32(Bytes* b, uint32_t v) {
  for (int i = 0; i < 4; ++i)
    b->push_back(static_cast<uint8_t>(v >> (8 * i)));
}
inline void put_id(Bytes* b, const char* id) {
  b->insert(b->end(), id, id + 4);
}

inline Bytes chunk(const char* id, const Bytes& data) {
  Bytes b;
  put_id(&b, id);
  put32(&b, static_cast<uint32_t>(data.size()));
  b.insert(b.end(), data.begin(), data.end());
  if (data.size() & 1)
    b.push_back(0);
  return b;
}

inline Bytes list(const char* id, const char* type, const std::vector<Bytes>& children) {
  Bytes data;
  put_id(&data, type);
  for (const Bytes& c : children)
    data.insert(data.end(), c.begin(), c.end());
  Bytes b;
  put_id(&b, id);
  put32(&b, static_cast<uint32_t>(data.size()));
  b.insert(b.end(), data.begin(), data.end());
  return b;
}

inline Bytes filler(size_t n, uint32_t seed) {
  Bytes b(n);
  for (size_t i = 0; i < n; ++i) {
    seed = seed * 1103515245 + 12345;
    b[i] = static_cast<uint8_t>(seed >> 16);
  }
  return b;
}

struct Stream {
  const char* type;
  uint32_t scale, rate, start, length;
};

inline Bytes strh(const Stream& s) {
  Bytes b;
  put_id(&b, s.type);
  put_id(&b, "\0\0\0\0");
  for (uint32_t v : {0u, 0u, 0u, s.scale, s.rate, s.start, s.length, 0u, 0u, 0u, 0u, 0u})
    put32(&b, v);
  return b;  // 56 bytes
}

// A qel payload of the given version (24 or 36 bytes) with recognisable fields.
inline Bytes qel_payload(int32_t version, uint32_t len, int32_t app = 7, int64_t start = 1000) {
  Bytes b(len, 0);
  memcpy(b.data(), &version, 4);
  memcpy(b.data() + 4, &app, 4);
  memcpy(b.data() + 8, &start, 8);
  if (len >= 36) {
    int32_t fields[3] = {42, 1, 1};
    memcpy(b.data() + 24, fields, 12);
  }
  return b;
}

// What a test file holds; build() lays it out byte by byte.
struct AviShape {
  std::vector<Stream> streams = {{"vids", 1, 25, 0, 250}, {"auds", 1, 8000, 0, 80000}};
  uint32_t top_junk = 0;              // JUNK data size before movi, 0 for none
  uint32_t hdrl_junk = 0;             // JUNK data size at the end of hdrl
  Bytes qel_hdrl, qel_top, qel_tail;  // "_qel" inside hdrl, before movi, after idx1
  uint32_t movi_bytes = 2000;
  int avix_segments = 0;
  bool odml_index = false;  // an indx super index pointing at each segment's ix chunk
};

inline Bytes movi_list(uint32_t bytes, uint32_t seed, const Bytes& ix = {}) {
  std::vector<Bytes> frames;
  if (!ix.empty())
    frames.push_back(ix);
  for (uint32_t done = 0; done < bytes; done += 500)
    frames.push_back(chunk("00dc", filler(499, seed++)));
  return list("LIST", "movi", frames);
}

// A standard index (AVI_INDEX_OF_CHUNKS) whose base offset is `base`.
inline Bytes ix_chunk(uint64_t base) {
  Bytes d;
  d.push_back(2), d.push_back(0), d.push_back(0), d.push_back(1);
  put32(&d, 0);
  put_id(&d, "00dc");
  put32(&d, static_cast<uint32_t>(base)), put32(&d, static_cast<uint32_t>(base >> 32));
  put32(&d, 0);
  return chunk("ix00", d);
}

// Main header naming the stream count, as the platform's handler expects.
inline Bytes avih(size_t streams) {
  Bytes b;
  for (uint32_t v : {40000u, 0u, 0u, 0u, 0u, 0u, static_cast<uint32_t>(streams), 0u, 16u, 16u})
    put32(&b, v);
  b.resize(56, 0);
  return b;
}

// A BITMAPINFOHEADER for video (16x16, 24 bits), a PCM WAVEFORMATEX for audio.
inline Bytes strf(const Stream& s) {
  Bytes b;
  if (memcmp(s.type, "auds", 4) == 0) {
    for (uint32_t v : {0x00010001u, 8000u, 16000u, 0x00100002u})
      put32(&b, v);
    b.resize(18, 0);
    return b;
  }
  for (uint32_t v : {40u, 16u, 16u, 0x00180001u, 0u, 768u, 0u, 0u, 0u, 0u})
    put32(&b, v);
  return b;
}

inline Bytes build_with_offsets(const AviShape& s, const std::vector<uint64_t>& ix_offsets) {
  std::vector<Bytes> hdrl = {chunk("avih", avih(s.streams.size()))};
  for (size_t i = 0; i < s.streams.size(); ++i) {
    std::vector<Bytes> strl = {chunk("strh", strh(s.streams[i])),
                               chunk("strf", strf(s.streams[i]))};
    if (s.odml_index && i == 0) {
      Bytes d;
      d.push_back(4), d.push_back(0), d.push_back(0), d.push_back(0);
      put32(&d, static_cast<uint32_t>(s.avix_segments));
      put_id(&d, "00dc");
      put32(&d, 0), put32(&d, 0), put32(&d, 0);
      for (int k = 0; k < s.avix_segments; ++k) {
        uint64_t off = k < static_cast<int>(ix_offsets.size()) ? ix_offsets[k] : 0;
        put32(&d, static_cast<uint32_t>(off)), put32(&d, static_cast<uint32_t>(off >> 32));
        put32(&d, 32), put32(&d, 0);
      }
      strl.push_back(chunk("indx", d));
    }
    hdrl.push_back(list("LIST", "strl", strl));
  }
  if (s.hdrl_junk)
    hdrl.push_back(chunk("JUNK", Bytes(s.hdrl_junk, 0)));
  if (!s.qel_hdrl.empty())
    hdrl.push_back(chunk("_qel", s.qel_hdrl));
  std::vector<Bytes> top = {list("LIST", "hdrl", hdrl)};
  if (!s.qel_top.empty())
    top.push_back(chunk("_qel", s.qel_top));
  if (s.top_junk)
    top.push_back(chunk("JUNK", Bytes(s.top_junk, 0)));
  top.push_back(movi_list(s.movi_bytes, 1));
  top.push_back(chunk("idx1", Bytes(16, 0)));
  if (!s.qel_tail.empty())
    top.push_back(chunk("_qel", s.qel_tail));
  Bytes file = list("RIFF", "AVI ", top);
  for (int k = 0; k < s.avix_segments; ++k) {
    uint64_t seg = file.size();
    // RIFF header 12 + LIST movi header 12: the ix chunk opens the movi list.
    Bytes ix = s.odml_index ? ix_chunk(seg + 24) : Bytes();
    Bytes b = list("RIFF", "AVIX", {movi_list(s.movi_bytes, 100 + 10 * k, ix)});
    file.insert(file.end(), b.begin(), b.end());
  }
  return file;
}

// The super index needs the segments' offsets, which depend on the super index's own size;
// it has a fixed size, so build once with placeholders and again with the real offsets.
inline Bytes build(const AviShape& s) {
  if (!s.odml_index)
    return build_with_offsets(s, {});
  Bytes first = build_with_offsets(s, {});
  // Offsets of each segment's ix chunk: segment start + 24.
  std::vector<uint64_t> offsets;
  size_t at = 0;
  uint32_t riff_size;
  memcpy(&riff_size, first.data() + 4, 4);
  at = 8 + riff_size;
  for (int k = 0; k < s.avix_segments; ++k) {
    offsets.push_back(at + 24);
    uint32_t seg_size;
    memcpy(&seg_size, first.data() + at + 4, 4);
    at += 8 + seg_size;
  }
  return build_with_offsets(s, offsets);
}

inline AviLayout layout_of(const Bytes& b) {
  MemoryByteFile f(b);
  AviLayout l;
  read_avi_layout(f, &l);
  return l;
}

// The first "_qel" chunk's payload; empty when there is none or it is larger than cap.
inline Bytes chunk_of(const Bytes& b, uint32_t cap = 64) {
  MemoryByteFile f(b);
  AviLayout l;
  read_avi_layout(f, &l);
  uint8_t buf[64];
  uint32_t len = 0;
  if (cap > sizeof buf || !read_qel_chunk(f, l, buf, cap, &len))
    return {};
  return Bytes(buf, buf + len);
}

// A running engine's file: stream lengths 0, an optional "_qel" chunk before movi, the
// movi list's children, then an idx1 that a cut takes first.
inline Bytes running_file(const std::vector<Stream>& streams,
                          const std::vector<Bytes>& movi,
                          const Bytes& qel = {}) {
  std::vector<Bytes> hdrl = {chunk("avih", avih(streams.size()))};
  for (const Stream& s : streams)
    hdrl.push_back(list("LIST", "strl", {chunk("strh", strh(s)), chunk("strf", strf(s))}));
  std::vector<Bytes> top = {list("LIST", "hdrl", hdrl)};
  if (!qel.empty())
    top.push_back(chunk("_qel", qel));
  top.push_back(list("LIST", "movi", movi));
  top.push_back(chunk("idx1", Bytes(16, 0)));
  return list("RIFF", "AVI ", top);
}

// Ids that name no stream of a file with `count` streams: its count and beyond, and
// non-digits on either side of the digit range (with 12 streams, "0:" would be 10 and
// "1/" 9 if read as numbers).
inline std::vector<std::string> stray_ids(size_t count) {
  auto two = [](size_t n) { return std::string{char('0' + n / 10), char('0' + n % 10)}; };
  std::vector<std::string> ids;
  for (const std::string& n :
       {two(count), two(count + 1), std::string("99"), std::string("0:"), std::string("1/"),
        std::string("/0"), std::string(":0"), std::string("ab")})
    ids.push_back(n + (ids.size() % 2 ? "wb" : "dc"));
  return ids;
}

// `count` video streams with i + 1 frames each, and after every round of frames a chunk of
// each stray id.
inline Bytes stray_file(size_t count) {
  std::vector<Stream> streams(count, Stream{"vids", 1, 25, 0, 0});
  std::vector<Bytes> movi;
  uint32_t seed = 0;
  for (size_t round = 0; round < count; ++round) {
    for (size_t s = round; s < count; ++s) {
      char id[5] = {char('0' + s / 10), char('0' + s % 10), 'd', 'c', 0};
      movi.push_back(chunk(id, filler(101 + 2 * s, seed++)));
    }
    for (const std::string& id : stray_ids(count))
      movi.push_back(chunk(id.c_str(), filler(77, seed++)));
  }
  return running_file(streams, movi);
}

// Reads a whole file's idx1 back entry by entry, by hand rather than through the layout
// reader. Offsets count from the first movi list's "movi" word (4 names the chunk right
// after it). Each entry must be a key frame and land on a chunk of its id and size inside
// that list, and every chunk of a declared stream ("00dc" up to the number of stream
// lists) must be named once, in file order. Empty when all of that holds, else the first
// thing that does not.
inline std::string idx1_mismatch(const Bytes& b) {
  auto le = [&b](uint64_t at) {
    uint32_t v;
    memcpy(&v, b.data() + at, 4);
    return v;
  };
  auto digit = [](uint32_t id, int i) { return static_cast<int>(id >> (8 * i) & 0xFF) - '0'; };
  if (b.size() < 12 || memcmp(b.data(), "RIFF", 4) != 0 || memcmp(b.data() + 8, "AVI ", 4) != 0)
    return "not an AVI";
  uint64_t end = 8 + uint64_t{le(4)};
  if (end > b.size())
    return "RIFF runs past the file";
  uint64_t movi = 0, movi_end = 0, idx1 = 0, idx1_end = 0;
  int streams = 0;
  for (uint64_t at = 12; at + 8 <= end;) {
    uint32_t id = le(at), size = le(at + 4);
    if (at + 8 + size > end)
      return "top-level chunk at " + std::to_string(at) + " runs past the RIFF";
    if (id == fourcc("LIST") && size >= 4 && le(at + 8) == fourcc("hdrl")) {
      for (uint64_t c = at + 12; c + 12 <= at + 8 + size; c += 8 + le(c + 4) + (le(c + 4) & 1))
        streams += le(c) == fourcc("LIST") && le(c + 8) == fourcc("strl");
    } else if (id == fourcc("LIST") && size >= 4 && le(at + 8) == fourcc("movi") && !movi) {
      movi = at + 8, movi_end = at + 8 + size;
    } else if (id == fourcc("idx1") && !idx1) {
      idx1 = at + 8, idx1_end = at + 8 + size;
    }
    at += 8 + size + (size & 1);
  }
  if (!movi || !idx1)
    return "no movi list or no idx1";
  std::vector<uint64_t> expected;
  for (uint64_t at = movi + 4; at + 8 <= movi_end;) {
    uint32_t id = le(at), size = le(at + 4);
    if (id == fourcc("LIST")) {  // "rec " groups hold chunks like the list itself
      at += 12;
      continue;
    }
    if (at + 8 + size > movi_end)
      return "movi chunk at " + std::to_string(at) + " runs past its list";
    int n = digit(id, 0) * 10 + digit(id, 1);
    if (digit(id, 0) >= 0 && digit(id, 0) <= 9 && digit(id, 1) >= 0 && digit(id, 1) <= 9 &&
        n < streams)
      expected.push_back(at);
    at += 8 + size + (size & 1);
  }
  if ((idx1_end - idx1) % 16 != 0)
    return "idx1 size is not a whole number of entries";
  size_t entries = (idx1_end - idx1) / 16;
  for (size_t i = 0; i < entries; ++i) {
    uint64_t e = idx1 + 16 * i;
    std::string at = "entry " + std::to_string(i) + ": ";
    uint64_t chunk = movi + le(e + 8);
    if ((le(e + 4) & 0x10) == 0)
      return at + "not a key frame";
    if (chunk + 8 > movi_end || chunk + 8 + le(e + 12) > movi_end)
      return at + "points outside the movi list";
    if (le(chunk) != le(e) || le(chunk + 4) != le(e + 12))
      return at + "id or size differs from the chunk it points at";
    if (i >= expected.size() || expected[i] != chunk)
      return at + "not the next chunk of a declared stream";
  }
  if (entries != expected.size())
    return std::to_string(expected.size() - entries) + " chunks of declared streams not listed";
  return "";
}

class MemoryAviTarget : public AviTarget {
 public:
  explicit MemoryAviTarget(Bytes bytes) : original_(std::move(bytes)) {}
  ByteFile& original() override { return original_; }
  ByteFile* create_replacement() override {
    replacement_ = MemoryByteFile();
    has_replacement_ = true;
    return &replacement_;
  }
  bool commit_replacement() override {
    if (!has_replacement_)
      return false;
    original_.bytes() = replacement_.bytes();
    has_replacement_ = false;
    return true;
  }
  void discard_replacement() override { has_replacement_ = false; }
  Bytes& bytes() { return original_.bytes(); }

 private:
  MemoryByteFile original_;
  MemoryByteFile replacement_;
  bool has_replacement_ = false;
};

}  // namespace avi_test
