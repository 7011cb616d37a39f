#include "net/async_socket_ex_layer.h"

#include "net/async_socket_ex_helper_window.h"

using namespace qel_net;

void CAsyncSocketExLayer::Init(CAsyncSocketExLayer* prev, CAsyncSocketEx* owner) {
  m_pPrevLayer = prev;
  m_pOwnerSocket = owner;
}

void CAsyncSocketExLayer::AddLayer(CAsyncSocketExLayer* layer, CAsyncSocketEx* owner) {
  m_pNextLayer = layer;
  layer->Init(this, owner);
}

SocketHandle CAsyncSocketExLayer::Handle() const {
  return m_pOwnerSocket->m_SocketData.hSocket;
}

void CAsyncSocketExLayer::OnAccept(int error) {
  TriggerEvent(kFdAccept, error);
}
void CAsyncSocketExLayer::OnClose(int error) {
  TriggerEvent(kFdClose, error);
}
void CAsyncSocketExLayer::OnConnect(int error) {
  TriggerEvent(kFdConnect, error);
}
void CAsyncSocketExLayer::OnReceive(int error) {
  TriggerEvent(kFdRead, error);
}
void CAsyncSocketExLayer::OnSend(int error) {
  TriggerEvent(kFdWrite, error);
}

void CAsyncSocketExLayer::CallEvent(long event, int error) {
  if (m_nCriticalError)
    return;
  m_nCriticalError = error;
  bool held = (event == kFdRead || event == kFdForcedRead || event == kFdWrite);
  if (held && m_nLayerState == connecting && !error) {
    m_nPendingEvents |= event;
    return;
  }
  switch (event) {
    case kFdRead:
    case kFdForcedRead:
    case kFdWrite:
      if (m_nLayerState == attached && !error)
        m_nLayerState = connected;
      if (m_nLayerState != connected)
        return;
      if (error)
        m_nLayerState = aborted;
      if (event == kFdWrite) {
        if (m_lEvent & kFdWrite)
          OnSend(error);
      } else if (m_lEvent & kFdRead) {
        OnReceive(error);
      }
      return;
    case kFdConnect: {
      if (m_nLayerState == connecting || (m_nLayerState == attached && !error))
        m_nLayerState = connected;
      if (m_lEvent & kFdConnect)
        OnConnect(error);
      if (error)
        return;
      long pending = m_nPendingEvents;
      m_nPendingEvents = 0;
      if (pending & (kFdRead | kFdForcedRead))
        OnReceive(0);
      if (pending & kFdWrite)
        OnSend(0);
      return;
    }
    case kFdAccept:
      if ((m_nLayerState == listening || m_nLayerState == attached) && (m_lEvent & kFdAccept))
        OnAccept(error);
      return;
    case kFdClose:
      if (m_nLayerState != connected && m_nLayerState != attached)
        return;
      m_nLayerState = error ? aborted : closed;
      if (m_lEvent & kFdClose)
        OnClose(error);
      return;
  }
}

bool CAsyncSocketExLayer::TriggerEvent(long event, int error, bool pass_up) {
  CAsyncSocketExHelperWindow* helper = m_pOwnerSocket ? m_pOwnerSocket->Helper() : nullptr;
  if (!helper || Handle() == kInvalidSocket)
    return false;
  return helper->PostLayerRecord(m_pOwnerSocket->m_SocketData.nSocketIndex,
                                 {Handle(), pass_up ? m_pPrevLayer : this,
                                  (event & 0xFFFF) | (static_cast<long>(error & 0xFFFF) << 16)});
}

bool CAsyncSocketExLayer::DoLayerCallback(int type,
                                          intptr_t param1,
                                          intptr_t param2,
                                          std::string text) {
  if (!m_pOwnerSocket)
    return false;
  return m_pOwnerSocket->AddCallbackNotification(
      t_callbackMsg{this, type, param1, param2, std::move(text)});
}

int CAsyncSocketExLayer::SendNext(const void* buf, int len, int flags) {
  return m_pNextLayer ? m_pNextLayer->Send(buf, len, flags) : sock_send(Handle(), buf, len, flags);
}

int CAsyncSocketExLayer::ReceiveNext(void* buf, int size, int flags) {
  return m_pNextLayer ? m_pNextLayer->Receive(buf, size, flags)
                      : sock_recv(Handle(), buf, size, flags);
}

bool CAsyncSocketExLayer::ConnectNext(const void* addr, int len) {
  bool ok = m_pNextLayer ? m_pNextLayer->Connect(addr, len) : sock_connect(Handle(), addr, len);
  if (ok || sock_last_error() == kErrWouldBlock)
    m_nLayerState = connecting;
  return ok;
}

bool CAsyncSocketExLayer::ConnectNext(const char16_t* host, int port) {
  bool ok = m_pNextLayer ? m_pNextLayer->Connect(host, port)
                         : m_pOwnerSocket->ConnectHostBare(host, port);
  if (ok || sock_last_error() == kErrWouldBlock)
    m_nLayerState = connecting;
  return ok;
}

bool CAsyncSocketExLayer::ListenNext(int backlog) {
  bool ok = m_pNextLayer ? m_pNextLayer->Listen(backlog) : sock_listen(Handle(), backlog);
  if (ok)
    m_nLayerState = listening;
  return ok;
}

bool CAsyncSocketExLayer::GetPeerNameNext(void* addr, int* len) {
  return m_pNextLayer ? m_pNextLayer->GetPeerName(addr, len) : sock_peer_name(Handle(), addr, len);
}

bool CAsyncSocketExLayer::ShutDownNext(int how) {
  return m_pNextLayer ? m_pNextLayer->ShutDown(how) : sock_shutdown(Handle(), how);
}

bool CAsyncSocketExLayer::Accept(CAsyncSocketEx& other, void* addr, int* len) {
  if (m_pNextLayer)
    return m_pNextLayer->Accept(other, addr, len);
  return m_pOwnerSocket->AcceptBare(other, addr, len);
}

void CAsyncSocketExLayer::Close() {
  m_nLayerState = notsock;
  m_nPendingEvents = 0;
  m_nCriticalError = 0;
  if (m_pNextLayer)
    m_pNextLayer->Close();
}

bool CAsyncSocketExLayer::Connect(const void* addr, int len) {
  return ConnectNext(addr, len);
}

bool CAsyncSocketExLayer::Connect(const char16_t* host, int port) {
  return ConnectNext(host, port);
}

bool CAsyncSocketExLayer::Create(unsigned port,
                                 int type,
                                 long mask,
                                 const char16_t* address,
                                 int family) {
  bool ok = m_pNextLayer ? m_pNextLayer->Create(port, type, mask, address, family)
                         : m_pOwnerSocket->CreateBare(port, type, mask, address, family);
  if (ok)
    m_nLayerState = unconnected;
  return ok;
}

bool CAsyncSocketExLayer::GetPeerName(void* addr, int* len) {
  return GetPeerNameNext(addr, len);
}

bool CAsyncSocketExLayer::GetSockName(void* addr, int* len) {
  return m_pNextLayer ? m_pNextLayer->GetSockName(addr, len) : sock_sock_name(Handle(), addr, len);
}

bool CAsyncSocketExLayer::Listen(int backlog) {
  return ListenNext(backlog);
}

int CAsyncSocketExLayer::Receive(void* buf, int size, int flags) {
  return ReceiveNext(buf, size, flags);
}

int CAsyncSocketExLayer::Send(const void* buf, int len, int flags) {
  return SendNext(buf, len, flags);
}

bool CAsyncSocketExLayer::ShutDown(int how) {
  return ShutDownNext(how);
}
