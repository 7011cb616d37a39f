// Owns one OS handle; the traits name how to close it (LLVM's ScopedHandle).
#pragma once

#include <utility>

#include "platform/win32/win.h"

namespace platform {

template <class Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;
  ScopedHandle() = default;
  explicit ScopedHandle(Handle h) : h_(h) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& o) noexcept : h_(std::exchange(o.h_, Traits::Invalid())) {}
  ScopedHandle& operator=(ScopedHandle&& o) noexcept {
    reset(std::exchange(o.h_, Traits::Invalid()));
    return *this;
  }
  ~ScopedHandle() { reset(); }
  void reset(Handle h = Traits::Invalid()) {
    if (h_ != Traits::Invalid())
      Traits::Close(h_);
    h_ = h;
  }
  Handle get() const { return h_; }
  Handle release() { return std::exchange(h_, Traits::Invalid()); }
  explicit operator bool() const { return h_ != Traits::Invalid(); }

 private:
  Handle h_ = Traits::Invalid();
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::CloseHandle(h); }
};
struct FileHandleTraits {
  using Handle = HANDLE;
  static Handle Invalid() { return INVALID_HANDLE_VALUE; }
  static void Close(Handle h) { ::CloseHandle(h); }
};
struct RegKeyTraits {
  using Handle = HKEY;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::RegCloseKey(h); }
};
struct WindowTraits {
  using Handle = HWND;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::DestroyWindow(h); }
};

using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;
using ScopedFileHandle = ScopedHandle<FileHandleTraits>;
using ScopedRegKey = ScopedHandle<RegKeyTraits>;
using ScopedWindow = ScopedHandle<WindowTraits>;

}  // namespace platform
