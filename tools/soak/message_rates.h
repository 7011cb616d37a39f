// The program's message and timer rates while idle, counted inside it by a GetMessage hook
// that the driver sets on the program's UI thread for the time it watches (as a message spy
// does); the program itself carries nothing for it.
#pragma once

#include <string>

#include "platform/win32/scoped_handle.h"
#include "tools/soak/message_counts.h"
#include "tools/soak/soak_plan.h"

class MessageRates {
 public:
  // `hook_dll` is the full path of soak_msg_hook.dll.
  explicit MessageRates(std::wstring hook_dll) : hook_dll_(std::move(hook_dll)) {}
  ~MessageRates();
  MessageRates(const MessageRates&) = delete;
  MessageRates& operator=(const MessageRates&) = delete;

  // "idle messages/s" and "idle timer messages/s" of the thread that owns `window`, watched
  // for `ms`.
  SoakSample Measure(HWND window, DWORD ms);

 private:
  bool Map(DWORD pid);
  void Unmap();

  std::wstring hook_dll_;
  DWORD pid_ = 0;
  platform::ScopedKernelHandle map_;
  SoakMessageCounts* counts_ = nullptr;
};
