// The Windows helper: a hidden window of the class "CAsyncSocketEx Helper Window" that
// receives WSAAsyncSelect and WSAAsyncGetHostByName answers, the answers of connect-by-name
// lookups run on worker threads, and the close-retry timer.
#include "net/addr_list_job.h"
#include "net/async_socket_ex_helper_window.h"
#include "net/helper_port.h"
#include "platform/win32/hidden_window.h"
#include "platform/win32/win.h"

#include <map>
#include <mutex>
#include <system_error>
#include <thread>

namespace qel_net {
namespace {

constexpr wchar_t kClassName[] = L"CAsyncSocketEx Helper Window";
constexpr UINT_PTR kRetryTimer = 1;

UINT addr_list_message() {
  static const UINT msg = RegisterWindowMessageA("CAsyncSocketEx Address List Answer");
  return msg;
}

LRESULT helper_proc(CAsyncSocketExHelperWindow* owner,
                    HWND hwnd,
                    UINT msg,
                    WPARAM wparam,
                    LPARAM lparam) {
  if (msg == WM_TIMER && wparam == kRetryTimer) {
    owner->OnRetryTimer();
    return 0;
  }
  if (msg != 0 && msg == addr_list_message()) {
    owner->OnMessage(kMsgAddrList, wparam, lparam);
    return 0;
  }
  if (msg >= kMsgLayer && msg < 0xC000) {
    owner->OnMessage(msg, wparam, lparam);
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wparam, lparam);
}

// What a lookup's worker shares with the window's thread. The worker posts the answer
// under the lock unless the lookup was cancelled first, so a cancelled lookup (and with it a
// destroyed window) is never posted to.
struct AddrLookup {
  explicit AddrLookup(AddrListJob request) : job(std::move(request)) {}
  AddrListJob job;
  std::mutex lock;
  bool cancelled = false;
};

void run_addr_lookup(std::shared_ptr<AddrLookup> lookup, HWND hwnd, UINT msg, uintptr_t handle) {
  lookup->job.Run();
  std::lock_guard<std::mutex> guard(lookup->lock);
  if (!lookup->cancelled)
    PostMessageA(hwnd, msg, handle, static_cast<LPARAM>(lookup->job.error) << 16);
}

class WinHelperPort : public HelperPort {
 public:
  // Call Create before anything else; false leaves the port unusable.
  bool Create(CAsyncSocketExHelperWindow* owner) {
    window_.Create(kClassName, 0, nullptr, [owner](HWND hwnd, UINT msg, WPARAM w, LPARAM l) {
      return helper_proc(owner, hwnd, msg, w, l);
    });
    hwnd_ = window_.hwnd();
    return hwnd_ != nullptr;
  }
  ~WinHelperPort() override {
    while (!addr_lookups_.empty())
      CancelAddrLookup(addr_lookups_.begin()->first);
    KillTimer(hwnd_, kRetryTimer);
    window_.Destroy();
    WSACleanup();
  }

  bool Post(unsigned msg, uintptr_t wparam, intptr_t lparam) override {
    return PostMessageA(hwnd_, msg, wparam, lparam) != 0;
  }

  std::vector<HelperMessage> Take(unsigned msg) override {
    std::vector<HelperMessage> taken;
    MSG m;
    while (PeekMessageA(&m, hwnd_, msg, msg, PM_REMOVE))
      taken.push_back({m.message, m.wParam, m.lParam});
    return taken;
  }

  bool Select(SocketHandle s, unsigned msg, long mask) override {
    return WSAAsyncSelect(static_cast<SOCKET>(s), hwnd_, mask ? msg : 0, mask) == 0;
  }

  bool StartRetryTimer() override { return SetTimer(hwnd_, kRetryTimer, 10, nullptr) != 0; }
  void StopRetryTimer() override { KillTimer(hwnd_, kRetryTimer); }

  uintptr_t StartLookup(const char* host, char* buffer, int size) override {
    HANDLE h = WSAAsyncGetHostByName(hwnd_, kMsgLookup, host, buffer, size);
    return reinterpret_cast<uintptr_t>(h);
  }

  void CancelLookup(uintptr_t handle) override {
    WSACancelAsyncRequest(reinterpret_cast<HANDLE>(handle));
  }

  uint32_t AnswerAddress(const char* buffer) override {
    const auto* host = reinterpret_cast<const hostent*>(buffer);
    if (host->h_addrtype != AF_INET || !host->h_addr_list || !host->h_addr_list[0])
      return 0;
    uint32_t addr;
    memcpy(&addr, host->h_addr_list[0], sizeof addr);
    return addr;
  }

  uintptr_t StartAddrLookup(const std::string& host, const std::string& port) override {
    UINT msg = addr_list_message();
    if (!msg) {
      WSASetLastError(WSAENOBUFS);
      return 0;
    }
    auto lookup = std::make_shared<AddrLookup>(AddrListJob(host, port));
    uintptr_t handle = next_addr_lookup_++;
    try {
      std::thread(run_addr_lookup, lookup, hwnd_, msg, handle).detach();
    } catch (const std::system_error&) {
      WSASetLastError(WSAENOBUFS);
      return 0;
    }
    addr_lookups_[handle] = std::move(lookup);
    return handle;
  }

  std::vector<SockAddr> TakeAddrList(uintptr_t handle) override {
    auto it = addr_lookups_.find(handle);
    if (it == addr_lookups_.end())
      return {};
    std::vector<SockAddr> list;
    {
      std::lock_guard<std::mutex> guard(it->second->lock);
      list = std::move(it->second->job.addresses);
    }
    addr_lookups_.erase(it);
    return list;
  }

  void CancelAddrLookup(uintptr_t handle) override {
    auto it = addr_lookups_.find(handle);
    if (it == addr_lookups_.end())
      return;
    {
      std::lock_guard<std::mutex> guard(it->second->lock);
      it->second->cancelled = true;
    }
    addr_lookups_.erase(it);
  }

 private:
  platform::HiddenWindow window_;
  HWND hwnd_ = nullptr;
  // Lookups started here and not yet taken or cancelled.
  std::map<uintptr_t, std::shared_ptr<AddrLookup>> addr_lookups_;
  uintptr_t next_addr_lookup_ = 1;
};

}  // namespace

std::unique_ptr<HelperPort> HelperPort::Create(CAsyncSocketExHelperWindow* owner) {
  // Counted by Windows: harmless when the application has started sockets already.
  WSADATA data;
  if (WSAStartup(MAKEWORD(1, 1), &data) != 0)
    return nullptr;
  auto port = std::make_unique<WinHelperPort>();
  // Without a window the port's destructor still balances the WSAStartup above.
  if (!port->Create(owner))
    return nullptr;
  return port;
}

}  // namespace qel_net
