// A handle that holds one reference on a node counted with AddRef/Release; copying takes
// another reference. Shared by the registry key and value handles.
#pragma once

#include <utility>

template <class T>
class ZulCountedHandle {
 public:
  ZulCountedHandle() = default;
  // Takes a new reference to the node (null gives a null handle).
  explicit ZulCountedHandle(T* impl) : m_impl(impl) {
    if (m_impl)
      m_impl->AddRef();
  }
  ZulCountedHandle(const ZulCountedHandle& other) : ZulCountedHandle(other.m_impl) {}
  ZulCountedHandle(ZulCountedHandle&& other) noexcept
      : m_impl(std::exchange(other.m_impl, nullptr)) {}
  ZulCountedHandle& operator=(const ZulCountedHandle& other) {
    if (other.m_impl)
      other.m_impl->AddRef();
    if (m_impl)
      m_impl->Release();
    m_impl = other.m_impl;
    return *this;
  }
  ZulCountedHandle& operator=(ZulCountedHandle&& other) noexcept {
    if (this != &other) {
      if (m_impl)
        m_impl->Release();
      m_impl = std::exchange(other.m_impl, nullptr);
    }
    return *this;
  }
  ~ZulCountedHandle() {
    if (m_impl)
      m_impl->Release();
  }

  bool IsValid() const { return m_impl != nullptr; }
  T* Impl() const { return m_impl; }

 protected:
  T* m_impl = nullptr;
};
