// Holds one counted reference to a COM interface and releases it when replaced or destroyed.
#pragma once

#include <unknwn.h>

#include <utility>

template <class T>
class WkComPtr {
 public:
  WkComPtr() = default;
  WkComPtr(const WkComPtr& o) : p_(o.p_) {
    if (p_)
      p_->AddRef();
  }
  WkComPtr(WkComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
  WkComPtr& operator=(WkComPtr o) {
    std::swap(p_, o.p_);
    return *this;
  }
  ~WkComPtr() { Release(); }

  // Drops the held reference.
  void Release() {
    if (T* p = std::exchange(p_, nullptr))
      p->Release();
  }
  // For out-parameters of creation functions; the previous reference is dropped first.
  T** Receive() {
    Release();
    return &p_;
  }
  T* get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

 private:
  T* p_ = nullptr;
};
