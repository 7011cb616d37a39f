// Memory in the process that owns a window, for the controls' messages whose records Windows
// does not carry across processes: the control fills a record made in its own process, as it
// does for a screen reader.
#pragma once

#include <cstddef>
#include <string>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win.h"

class WkRemoteMemory {
 public:
  WkRemoteMemory(HWND wnd, size_t size);
  ~WkRemoteMemory();
  WkRemoteMemory(const WkRemoteMemory&) = delete;
  WkRemoteMemory& operator=(const WkRemoteMemory&) = delete;

  bool ok() const { return remote_ != nullptr; }
  // The address in the owner's process, at an offset.
  char* at(size_t offset = 0) const { return remote_ + offset; }
  bool write(size_t offset, const void* data, size_t size) const;
  bool read(size_t offset, void* data, size_t size) const;
  // Sends the message with lParam pointing here; false when the window does not answer.
  bool send(UINT msg, WPARAM wparam, LRESULT* result = nullptr) const;

 private:
  HWND wnd_;
  platform::ScopedKernelHandle process_;
  char* remote_ = nullptr;
};

// The text of one part of a status bar of any process.
std::wstring WkReadStatusText(HWND status_bar, int part);
