// soak_msg_hook.dll: loaded into the program by the soak driver's WH_GETMESSAGE hook while it
// watches the program idle; counts the messages its UI thread takes from the queue.
#include "platform/win32/scoped_handle.h"
#include "tools/soak/message_counts.h"

namespace {
SoakMessageCounts* g_counts = nullptr;
}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK
    soak_get_msg_proc(int code, WPARAM wparam, LPARAM lparam) {
  if (code == HC_ACTION && wparam == PM_REMOVE) {
    if (!g_counts) {
      // The view stays mapped once the mapping's handle is closed.
      platform::ScopedKernelHandle map(OpenFileMappingW(
          FILE_MAP_WRITE, FALSE, soak_message_counts_name(GetCurrentProcessId()).c_str()));
      if (map)
        g_counts = static_cast<SoakMessageCounts*>(
            MapViewOfFile(map.get(), FILE_MAP_WRITE, 0, 0, sizeof(SoakMessageCounts)));
    }
    if (g_counts) {
      InterlockedIncrement(&g_counts->messages);
      if (reinterpret_cast<const MSG*>(lparam)->message == WM_TIMER)
        InterlockedIncrement(&g_counts->timers);
    }
  }
  return CallNextHookEx(nullptr, code, wparam, lparam);
}
