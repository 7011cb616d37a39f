#include "net/qel_data.h"

#include <cstring>
#include <new>

#include "qel_lib/qel_assert.h"

ZulDataImpl::ZulDataImpl(uint32_t initial_capacity, uint32_t step) : mStep(step ? step : 1) {
  Expand(initial_capacity);
}

ZulDataImpl::~ZulDataImpl() {
  delete[] mBytes;
}

uint32_t ZulDataImpl::Expand(uint32_t n) {
  if (mCapacity >= n)
    return mCapacity;
  uint64_t size = (static_cast<uint64_t>(n) / mStep + 1) * mStep;
  uint8_t* bytes = size <= UINT32_MAX ? new (std::nothrow) uint8_t[size] : nullptr;
  if (!bytes) {
    QEL_ASSERT(false);
    return mCapacity;
  }
  if (mLength)
    std::memcpy(bytes, mBytes, mLength);
  delete[] mBytes;
  mBytes = bytes;
  mCapacity = static_cast<uint32_t>(size);
  return mCapacity;
}

uint8_t* ZulDataImpl::Reserve(uint32_t n) {
  if (n > UINT32_MAX - mLength)
    return nullptr;
  uint32_t need = mLength + n;
  // At least doubling keeps a long run of small appends linear; Expand's rounding stays.
  if (need > mCapacity && mCapacity && mCapacity <= UINT32_MAX / 2 && need < 2 * mCapacity)
    need = 2 * mCapacity;
  if (Expand(need) < mLength + n)
    return nullptr;
  return mBytes + mLength;
}

void ZulDataImpl::Commit(uint32_t n) {
  mLength += n < mCapacity - mLength ? n : mCapacity - mLength;
}

uint32_t ZulDataImpl::Append(const void* bytes, uint32_t n) {
  if (!n)
    return mLength;
  uint8_t* room = Reserve(n);
  if (!room)
    return mLength;
  std::memcpy(room, bytes, n);
  mLength += n;
  return mLength;
}

void ZulDataImpl::Consume(uint32_t n) {
  if (!n)
    return;
  if (n >= mLength) {
    mLength = 0;
    return;
  }
  std::memmove(mBytes, mBytes + n, mLength - n);
  mLength -= n;
}

uint8_t* ZulDataImpl::GetData(uint32_t offset) const {
  return offset < mLength ? mBytes + offset : nullptr;
}
