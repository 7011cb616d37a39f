#include "tools/soak/message_rates.h"

namespace {
constexpr char kMessages[] = "idle messages/s";
constexpr char kTimers[] = "idle timer messages/s";
// The hook's first call loads the DLL into the program; counting starts after it.
constexpr DWORD kSettleMs = 500;
}  // namespace

MessageRates::~MessageRates() {
  Unmap();
}

void MessageRates::Unmap() {
  if (counts_)
    UnmapViewOfFile(counts_);
  map_.reset();
  counts_ = nullptr;
  pid_ = 0;
}

bool MessageRates::Map(DWORD pid) {
  if (counts_ && pid == pid_)
    return true;
  Unmap();
  map_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                sizeof(SoakMessageCounts), soak_message_counts_name(pid).c_str()));
  if (map_)
    counts_ = static_cast<SoakMessageCounts*>(
        MapViewOfFile(map_.get(), FILE_MAP_ALL_ACCESS, 0, 0, sizeof(SoakMessageCounts)));
  pid_ = counts_ ? pid : 0;
  return counts_ != nullptr;
}

SoakSample MessageRates::Measure(HWND window, DWORD ms) {
  DWORD pid = 0;
  DWORD ui_thread = window ? GetWindowThreadProcessId(window, &pid) : 0;
  auto unavailable = [](const std::string& why) {
    return SoakSample{{kMessages, SoakBudget::kInfo, 0, why}, {kTimers, SoakBudget::kInfo, 0, why}};
  };
  HMODULE dll = LoadLibraryW(hook_dll_.c_str());
  auto proc = dll ? reinterpret_cast<HOOKPROC>(
                        reinterpret_cast<void*>(GetProcAddress(dll, "soak_get_msg_proc")))
                  : nullptr;
  if (!proc || !ui_thread || !Map(pid)) {
    if (dll)
      FreeLibrary(dll);
    return unavailable("the message hook cannot be set up");
  }
  HHOOK hook = SetWindowsHookExW(WH_GETMESSAGE, proc, dll, ui_thread);
  if (!hook) {
    FreeLibrary(dll);
    return unavailable("SetWindowsHookEx failed, error " + std::to_string(GetLastError()));
  }
  Sleep(kSettleMs);
  LONG messages = counts_->messages, timers = counts_->timers;
  Sleep(ms);
  LONG messages_after = counts_->messages, timers_after = counts_->timers;
  UnhookWindowsHookEx(hook);
  FreeLibrary(dll);
  if (messages_after == 0)
    return unavailable("the hook was never called in the program");
  double seconds = ms / 1000.0;
  return {{kMessages, SoakBudget::kInfo, (messages_after - messages) / seconds, ""},
          {kTimers, SoakBudget::kInfo, (timers_after - timers) / seconds, ""}};
}
