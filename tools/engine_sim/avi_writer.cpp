#include "tools/engine_sim/avi_writer.h"

#include <cmath>
#include <cstring>

namespace {

constexpr uint32_t fourcc(const char (&s)[5]) {
  return uint32_t(uint8_t(s[0])) | uint32_t(uint8_t(s[1])) << 8 | uint32_t(uint8_t(s[2])) << 16 |
         uint32_t(uint8_t(s[3])) << 24;
}

constexpr uint32_t kAvifHasIndex = 0x10;
constexpr uint32_t kAviifKeyframe = 0x10;
// Where the headers keep the counts that are known only at the end.
constexpr long kRiffSizeAt = 4;
constexpr long kTotalFramesAt = 48;
constexpr int kMaxSide = 4096;

uint32_t row_bytes(int width) {
  return (uint32_t(width) * 3 + 3) & ~3u;
}

}  // namespace

AviWriter::~AviWriter() {
  if (m_file)
    std::fclose(m_file);
}

bool AviWriter::put(const void* data, size_t size) {
  m_ok = m_ok && std::fwrite(data, 1, size, m_file) == size;
  return m_ok;
}

bool AviWriter::patch32(long at, uint32_t v) {
  m_ok = m_ok && std::fseek(m_file, at, SEEK_SET) == 0;
  return put32(v);
}

bool AviWriter::Open(const std::wstring& path, int width, int height) {
  if (m_file || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
    return false;
  m_file = _wfopen(path.c_str(), L"wb");
  if (!m_file)
    return false;
  m_width = width;
  m_height = height;
  m_ok = true;
  return dojob_write_headers();
}

// RIFF AVI, LIST hdrl { avih, LIST strl { strh vids, strf }, LIST strl { strh auds, strf } },
// LIST movi. Sizes of the fixed part are constant; counts are patched in Close.
bool AviWriter::dojob_write_headers() {
  const uint32_t frame_size = row_bytes(m_width) * uint32_t(m_height);
  const uint32_t audio_size = kSamplesPerFrame * 2;
  put32(fourcc("RIFF"));
  put32(0);
  put32(fourcc("AVI "));
  put32(fourcc("LIST"));
  put32(4 + (8 + 56) + (12 + 8 + 56 + 8 + 40) + (12 + 8 + 56 + 8 + 16));
  put32(fourcc("hdrl"));
  const uint32_t avih[14] = {1000000 / kFps,
                             (frame_size + audio_size) * kFps,
                             0,
                             kAvifHasIndex,
                             0,
                             0,
                             2,
                             frame_size,
                             uint32_t(m_width),
                             uint32_t(m_height)};
  put_chunk(fourcc("avih"), avih, sizeof avih);
  const uint32_t vids[14] = {fourcc("vids"),
                             fourcc("DIB "),
                             0,
                             0,
                             0,
                             1,
                             kFps,
                             0,
                             0,
                             frame_size,
                             uint32_t(-1),
                             0,
                             0,
                             uint32_t(m_width) | uint32_t(m_height) << 16};
  const uint32_t bih[10] = {
      40, uint32_t(m_width), uint32_t(m_height), 1 | 24u << 16, 0, frame_size, 0, 0, 0, 0};
  dojob_write_stream_list(vids, bih, sizeof bih);
  const uint32_t auds[14] = {fourcc("auds"), 0, 0, 0, 0, 1, kSampleRate, 0, 0, audio_size,
                             uint32_t(-1),   2, 0, 0};
  const uint16_t wfx[8] = {1, 1, uint16_t(kSampleRate), 0, uint16_t(kSampleRate * 2), 0, 2, 16};
  dojob_write_stream_list(auds, wfx, sizeof wfx);
  put32(fourcc("LIST"));
  put32(0);
  m_movi_pos = std::ftell(m_file);
  put32(fourcc("movi"));
  return m_ok;
}

void AviWriter::dojob_fill_video(std::vector<uint8_t>* out) const {
  const uint32_t stride = row_bytes(m_width);
  out->assign(size_t(stride) * m_height, 0);
  // Colour bars that scroll one column per frame, so the picture visibly moves.
  for (int y = 0; y < m_height; ++y) {
    uint8_t* row = out->data() + size_t(y) * stride;
    for (int x = 0; x < m_width; ++x) {
      int bar = ((x + m_frames) * 8 / m_width) % 8;
      row[x * 3 + 0] = (bar & 1) ? 0xff : 0x20;
      row[x * 3 + 1] = (bar & 2) ? 0xff : 0x20;
      row[x * 3 + 2] = (bar & 4) ? 0xff : 0x20;
    }
  }
}

void AviWriter::dojob_fill_audio(std::vector<uint8_t>* out) const {
  out->resize(kSamplesPerFrame * 2);
  for (int i = 0; i < kSamplesPerFrame; ++i) {
    double t = double(m_frames * kSamplesPerFrame + i) / kSampleRate;
    auto s = int16_t(std::lround(6000 * std::sin(2 * 3.14159265358979 * 440 * t)));
    std::memcpy(out->data() + i * 2, &s, 2);
  }
}

bool AviWriter::put_chunk(uint32_t id, const void* data, size_t size) {
  put32(id);
  put32(uint32_t(size));
  put(data, size);
  if (size & 1)
    put("", 1);
  return m_ok;
}

// LIST strl { strh, strf }: the stream header and its format.
bool AviWriter::dojob_write_stream_list(const uint32_t (&strh)[14],
                                        const void* format,
                                        uint32_t format_size) {
  put32(fourcc("LIST"));
  put32(uint32_t(4 + 8 + sizeof strh + 8 + format_size));
  put32(fourcc("strl"));
  put_chunk(fourcc("strh"), strh, sizeof strh);
  return put_chunk(fourcc("strf"), format, format_size);
}

bool AviWriter::dojob_write_chunk(uint32_t id, const std::vector<uint8_t>& data) {
  long at = std::ftell(m_file);
  m_index.push_back(IndexEntry{id, uint32_t(at - m_movi_pos), uint32_t(data.size())});
  return put_chunk(id, data.data(), data.size());
}

bool AviWriter::WriteFrame() {
  if (!m_file)
    return false;
  std::vector<uint8_t> data;
  dojob_fill_video(&data);
  dojob_write_chunk(fourcc("00db"), data);
  dojob_fill_audio(&data);
  dojob_write_chunk(fourcc("01wb"), data);
  if (m_ok)
    ++m_frames;
  return m_ok;
}

void AviWriter::Flush() {
  if (m_file)
    std::fflush(m_file);
}

bool AviWriter::Close() {
  if (!m_file)
    return false;
  long movi_end = std::ftell(m_file);
  put32(fourcc("idx1"));
  put32(uint32_t(m_index.size() * 16));
  for (const IndexEntry& e : m_index) {
    const uint32_t entry[4] = {e.id, kAviifKeyframe, e.offset, e.size};
    put(entry, sizeof entry);
  }
  long end = std::ftell(m_file);
  patch32(kRiffSizeAt, uint32_t(end - 8));
  patch32(kTotalFramesAt, uint32_t(m_frames));
  patch32(m_movi_pos - 4, uint32_t(movi_end - m_movi_pos));
  // dwLength of each strh: 32 bytes into the 56-byte header.
  const long video_strh = 12 + 12 + 8 + 56 + 12 + 8;
  const long audio_strh = video_strh + 56 + 8 + 40 + 12 + 8;
  patch32(video_strh + 32, uint32_t(m_frames));
  patch32(audio_strh + 32, uint32_t(m_frames) * kSamplesPerFrame);
  bool ok = m_ok;
  ok = std::fclose(m_file) == 0 && ok;
  m_file = nullptr;
  m_index.clear();
  return ok;
}
