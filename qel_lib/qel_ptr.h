// The program's own shared and weak pointers. Unlike the standard ones they find an
// existing count block through the object (t_ZulIObject::get_detail), so any number of
// pointers made from the same raw pointer at different times share one block.
#pragma once

#include <atomic>
#include <cstdint>

#include "qel_lib/qel_iobject.h"

struct detail_count {
  t_ZulIObject* object;
  std::atomic<int32_t> shared_count;
  std::atomic<int32_t> weak_count;
};

// Drops one strong count: deletes the object at zero, frees the block when both are zero.
void release_shared(detail_count* block);
// Drops one weak count; frees the block when both are zero.
void release_weak(detail_count* block);

template <class T>
class weak_ptr;

template <class T>
class shared_ptr {
 public:
  // An empty pointer still owns a block of its own.
  shared_ptr() : mPtr(nullptr), mDetail(new detail_count{nullptr, 1, 0}) {}

  explicit shared_ptr(T* p) : mPtr(p) {
    if (!p) {
      mDetail = new detail_count{nullptr, 1, 0};
      return;
    }
    t_ZulIObject* base = p;
    mDetail = base->get_detail();
    if (mDetail) {
      ++mDetail->shared_count;
    } else {
      mDetail = new detail_count{base, 1, 0};
      base->set_detail(mDetail);
    }
  }

  shared_ptr(const shared_ptr& o) : mPtr(o.mPtr), mDetail(o.mDetail) { ++mDetail->shared_count; }

  template <class U>
  shared_ptr(const shared_ptr<U>& o) : mPtr(o.get_raw()), mDetail(o.block()) {
    ++mDetail->shared_count;
  }

  shared_ptr& operator=(const shared_ptr& o) { return assign(o.mPtr, o.mDetail); }

  template <class U>
  shared_ptr& operator=(const shared_ptr<U>& o) {
    return assign(o.get_raw(), o.block());
  }

  ~shared_ptr() { release_shared(mDetail); }

  bool valid() const { return mDetail->object != nullptr; }
  explicit operator bool() const { return valid(); }
  T* get() const { return valid() ? mPtr : nullptr; }
  T* operator->() const { return get(); }
  T& operator*() const { return *get(); }
  void reset() { *this = shared_ptr(); }

  // For the pointer templates themselves.
  T* get_raw() const { return mPtr; }
  detail_count* block() const { return mDetail; }

  // Takes over one strong count already added to block (used by weak_ptr::lock).
  static shared_ptr adopt(T* p, detail_count* block) { return shared_ptr(p, block, 0); }

 private:
  shared_ptr(T* p, detail_count* block, int) : mPtr(p), mDetail(block) {}

  shared_ptr& assign(T* p, detail_count* block) {
    if (block == mDetail)
      return *this;
    ++block->shared_count;
    detail_count* old = mDetail;
    mPtr = p;
    mDetail = block;
    release_shared(old);
    return *this;
  }

  T* mPtr;
  detail_count* mDetail;
};

template <class T, class U>
bool operator==(const shared_ptr<T>& a, const shared_ptr<U>& b) {
  return a.get() == b.get();
}

template <class T>
class weak_ptr {
 public:
  weak_ptr() : mDetail(new detail_count{nullptr, 0, 1}) {}
  weak_ptr(const weak_ptr& o) : mDetail(o.mDetail) { ++mDetail->weak_count; }
  template <class U>
  weak_ptr(const shared_ptr<U>& s) : mDetail(s.block()) {
    ++mDetail->weak_count;
  }
  template <class U>
  weak_ptr(const weak_ptr<U>& o) : mDetail(o.block()) {
    ++mDetail->weak_count;
  }
  ~weak_ptr() { release_weak(mDetail); }

  weak_ptr& operator=(const weak_ptr& o) { return assign(o.mDetail); }
  template <class U>
  weak_ptr& operator=(const shared_ptr<U>& s) {
    return assign(s.block());
  }
  template <class U>
  weak_ptr& operator=(const weak_ptr<U>& o) {
    return assign(o.block());
  }

  bool valid() const { return mDetail->object != nullptr; }

  // A strong pointer to the object, or an empty one (with a fresh block) once it is gone.
  shared_ptr<T> lock() const {
    if (mDetail->shared_count == 0 || !mDetail->object)
      return shared_ptr<T>();
    T* p = dynamic_cast<T*>(mDetail->object);
    if (!p)
      return shared_ptr<T>();
    ++mDetail->shared_count;
    return shared_ptr<T>::adopt(p, mDetail);
  }

  detail_count* block() const { return mDetail; }

 private:
  weak_ptr& assign(detail_count* block) {
    if (block == mDetail)
      return *this;
    ++block->weak_count;
    detail_count* old = mDetail;
    mDetail = block;
    release_weak(old);
    return *this;
  }

  detail_count* mDetail;
};
