// A small AVI writer for the engine stand-in: one raw RGB24 video stream at 15 fps and one
// 16-bit mono PCM stream, interleaved frame by frame, with an idx1 index. The headers are
// written first and patched with the final counts when the file is closed.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

class AviWriter {
 public:
  static constexpr int kFps = 15;
  static constexpr int kSampleRate = 12000;  // 800 samples per video frame
  static constexpr int kSamplesPerFrame = kSampleRate / kFps;

  AviWriter() = default;
  AviWriter(const AviWriter&) = delete;
  AviWriter& operator=(const AviWriter&) = delete;
  ~AviWriter();

  // Creates the file; false when it cannot be created or the size is unusable.
  bool Open(const std::wstring& path, int width, int height);
  // Appends one synthetic video frame and its share of audio.
  bool WriteFrame();
  // What was written so far reaches the file.
  void Flush();
  // Writes the index, patches the headers and closes; false on any write failure.
  bool Close();
  bool is_open() const { return m_file != nullptr; }
  int frames() const { return m_frames; }

 private:
  struct IndexEntry {
    uint32_t id;
    uint32_t offset;
    uint32_t size;
  };

  bool dojob_write_headers();
  bool dojob_write_stream_list(const uint32_t (&strh)[14],
                               const void* format,
                               uint32_t format_size);
  bool dojob_write_chunk(uint32_t id, const std::vector<uint8_t>& data);
  void dojob_fill_video(std::vector<uint8_t>* out) const;
  void dojob_fill_audio(std::vector<uint8_t>* out) const;
  bool put(const void* data, size_t size);
  bool put32(uint32_t v) { return put(&v, sizeof v); }
  // One RIFF chunk: id, size, data and the pad byte that keeps chunks at even offsets.
  bool put_chunk(uint32_t id, const void* data, size_t size);
  bool patch32(long at, uint32_t v);

  std::FILE* m_file = nullptr;
  bool m_ok = true;
  int m_width = 0;
  int m_height = 0;
  int m_frames = 0;
  long m_movi_pos = 0;  // position of the "movi" list type
  std::vector<IndexEntry> m_index;
};
