// Random access to the bytes of a recording, so the RIFF code runs the same over a real
// file, a memory buffer (tests, fuzzing) or a simulated crash.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

class ByteFile {
 public:
  virtual ~ByteFile() = default;
  // Reads exactly len bytes; false when they are not all there.
  virtual bool read_at(uint64_t offset, void* data, uint32_t len) = 0;
  virtual bool size(uint64_t* out) = 0;
  virtual bool write_at(uint64_t offset, const void* data, uint32_t len) = 0;
  virtual bool flush() = 0;
};

// A file to be tagged plus the means to replace it wholesale when nothing else works: a
// replacement is built beside it and swapped in with one atomic rename.
class AviTarget {
 public:
  virtual ~AviTarget() = default;
  virtual ByteFile& original() = 0;
  // A new empty file beside the original; null on failure.
  virtual ByteFile* create_replacement() = 0;
  // Closes both files and renames the replacement over the original.
  virtual bool commit_replacement() = 0;
  virtual void discard_replacement() = 0;
};

class MemoryByteFile : public ByteFile {
 public:
  MemoryByteFile() = default;
  explicit MemoryByteFile(std::vector<uint8_t> bytes) : bytes_(std::move(bytes)) {}
  bool read_at(uint64_t offset, void* data, uint32_t len) override;
  bool size(uint64_t* out) override;
  bool write_at(uint64_t offset, const void* data, uint32_t len) override;
  bool flush() override { return true; }
  std::vector<uint8_t>& bytes() { return bytes_; }

 private:
  std::vector<uint8_t> bytes_;
};
