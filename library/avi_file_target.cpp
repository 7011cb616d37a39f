#include "library/avi_file_target.h"

void PlatformByteFile::close() {
  platform::file_close(file_);
  file_ = nullptr;
}

bool PlatformByteFile::read_at(uint64_t offset, void* data, uint32_t len) {
  uint32_t got = 0;
  return file_ && platform::file_read_at(file_, offset, data, len, &got) && got == len;
}

bool PlatformByteFile::size(uint64_t* out) {
  return file_ && platform::file_size(file_, out);
}

bool PlatformByteFile::write_at(uint64_t offset, const void* data, uint32_t len) {
  return file_ && platform::file_write_at(file_, offset, data, len);
}

bool PlatformByteFile::flush() {
  return file_ && platform::file_flush(file_);
}

ByteFile* AviFileTarget::create_replacement() {
  replacement_ =
      std::make_unique<PlatformByteFile>(replacement_path(), platform::FileMode::kCreate);
  if (replacement_->is_open())
    return replacement_.get();
  replacement_.reset();
  return nullptr;
}

bool AviFileTarget::commit_replacement() {
  if (!replacement_)
    return false;
  replacement_->close();
  original_.close();
  replacement_.reset();
  if (platform::file_replace(replacement_path(), path_))
    return true;
  platform::file_delete(replacement_path());
  return false;
}

void AviFileTarget::discard_replacement() {
  if (!replacement_)
    return;
  replacement_.reset();
  platform::file_delete(replacement_path());
}
