#include "winkit/testing/remote_memory.h"

#include <commctrl.h>

namespace {
constexpr DWORD kAnswerMs = 5000;
constexpr size_t kStatusChars = 512;
}  // namespace

WkRemoteMemory::WkRemoteMemory(HWND wnd, size_t size) : wnd_(wnd) {
  DWORD pid = 0;
  GetWindowThreadProcessId(wnd, &pid);
  process_.reset(
      OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid));
  if (process_)
    remote_ = static_cast<char*>(
        VirtualAllocEx(process_.get(), nullptr, size, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE));
}

WkRemoteMemory::~WkRemoteMemory() {
  if (remote_)
    VirtualFreeEx(process_.get(), remote_, 0, MEM_RELEASE);
}

bool WkRemoteMemory::write(size_t offset, const void* data, size_t size) const {
  return remote_ && WriteProcessMemory(process_.get(), remote_ + offset, data, size, nullptr);
}

bool WkRemoteMemory::read(size_t offset, void* data, size_t size) const {
  return remote_ && ReadProcessMemory(process_.get(), remote_ + offset, data, size, nullptr);
}

bool WkRemoteMemory::send(UINT msg, WPARAM wparam, LRESULT* result) const {
  DWORD_PTR answer = 0;
  if (!remote_ || !SendMessageTimeoutW(wnd_, msg, wparam, reinterpret_cast<LPARAM>(remote_),
                                       SMTO_ABORTIFHUNG, kAnswerMs, &answer))
    return false;
  if (result)
    *result = static_cast<LRESULT>(answer);
  return true;
}

std::wstring WkReadStatusText(HWND status_bar, int part) {
  WkRemoteMemory memory(status_bar, kStatusChars * sizeof(wchar_t));
  DWORD_PTR length = 0;
  if (!memory.ok() ||
      !SendMessageTimeoutW(status_bar, SB_GETTEXTLENGTHW, part, 0, SMTO_ABORTIFHUNG, kAnswerMs,
                           &length) ||
      LOWORD(length) >= kStatusChars)
    return {};
  std::wstring text(LOWORD(length), L'\0');
  if (!memory.send(SB_GETTEXTW, part) ||
      !memory.read(0, text.data(), text.size() * sizeof(wchar_t)))
    return {};
  return text;
}
