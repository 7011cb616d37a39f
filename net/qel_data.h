// A counted growable byte buffer. ZulData is a handle: copies share the bytes; only a new
// ZulData makes a new buffer.
#pragma once

#include <cstdint>

#include "qel_lib/qel_ptr.h"

class ZulDataImpl : public ZulIObject {
 public:
  ZulDataImpl(uint32_t initial_capacity, uint32_t step);
  ~ZulDataImpl() override;

  // Grows to ((n / step) + 1) * step bytes when the capacity is below n.
  uint32_t Expand(uint32_t n);
  // Returns the new length; nothing is written when the buffer cannot grow.
  uint32_t Append(const void* bytes, uint32_t n);
  void Consume(uint32_t n);
  void Clear() { Consume(mLength); }
  // Room for n bytes after those in use, for a receive to fill in place (null when the
  // buffer cannot grow); Commit then counts the bytes filled.
  uint8_t* Reserve(uint32_t n);
  void Commit(uint32_t n);
  // Keeps the first n bytes.
  void Truncate(uint32_t n) { mLength = n < mLength ? n : mLength; }
  uint8_t* GetData(uint32_t offset = 0) const;
  uint32_t GetLength() const { return mLength; }
  uint32_t GetCapacity() const { return mCapacity; }

 private:
  uint8_t* mBytes = nullptr;
  uint32_t mLength = 0;
  uint32_t mCapacity = 0;
  uint32_t mStep;
};

class ZulData {
 public:
  ZulData(uint32_t initial_capacity = 0, uint32_t step = 256)
      : mImpl(new ZulDataImpl(initial_capacity, step)) {}

  uint32_t Expand(uint32_t n) { return mImpl->Expand(n); }
  uint32_t Append(const void* bytes, uint32_t n) { return mImpl->Append(bytes, n); }
  void Consume(uint32_t n) { mImpl->Consume(n); }
  void Clear() { mImpl->Clear(); }
  uint8_t* Reserve(uint32_t n) { return mImpl->Reserve(n); }
  void Commit(uint32_t n) { mImpl->Commit(n); }
  void Truncate(uint32_t n) { mImpl->Truncate(n); }
  // True when no other handle refers to these bytes.
  bool IsSole() const { return mImpl.block()->shared_count == 1; }
  uint8_t* GetData(uint32_t offset = 0) const { return mImpl->GetData(offset); }
  uint32_t GetLength() const { return mImpl->GetLength(); }
  uint32_t GetCapacity() const { return mImpl->GetCapacity(); }
  bool SharesWith(const ZulData& other) const { return mImpl.get() == other.mImpl.get(); }

 private:
  shared_ptr<ZulDataImpl> mImpl;
};
