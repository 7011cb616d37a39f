// ByteFile and AviTarget over real files through the platform seam.
#pragma once

#include <string>

#include "library/byte_file.h"
#include "platform/files.h"

class PlatformByteFile : public ByteFile {
 public:
  PlatformByteFile(const std::u16string& path, platform::FileMode mode)
      : file_(platform::file_open(path, mode)) {}
  ~PlatformByteFile() override { close(); }
  PlatformByteFile(const PlatformByteFile&) = delete;
  PlatformByteFile& operator=(const PlatformByteFile&) = delete;

  bool is_open() const { return file_ != nullptr; }
  void close();
  bool read_at(uint64_t offset, void* data, uint32_t len) override;
  bool size(uint64_t* out) override;
  bool write_at(uint64_t offset, const void* data, uint32_t len) override;
  bool flush() override;

 private:
  platform::File file_;
};

class AviFileTarget : public AviTarget {
 public:
  explicit AviFileTarget(const std::u16string& path)
      : path_(path), original_(path, platform::FileMode::kReadWrite) {}
  ~AviFileTarget() override { discard_replacement(); }

  bool is_open() const { return original_.is_open(); }
  ByteFile& original() override { return original_; }
  ByteFile* create_replacement() override;
  bool commit_replacement() override;
  void discard_replacement() override;

 private:
  std::u16string replacement_path() const { return path_ + u".qeltmp"; }

  std::u16string path_;
  PlatformByteFile original_;
  std::unique_ptr<PlatformByteFile> replacement_;
};
