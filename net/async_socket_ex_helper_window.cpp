// The sockets' per-thread helper: the thread contexts, the socket table and the dispatch of
// the helper's messages. Portable: the window it is named after exists only in the Windows
// backend of helper_port.h; on posix a queue of the port stands in for it.
#include "net/async_socket_ex_helper_window.h"

#include <algorithm>
#include <mutex>

#include "net/async_socket_ex.h"
#include "net/async_socket_ex_layer.h"

using namespace qel_net;

namespace {

std::mutex& contexts_lock() {
  static auto* m = new std::mutex;
  return *m;
}

t_AsyncSocketExThreadData* g_contexts = nullptr;

}  // namespace

t_AsyncSocketExThreadData* JoinThreadContext() {
  std::lock_guard<std::mutex> guard(contexts_lock());
  auto id = std::this_thread::get_id();
  for (auto* c = g_contexts; c; c = c->pNext) {
    if (c->nThreadId == id) {
      ++c->nInstanceCount;
      return c;
    }
  }
  auto* c = new t_AsyncSocketExThreadData;
  c->nThreadId = id;
  c->m_pHelperWindow = new CAsyncSocketExHelperWindow(c);
  if (!c->m_pHelperWindow->Create()) {
    delete c->m_pHelperWindow;
    delete c;
    return nullptr;
  }
  if (!g_contexts)
    addr_lookup_load();
  c->nInstanceCount = 1;
  c->pNext = g_contexts;
  g_contexts = c;
  return c;
}

void LeaveThreadContext(t_AsyncSocketExThreadData* context) {
  std::lock_guard<std::mutex> guard(contexts_lock());
  if (--context->nInstanceCount > 0)
    return;
  for (auto** p = &g_contexts; *p; p = &(*p)->pNext) {
    if (*p == context) {
      *p = context->pNext;
      break;
    }
  }
  delete context->m_pHelperWindow;
  delete context;
  if (!g_contexts)
    addr_lookup_unload();
}

CAsyncSocketExHelperWindow::CAsyncSocketExHelperWindow(t_AsyncSocketExThreadData* context)
    : m_pAsyncSocketExWindowData(kInitialSlots, nullptr), m_pThreadData(context) {}

CAsyncSocketExHelperWindow::~CAsyncSocketExHelperWindow() = default;

bool CAsyncSocketExHelperWindow::Create() {
  m_port = HelperPort::Create(this);
  return m_port != nullptr;
}

bool CAsyncSocketExHelperWindow::AddSocket(CAsyncSocketEx* socket, int& slot) {
  int capacity = Capacity();
  if (m_nSocketCount >= capacity - 10 && capacity < kMaxSlots) {
    capacity = std::min(capacity + kGrowSlots, kMaxSlots);
    m_pAsyncSocketExWindowData.resize(capacity, nullptr);
  }
  for (int i = 0; i < capacity; ++i) {
    int pos = (m_nWindowDataPos + i) % capacity;
    if (m_pAsyncSocketExWindowData[pos])
      continue;
    m_pAsyncSocketExWindowData[pos] = socket;
    slot = pos;
    m_nWindowDataPos = (pos + 1) % capacity;
    ++m_nSocketCount;
    return true;
  }
  return false;
}

void CAsyncSocketExHelperWindow::RemoveSocket(CAsyncSocketEx* socket, int& slot) {
  if (slot < 0 || slot >= Capacity() || m_pAsyncSocketExWindowData[slot] != socket)
    return;
  m_port->Take(kMsgSocketBase + slot);
  m_pAsyncSocketExWindowData[slot] = nullptr;
  --m_nSocketCount;
  slot = -1;
}

CAsyncSocketEx* CAsyncSocketExHelperWindow::SocketAt(int slot) const {
  if (slot < 0 || slot >= Capacity())
    return nullptr;
  return m_pAsyncSocketExWindowData[slot];
}

bool CAsyncSocketExHelperWindow::PostLayerRecord(int slot, const t_LayerNotifyMsg& record) {
  auto rec = std::make_unique<t_LayerNotifyMsg>(record);
  if (!m_port->Post(kMsgLayer, slot, reinterpret_cast<intptr_t>(rec.get())))
    return false;
  rec.release();  // taken back by OnLayerMessage
  return true;
}

void CAsyncSocketExHelperWindow::WatchAddrLookup(uintptr_t handle, CAsyncSocketEx* socket) {
  m_addrLookups[handle] = socket;
}

void CAsyncSocketExHelperWindow::ForgetAddrLookup(uintptr_t handle) {
  m_addrLookups.erase(handle);
}

void CAsyncSocketExHelperWindow::OnMessage(unsigned msg, uintptr_t wparam, intptr_t lparam) {
  if (msg >= kMsgSocketBase && msg < kMsgSocketBase + Capacity())
    OnSocketMessage(static_cast<int>(msg - kMsgSocketBase), wparam, lparam);
  else if (msg == kMsgLayer)
    OnLayerMessage(wparam, lparam);
  else if (msg == kMsgLookup)
    OnLookupAnswer(wparam, lparam);
  else if (msg == kMsgAddrList)
    OnAddrListAnswer(wparam, lparam);
  else if (msg == kMsgCallback)
    OnCallbackMessage(wparam);
}

void CAsyncSocketExHelperWindow::OnSocketMessage(int slot, uintptr_t wparam, intptr_t lparam) {
  CAsyncSocketEx* s = SocketAt(slot);
  if (!s || s->m_SocketData.hSocket != wparam)
    return;
  long event = static_cast<long>(lparam & 0xFFFF);
  int error = static_cast<int>((lparam >> 16) & 0xFFFF);
  if (s->m_pFirstLayer)
    s->DispatchLayered(event, error);
  else
    s->DispatchNotification(event, error, false);
}

void CAsyncSocketExHelperWindow::OnLayerMessage(uintptr_t wparam, intptr_t lparam) {
  std::unique_ptr<t_LayerNotifyMsg> rec(reinterpret_cast<t_LayerNotifyMsg*>(lparam));
  CAsyncSocketEx* s = SocketAt(static_cast<int>(wparam));
  if (!rec || !s || s->m_SocketData.hSocket != rec->hSocket)
    return;
  long event = rec->lEvent & 0xFFFF;
  int error = static_cast<int>((rec->lEvent >> 16) & 0xFFFF);
  if (rec->pLayer)
    rec->pLayer->CallEvent(event, error);
  else
    s->DispatchNotification(event, error, true);
}

void CAsyncSocketExHelperWindow::OnLookupAnswer(uintptr_t wparam, intptr_t lparam) {
  CAsyncSocketEx* s = nullptr;
  for (CAsyncSocketEx* candidate : m_pAsyncSocketExWindowData) {
    if (candidate && candidate->m_hAsyncGetHostByNameHandle == wparam) {
      s = candidate;
      break;
    }
  }
  if (!s || !wparam)
    return;
  int error = static_cast<int>((lparam >> 16) & 0xFFFF);
  uint32_t addr = error ? 0 : m_port->AnswerAddress(s->m_pAsyncGetHostByNameBuffer);
  if (!error && !addr)
    error = kErrHostNotFound;
  SockAddr target = sock_addr_ipv4(addr, static_cast<uint16_t>(s->m_nAsyncGetHostByNamePort));
  s->FreeLookup();
  CAsyncSocketExLayer* bottom = s->m_pLastLayer;
  if (!error) {
    // With layers the answer is the bottom layer's own connect, not a new target.
    bool ok = bottom ? bottom->ConnectNext(target.bytes, target.length)
                     : s->Connect(target.bytes, target.length);
    if (ok || sock_last_error() == kErrWouldBlock)
      return;
    error = sock_last_error();
  }
  s->ReportConnectFailure(error);
}

void CAsyncSocketExHelperWindow::OnAddrListAnswer(uintptr_t wparam, intptr_t lparam) {
  std::vector<SockAddr> addresses = m_port->TakeAddrList(wparam);
  auto it = m_addrLookups.find(wparam);
  if (it == m_addrLookups.end())
    return;  // cancelled after the answer was posted
  CAsyncSocketEx* s = it->second;
  m_addrLookups.erase(it);
  s->ConnectLookedUp(static_cast<int>((lparam >> 16) & 0xFFFF), std::move(addresses));
}

void CAsyncSocketExHelperWindow::OnCallbackMessage(uintptr_t wparam) {
  CAsyncSocketEx* s = SocketAt(static_cast<int>(wparam));
  if (!s)
    return;
  std::list<t_callbackMsg> callbacks;
  callbacks.swap(s->m_pendingCallbacks);
  if (!callbacks.empty())
    s->OnLayerCallback(callbacks);
}

void CAsyncSocketExHelperWindow::OnRetryTimer() {
  auto& queue = m_pThreadData->layerCloseNotify;
  if (!queue.empty()) {
    CAsyncSocketEx* s = queue.front();
    queue.pop_front();
    m_port->Post(kMsgSocketBase + s->m_SocketData.nSocketIndex, s->m_SocketData.hSocket, kFdClose);
  }
  if (queue.empty())
    m_port->StopRetryTimer();
}
