#include "winkit/wk_shutdown_block.h"

namespace {

template <class Fn>
Fn user32_function(const char* name) {
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
}

}  // namespace

WkShutdownBlockReason::WkShutdownBlockReason(HWND hwnd, const wchar_t* reason) : m_hwnd(hwnd) {
  using Create = BOOL(WINAPI*)(HWND, LPCWSTR);
  if (auto create = user32_function<Create>("ShutdownBlockReasonCreate"))
    create(m_hwnd, reason);
}

WkShutdownBlockReason::~WkShutdownBlockReason() {
  using Destroy = BOOL(WINAPI*)(HWND);
  if (auto destroy = user32_function<Destroy>("ShutdownBlockReasonDestroy"))
    destroy(m_hwnd);
}
