// The notification rules of CAsyncSocketEx: which state a notification finds the socket in
// decides whether it is delivered, remembered for after the connect, or dropped.
#include <algorithm>

#include "net/async_socket_ex.h"
#include "net/async_socket_ex_helper_window.h"
#include "net/async_socket_ex_layer.h"

using namespace qel_net;

namespace {

// Watches one dispatch: a handler may delete the socket, after which nothing of it may be
// touched. Nested dispatches pass the news outward.
class DestroyGuard {
 public:
  explicit DestroyGuard(bool*& slot) : slot_(slot), outer_(slot) { slot_ = &destroyed_; }
  ~DestroyGuard() {
    if (destroyed_) {
      if (outer_)
        *outer_ = true;
    } else {
      slot_ = outer_;
    }
  }
  bool destroyed() const { return destroyed_; }

 private:
  bool destroyed_ = false;
  bool*& slot_;
  bool* outer_;
};

}  // namespace

void CAsyncSocketEx::DispatchNotification(long event, int error, bool layer_record) {
  bool held = (event == kFdRead || event == kFdForcedRead || event == kFdWrite);
  if (held && m_nState == connecting && !error) {
    m_nPendingEvents |= event;
    return;
  }
  switch (event) {
    case kFdRead: {
      if (m_nState == attached && (!layer_record || !error))
        m_nState = connected;
      if (m_nState != connected || m_bCloseSeen || !(m_lEvent & kFdRead))
        return;
      // A layer that says there is something to read may hold it itself (decrypted bytes).
      if (layer_record && m_pFirstLayer) {
        if (error)
          m_nState = aborted;
        OnReceive(error);
        return;
      }
      unsigned long readable = 0;
      if (!sock_readable(m_SocketData.hSocket, &readable) && !error)
        error = sock_last_error();
      if (!readable && !error)
        return;
      if (error)
        m_nState = aborted;
      OnReceive(error);
      return;
    }
    case kFdForcedRead:
      if (m_nState == attached && (!layer_record || !error))
        m_nState = connected;
      if (m_nState != connected || !(m_lEvent & kFdRead))
        return;
      if (error)
        m_nState = aborted;
      OnReceive(error);
      return;
    case kFdWrite:
      if (m_nState == attached && !error)
        m_nState = connected;
      if (m_nState != connected || !(m_lEvent & kFdWrite))
        return;
      if (error)
        m_nState = aborted;
      OnSend(error);
      return;
    case kFdConnect:
      DispatchConnect(error);
      return;
    case kFdAccept:
      if ((m_nState == listening || m_nState == attached) && (m_lEvent & kFdAccept))
        OnAccept(error);
      return;
    case kFdClose:
      DispatchClose(error, layer_record);
      return;
  }
}

void CAsyncSocketEx::DispatchConnect(int error) {
  if (m_nState == connecting) {
    // Another address of the looked-up list is tried without the owner hearing of this one.
    if (error && m_SocketData.nextAddr < m_SocketData.addrList.size() && TryNextAddress())
      return;
    m_nState = connected;
  } else if (m_nState == attached && !error) {
    m_nState = connected;
  }
  DestroyGuard guard(m_pDestroyed);
  if (m_lEvent & kFdConnect)
    OnConnect(error);
  if (guard.destroyed() || error)
    return;
  // Read, forced read and write that came during the connect, in that order. A handler
  // that closes the socket clears what is left.
  static constexpr long kOrder[] = {kFdRead, kFdForcedRead, kFdWrite};
  for (long event : kOrder) {
    if (!(m_nPendingEvents & event))
      continue;
    m_nPendingEvents &= ~event;
    if (event == kFdWrite)
      OnSend(0);
    else
      OnReceive(0);
    if (guard.destroyed())
      return;
  }
  m_nPendingEvents = 0;
}

void CAsyncSocketEx::DispatchClose(int error, bool layer_record) {
  if (m_nState != connected && m_nState != attached)
    return;
  if (layer_record) {
    if (!(m_lEvent & kFdClose))
      return;
    m_nState = error ? aborted : closed;
    OnClose(error);
    return;
  }
  unsigned long readable = 0;
  if (!error && sock_readable(m_SocketData.hSocket, &readable) && readable) {
    // The owner reads the rest first; the close comes back once nothing is left.
    Helper()->Port().Post(kMsgSocketBase + m_SocketData.nSocketIndex, m_SocketData.hSocket,
                          kFdClose);
    m_bCloseSeen = true;
    OnReceive(kErrShutdown);
    return;
  }
  m_nState = error ? aborted : closed;
  OnClose(error);
}

void CAsyncSocketEx::QueueCloseRetry() {
  auto& queue = m_pLocalAsyncSocketExThreadData->layerCloseNotify;
  if (std::find(queue.begin(), queue.end(), this) != queue.end())
    return;
  queue.push_back(this);
  if (queue.size() == 1)
    Helper()->Port().StartRetryTimer();
}

void CAsyncSocketEx::DispatchLayered(long event, int error) {
  if (event == kFdRead) {
    if (m_bCloseSeen)
      return;
    unsigned long readable = 0;
    if (!sock_readable(m_SocketData.hSocket, &readable))
      error = sock_last_error();
    else if (!readable)
      return;
  }
  if (event == kFdClose) {
    unsigned long readable = 0;
    if (!error && sock_readable(m_SocketData.hSocket, &readable) && readable) {
      QueueCloseRetry();
      m_pLastLayer->CallEvent(kFdRead, 0);
      return;
    }
    m_bCloseSeen = true;
  }
  m_pLastLayer->CallEvent(event, error);
}
