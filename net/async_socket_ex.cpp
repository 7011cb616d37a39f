#include "net/async_socket_ex.h"

#include <algorithm>
#include <string>

#include "net/async_socket_ex_helper_window.h"
#include "net/async_socket_ex_layer.h"
#include "platform/text.h"

using namespace qel_net;

CAsyncSocketEx::CAsyncSocketEx() = default;

CAsyncSocketEx::~CAsyncSocketEx() {
  Close();
  FreeAsyncSocketExInstance();
  if (m_pDestroyed)
    *m_pDestroyed = true;
}

bool CAsyncSocketEx::InitAsyncSocketExInstance() {
  if (m_pLocalAsyncSocketExThreadData)
    return true;
  m_pLocalAsyncSocketExThreadData = JoinThreadContext();
  return m_pLocalAsyncSocketExThreadData != nullptr;
}

void CAsyncSocketEx::FreeAsyncSocketExInstance() {
  t_AsyncSocketExThreadData* context = m_pLocalAsyncSocketExThreadData;
  if (!context)
    return;
  LeaveCloseRetryQueue();
  m_pLocalAsyncSocketExThreadData = nullptr;
  LeaveThreadContext(context);
}

void CAsyncSocketEx::LeaveCloseRetryQueue() {
  auto& queue = m_pLocalAsyncSocketExThreadData->layerCloseNotify;
  bool was_queued = std::find(queue.begin(), queue.end(), this) != queue.end();
  queue.remove(this);
  // The last socket waiting for a close retry leaves: the timer has nothing left to do.
  if (was_queued && queue.empty())
    m_pLocalAsyncSocketExThreadData->m_pHelperWindow->Port().StopRetryTimer();
}

CAsyncSocketExHelperWindow* CAsyncSocketEx::Helper() const {
  return m_pLocalAsyncSocketExThreadData ? m_pLocalAsyncSocketExThreadData->m_pHelperWindow
                                         : nullptr;
}

bool CAsyncSocketEx::AttachSocketHandle(SocketHandle handle) {
  m_SocketData.hSocket = handle;
  m_nState = attached;
  return Helper()->AddSocket(this, m_SocketData.nSocketIndex);
}

void CAsyncSocketEx::DetachSocketHandle() {
  if (CAsyncSocketExHelperWindow* helper = Helper())
    helper->RemoveSocket(this, m_SocketData.nSocketIndex);
  m_SocketData.hSocket = kInvalidSocket;
  m_nState = notsock;
}

void CAsyncSocketEx::CloseSocketHandleOnly() {
  if (m_SocketData.hSocket == kInvalidSocket)
    return;
  sock_close(m_SocketData.hSocket);
  DetachSocketHandle();
}

bool CAsyncSocketEx::CloseKeepingError() {
  int error = sock_last_error();
  CloseSocketHandleOnly();
  sock_set_last_error(error);
  return false;
}

bool CAsyncSocketEx::ReadyForNewHandle() {
  if (m_SocketData.hSocket != kInvalidSocket) {
    sock_set_last_error(kErrAlready);
    return false;
  }
  if (!InitAsyncSocketExInstance()) {
    sock_set_last_error(kErrNotInitialised);
    return false;
  }
  return true;
}

bool CAsyncSocketEx::Create(unsigned port,
                            int type,
                            long mask,
                            const char16_t* address,
                            int family) {
  if (!ReadyForNewHandle())
    return false;
  m_SocketData.nFamily = family;
  if (m_pFirstLayer) {
    bool ok = m_pFirstLayer->Create(port, type, mask, address, family);
    if (ok)
      m_nState = unconnected;
    return ok;
  }
  return CreateBare(port, type, mask, address, family);
}

bool CAsyncSocketEx::CreateBare(unsigned port,
                                int type,
                                long mask,
                                const char16_t* address,
                                int family) {
  m_SocketData.nFamily = family;
  if (family == kAfUnspec) {
    // The family is decided by the addresses the connect finds.
    m_nState = unconnected;
    m_lEvent = mask;
    RememberLocalAddress(port, address);
    return true;
  }
  SocketHandle handle = sock_open(family, type);
  if (handle == kInvalidSocket)
    return false;
  AttachSocketHandle(handle);
  if (!AsyncSelect(mask) || !Bind(port, address))
    return CloseKeepingError();
  m_nState = unconnected;
  return true;
}

bool CAsyncSocketEx::AsyncSelect(long mask) {
  m_lEvent = mask;
  if (m_SocketData.hSocket == kInvalidSocket && m_SocketData.nFamily == kAfUnspec)
    return true;
  CAsyncSocketExHelperWindow* helper = Helper();
  if (m_SocketData.hSocket == kInvalidSocket || !helper) {
    sock_set_last_error(kErrNotSocket);
    return false;
  }
  if (m_SocketData.nSocketIndex < 0) {
    sock_set_last_error(kErrNotInitialised);  // the helper's table is full
    return false;
  }
  long selected = m_pFirstLayer ? kFdAll : mask;
  return helper->Port().Select(m_SocketData.hSocket, kMsgSocketBase + m_SocketData.nSocketIndex,
                               selected);
}

void CAsyncSocketEx::RememberLocalAddress(unsigned port, const char16_t* address) {
  m_nSocketPort = port;
  m_bHasSocketAddress = address != nullptr;
  m_lpszSocketAddress = address ? address : u"";
}

bool CAsyncSocketEx::Bind(unsigned port, const char16_t* address) {
  RememberLocalAddress(port, address);
  int family = m_SocketData.nFamily;
  if (family == kAfUnspec)
    return true;
  SocketHandle handle = m_SocketData.hSocket;
  if (address && *address) {
    std::string text = platform::to_ansi(address);
    if (addr_lookup_available()) {
      std::vector<SockAddr> found;
      if (!addr_lookup(text.c_str(), std::to_string(port).c_str(), family, kSockStream, &found))
        return false;
      for (const SockAddr& a : found)
        if (sock_bind(handle, a.bytes, a.length))
          return true;
      return false;
    }
    if (family != kAfInet) {
      sock_set_last_error(kErrAfNotSupported);
      return false;
    }
    uint32_t addr = 0;
    if (!sock_parse_ipv4(text.c_str(), &addr) || addr == 0) {
      sock_set_last_error(kErrInvalidArgument);
      return false;
    }
    SockAddr sa = sock_addr_ipv4(addr, static_cast<uint16_t>(port));
    return sock_bind(handle, sa.bytes, sa.length);
  }
  SockAddr any;
  if (!sock_addr_any(family, static_cast<uint16_t>(port), &any)) {
    sock_set_last_error(kErrAfNotSupported);
    return false;
  }
  return sock_bind(handle, any.bytes, any.length);
}

bool CAsyncSocketEx::Listen(int backlog) {
  if (m_pFirstLayer) {
    // A layer may listen elsewhere (a proxy's bind); its accept must still reach us.
    if (!m_pFirstLayer->Listen(backlog))
      return false;
    m_nState = listening;
    return true;
  }
  if (!sock_listen(m_SocketData.hSocket, backlog))
    return false;
  m_nState = listening;
  return true;
}

bool CAsyncSocketEx::ShutDown(int how) {
  if (m_pFirstLayer)
    return m_pFirstLayer->ShutDown(how);
  return sock_shutdown(m_SocketData.hSocket, how);
}

bool CAsyncSocketEx::AttachHandle(SocketHandle handle, long mask) {
  if (handle == kInvalidSocket || handle == 0)
    return false;
  if (!ReadyForNewHandle())
    return false;
  AttachSocketHandle(handle);
  return AsyncSelect(mask);
}

SocketHandle CAsyncSocketEx::DetachHandle() {
  SocketHandle handle = m_SocketData.hSocket;
  if (handle == kInvalidSocket)
    return handle;
  // The handle lives on elsewhere: its notifications must stop reaching this helper.
  if (CAsyncSocketExHelperWindow* helper = Helper())
    helper->Port().Select(handle, 0, 0);
  DetachSocketHandle();
  return handle;
}

bool CAsyncSocketEx::TriggerEvent(long event) {
  CAsyncSocketExHelperWindow* helper = Helper();
  if (m_SocketData.hSocket == kInvalidSocket || !helper || m_SocketData.nSocketIndex < 0)
    return false;
  long notification = event % 0xFFFF;
  if (!m_pFirstLayer)
    return helper->Port().Post(kMsgSocketBase + m_SocketData.nSocketIndex, m_SocketData.hSocket,
                               notification);
  return helper->PostLayerRecord(m_SocketData.nSocketIndex,
                                 {m_SocketData.hSocket, nullptr, notification});
}

bool CAsyncSocketEx::AddLayer(CAsyncSocketExLayer* layer) {
  if (!layer)
    return false;
  // A layer joining a live socket (an accepted one) starts in the socket's state.
  if (m_SocketData.hSocket != kInvalidSocket)
    layer->m_nLayerState = m_nState;
  if (!m_pFirstLayer) {
    m_pFirstLayer = m_pLastLayer = layer;
    layer->Init(nullptr, this);
    if (m_SocketData.hSocket != kInvalidSocket && Helper() && m_SocketData.nSocketIndex >= 0)
      Helper()->Port().Select(m_SocketData.hSocket, kMsgSocketBase + m_SocketData.nSocketIndex,
                              kFdAll);
    return true;
  }
  m_pLastLayer->AddLayer(layer, this);
  m_pLastLayer = layer;
  return true;
}

void CAsyncSocketEx::RemoveAllLayers() {
  m_pendingCallbacks.clear();
  m_pFirstLayer = m_pLastLayer = nullptr;
  CAsyncSocketExHelperWindow* helper = Helper();
  if (!helper)
    return;
  LeaveCloseRetryQueue();
  for (const HelperMessage& m : helper->Port().Take(kMsgLayer)) {
    auto* rec = reinterpret_cast<t_LayerNotifyMsg*>(m.lparam);
    CAsyncSocketEx* target = helper->SocketAt(static_cast<int>(m.wparam));
    if (target && target != this && target->m_SocketData.hSocket == rec->hSocket &&
        helper->Port().Post(m.msg, m.wparam, m.lparam))
      continue;
    delete rec;
  }
}

bool CAsyncSocketEx::GetPeerName(void* addr, int* len) {
  if (m_pFirstLayer)
    return m_pFirstLayer->GetPeerName(addr, len);
  return sock_peer_name(m_SocketData.hSocket, addr, len);
}

bool CAsyncSocketEx::GetSockName(void* addr, int* len) {
  return sock_sock_name(m_SocketData.hSocket, addr, len);
}

bool CAsyncSocketEx::NoteConnectStart(bool ok) {
  if (ok || sock_last_error() == kErrWouldBlock)
    m_nState = connecting;
  return ok;
}

bool CAsyncSocketEx::Connect(const void* addr, int len) {
  if (m_pFirstLayer)
    return NoteConnectStart(m_pFirstLayer->Connect(addr, len));
  return ConnectAddressBare(addr, len);
}

bool CAsyncSocketEx::ConnectAddressBare(const void* addr, int len) {
  return NoteConnectStart(sock_connect(m_SocketData.hSocket, addr, len));
}

bool CAsyncSocketEx::Connect(const char16_t* host, int port) {
  if (m_pFirstLayer)
    return NoteConnectStart(m_pFirstLayer->Connect(host, port));
  return ConnectHostBare(host, port);
}

bool CAsyncSocketEx::ConnectHostBare(const char16_t* host, int port) {
  std::string text = platform::to_ansi(host ? host : u"");
  if (m_SocketData.nFamily == kAfInet) {
    uint32_t addr = 0;
    if (sock_parse_ipv4(text.c_str(), &addr)) {
      SockAddr sa = sock_addr_ipv4(addr, static_cast<uint16_t>(port));
      return ConnectAddressBare(sa.bytes, sa.length);
    }
    CAsyncSocketExHelperWindow* helper = Helper();
    if (!helper) {
      sock_set_last_error(kErrNotInitialised);
      return false;
    }
    FreeLookup();
    m_pAsyncGetHostByNameBuffer = new char[kLookupBufferSize];
    m_nAsyncGetHostByNamePort = port;
    m_hAsyncGetHostByNameHandle =
        helper->Port().StartLookup(text.c_str(), m_pAsyncGetHostByNameBuffer, kLookupBufferSize);
    if (!m_hAsyncGetHostByNameHandle)
      return false;
    sock_set_last_error(kErrWouldBlock);
    m_nState = connecting;
    return false;
  }
  if (m_SocketData.nFamily == kAfUnspec && addr_lookup_available())
    return StartAddrLookup(text, port);
  sock_set_last_error(kErrAfNotSupported);
  return false;
}

bool CAsyncSocketEx::StartAddrLookup(const std::string& host, int port) {
  CAsyncSocketExHelperWindow* helper = Helper();
  if (!helper) {
    sock_set_last_error(kErrNotInitialised);
    return false;
  }
  FreeAddrLookup();
  m_SocketData.addrList.clear();
  m_SocketData.nextAddr = 0;
  // Even a numeric host goes to the worker: one path, and a slow name server never holds
  // up the thread's message loop.
  m_hAddrLookupHandle = helper->Port().StartAddrLookup(host, std::to_string(port));
  if (!m_hAddrLookupHandle)
    return false;
  helper->WatchAddrLookup(m_hAddrLookupHandle, this);
  sock_set_last_error(kErrWouldBlock);
  m_nState = connecting;
  return false;
}

void CAsyncSocketEx::ConnectLookedUp(int error, std::vector<SockAddr> addresses) {
  m_hAddrLookupHandle = 0;
  if (!error && addresses.empty())
    error = kErrHostNotFound;
  if (!error) {
    m_SocketData.addrList = std::move(addresses);
    m_SocketData.nextAddr = 0;
    if (ConnectNextAddress(&error))
      return;  // the connect notification follows
    if (!error)
      error = kErrNotSocket;
  }
  ReportConnectFailure(error);
}

void CAsyncSocketEx::ReportConnectFailure(int error) {
  if (m_pLastLayer)
    m_pLastLayer->CallEvent(kFdConnect, error);
  else
    OnConnect(error);
}

bool CAsyncSocketEx::MakeSocketFor(const SockAddr& addr) {
  SocketHandle handle = sock_open(addr.family, kSockStream);
  if (handle == kInvalidSocket)
    return false;
  m_SocketData.nFamily = addr.family;
  AttachSocketHandle(handle);
  const char16_t* local = m_bHasSocketAddress ? m_lpszSocketAddress.c_str() : nullptr;
  std::u16string keep = m_lpszSocketAddress;
  if (AsyncSelect(m_lEvent) && Bind(m_nSocketPort, local ? keep.c_str() : nullptr))
    return true;
  return CloseKeepingError();
}

bool CAsyncSocketEx::ConnectNextAddress(int* error) {
  auto& list = m_SocketData.addrList;
  bool under_way = false;
  while (!under_way && m_SocketData.nextAddr < list.size()) {
    const SockAddr& a = list[m_SocketData.nextAddr++];
    if (m_SocketData.hSocket == kInvalidSocket && !MakeSocketFor(a)) {
      *error = sock_last_error();
      continue;
    }
    under_way = sock_connect(m_SocketData.hSocket, a.bytes, a.length) ||
                sock_last_error() == kErrWouldBlock;
    *error = sock_last_error();
    if (!under_way)
      CloseSocketHandleOnly();
  }
  if (m_SocketData.nextAddr >= list.size())
    list.clear();
  if (under_way)
    m_nState = connecting;
  return under_way;
}

bool CAsyncSocketEx::TryNextAddress() {
  CloseSocketHandleOnly();
  int ignored = 0;
  return ConnectNextAddress(&ignored);
}

void CAsyncSocketEx::FreeLookup() {
  if (m_hAsyncGetHostByNameHandle && Helper())
    Helper()->Port().CancelLookup(m_hAsyncGetHostByNameHandle);
  m_hAsyncGetHostByNameHandle = 0;
  delete[] m_pAsyncGetHostByNameBuffer;
  m_pAsyncGetHostByNameBuffer = nullptr;
}

void CAsyncSocketEx::FreeAddrLookup() {
  if (m_hAddrLookupHandle && Helper()) {
    Helper()->ForgetAddrLookup(m_hAddrLookupHandle);
    Helper()->Port().CancelAddrLookup(m_hAddrLookupHandle);
  }
  m_hAddrLookupHandle = 0;
}

void CAsyncSocketEx::Close() {
  m_nPendingEvents = 0;
  if (m_pFirstLayer)
    m_pFirstLayer->Close();
  CloseSocketHandleOnly();
  m_nState = notsock;
  m_SocketData.addrList.clear();
  m_SocketData.nextAddr = 0;
  m_SocketData.nFamily = kAfUnspec;
  m_lpszSocketAddress.clear();
  m_bHasSocketAddress = false;
  m_nSocketPort = 0;
  RemoveAllLayers();
  FreeLookup();
  FreeAddrLookup();
  m_bCloseSeen = false;
}

int CAsyncSocketEx::Send(const void* buf, int len, int flags) {
  if (m_pFirstLayer)
    return m_pFirstLayer->Send(buf, len, flags);
  return sock_send(m_SocketData.hSocket, buf, len, flags);
}

int CAsyncSocketEx::Receive(void* buf, int size, int flags) {
  if (m_pFirstLayer)
    return m_pFirstLayer->Receive(buf, size, flags);
  return sock_recv(m_SocketData.hSocket, buf, size, flags);
}

bool CAsyncSocketEx::Accept(CAsyncSocketEx& other, void* addr, int* len) {
  if (!m_pFirstLayer)
    return AcceptBare(other, addr, len);
  if (!m_pFirstLayer->Accept(other, addr, len))
    return false;
  // A connection accepted by a proxy for us arrives on this very socket.
  if (m_nState == listening && other.m_SocketData.hSocket == kInvalidSocket)
    m_nState = connected;
  return true;
}

bool CAsyncSocketEx::AcceptBare(CAsyncSocketEx& other, void* addr, int* len) {
  if (other.m_SocketData.hSocket != kInvalidSocket) {
    sock_set_last_error(kErrAlready);
    return false;
  }
  SocketHandle handle = sock_accept(m_SocketData.hSocket, addr, len);
  if (handle == kInvalidSocket)
    return false;
  if (!other.InitAsyncSocketExInstance()) {
    sock_close(handle);
    sock_set_last_error(kErrNotInitialised);
    return false;
  }
  other.AttachSocketHandle(handle);
  other.m_SocketData.nFamily = m_SocketData.nFamily;
  other.m_nState = connected;
  // Layers given to the new socket beforehand are connected with it.
  for (CAsyncSocketExLayer* layer = other.m_pFirstLayer; layer; layer = layer->m_pNextLayer)
    layer->m_nLayerState = connected;
  // The new socket hears what the listening one asked for.
  return other.AsyncSelect(m_lEvent);
}

void CAsyncSocketEx::OnLayerCallback(std::list<t_callbackMsg>& callbacks) {
  callbacks.clear();
}

bool CAsyncSocketEx::AddCallbackNotification(t_callbackMsg msg) {
  CAsyncSocketExHelperWindow* helper = Helper();
  if (!helper || m_SocketData.nSocketIndex < 0)
    return false;
  m_pendingCallbacks.push_back(std::move(msg));
  if (m_pendingCallbacks.size() == 1)
    helper->Port().Post(kMsgCallback, m_SocketData.nSocketIndex, 0);
  return true;
}
