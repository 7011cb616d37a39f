// A non-blocking socket driven by its thread's helper: notifications become calls of the
// virtual On... handlers, in one order on both backends. An optional chain of layers sits
// between the socket and the network.
#pragma once

#include <cstdint>
#include <list>
#include <string>
#include <vector>

#include "net/socket_api.h"

class CAsyncSocketExLayer;
class CAsyncSocketExHelperWindow;
struct t_AsyncSocketExThreadData;

enum AsyncSocketExState : int {
  notsock = 0,
  unconnected = 1,
  connecting = 2,
  listening = 3,
  connected = 4,
  closed = 5,
  aborted = 6,
  attached = 7,
};

// A layer's request to its socket's owner, delivered later through OnLayerCallback.
struct t_callbackMsg {
  CAsyncSocketExLayer* pLayer;
  int nType;
  intptr_t nParam1;
  intptr_t nParam2;
  std::string str;
};

class CAsyncSocketEx {
 public:
  CAsyncSocketEx();
  virtual ~CAsyncSocketEx();
  CAsyncSocketEx(const CAsyncSocketEx&) = delete;
  CAsyncSocketEx& operator=(const CAsyncSocketEx&) = delete;

  bool Create(unsigned port = 0,
              int type = qel_net::kSockStream,
              long mask = qel_net::kFdAll,
              const char16_t* address = nullptr,
              int family = qel_net::kAfInet);
  virtual bool AsyncSelect(long mask = qel_net::kFdAll);
  bool Bind(unsigned port, const char16_t* address);
  bool Listen(int backlog = 5);
  bool ShutDown(int how = qel_net::kShutSend);
  bool AttachHandle(qel_net::SocketHandle handle, long mask = qel_net::kFdAll);
  qel_net::SocketHandle DetachHandle();
  bool TriggerEvent(long event);
  // The layer stays its creator's; it must outlive the socket or be removed first.
  bool AddLayer(CAsyncSocketExLayer* layer);
  void RemoveAllLayers();
  bool GetPeerName(void* addr, int* len);
  bool GetSockName(void* addr, int* len);

  qel_net::SocketHandle GetSocketHandle() const { return m_SocketData.hSocket; }
  int GetState() const { return m_nState; }
  int GetFamily() const { return m_SocketData.nFamily; }
  bool IsLayerAttached() const { return m_pFirstLayer != nullptr; }

  virtual bool Accept(CAsyncSocketEx& other, void* addr = nullptr, int* len = nullptr);
  virtual void Close();
  virtual bool Connect(const void* addr, int len);
  virtual bool Connect(const char16_t* host, int port);
  virtual int Receive(void* buf, int size, int flags = 0);
  virtual int Send(const void* buf, int len, int flags = 0);

 protected:
  virtual void OnAccept(int error) {}
  virtual void OnClose(int error) {}
  virtual void OnConnect(int error) {}
  virtual void OnReceive(int error) {}
  virtual void OnSend(int error) {}
  virtual void OnLayerCallback(std::list<t_callbackMsg>& callbacks);

  // Queues a layer's callback; the first one of a batch wakes the helper.
  bool AddCallbackNotification(t_callbackMsg msg);

 private:
  friend class CAsyncSocketExHelperWindow;
  friend class CAsyncSocketExLayer;

  struct SocketData {
    qel_net::SocketHandle hSocket = qel_net::kInvalidSocket;
    int nSocketIndex = -1;
    int nFamily = qel_net::kAfUnspec;
    std::vector<qel_net::SockAddr> addrList;
    size_t nextAddr = 0;
  };

  bool InitAsyncSocketExInstance();
  void FreeAsyncSocketExInstance();
  void LeaveCloseRetryQueue();
  CAsyncSocketExHelperWindow* Helper() const;
  // Fails with the error set when a handle is already there or the helper is missing.
  bool ReadyForNewHandle();
  bool AttachSocketHandle(qel_net::SocketHandle handle);
  void DetachSocketHandle();
  void CloseSocketHandleOnly();
  // Closes the handle after a failed step; the step's error stays the last error. False.
  bool CloseKeepingError();
  bool CreateBare(unsigned port, int type, long mask, const char16_t* address, int family);
  void RememberLocalAddress(unsigned port, const char16_t* address);
  bool MakeSocketFor(const qel_net::SockAddr& addr);
  bool AcceptBare(CAsyncSocketEx& other, void* addr, int* len);
  // A connect that succeeded or would block makes the socket connecting; passes ok on.
  bool NoteConnectStart(bool ok);
  bool ConnectAddressBare(const void* addr, int len);
  bool ConnectHostBare(const char16_t* host, int port);
  // Family 0: the address list is looked up on a worker thread; the call would block.
  bool StartAddrLookup(const std::string& host, int port);
  // The lookup's answer: connects to the addresses in turn, or reports the failure.
  void ConnectLookedUp(int error, std::vector<qel_net::SockAddr> addresses);
  void ReportConnectFailure(int error);
  // Connects to the looked-up addresses in turn until one is under way; error gets the
  // last attempt's error.
  bool ConnectNextAddress(int* error);
  bool TryNextAddress();
  void FreeLookup();
  void FreeAddrLookup();

  // The notification rules; layer_record marks a notification posted by TriggerEvent or a
  // layer rather than by the operating system.
  void DispatchNotification(long event, int error, bool layer_record);
  void DispatchClose(int error, bool layer_record);
  void DispatchConnect(int error);
  void DispatchLayered(long event, int error);
  void QueueCloseRetry();

  SocketData m_SocketData;
  long m_lEvent = 0;
  int m_nState = notsock;
  long m_nPendingEvents = 0;
  bool m_bCloseSeen = false;
  char* m_pAsyncGetHostByNameBuffer = nullptr;
  uintptr_t m_hAsyncGetHostByNameHandle = 0;
  unsigned m_nAsyncGetHostByNamePort = 0;
  uintptr_t m_hAddrLookupHandle = 0;
  unsigned m_nSocketPort = 0;
  std::u16string m_lpszSocketAddress;
  bool m_bHasSocketAddress = false;
  t_AsyncSocketExThreadData* m_pLocalAsyncSocketExThreadData = nullptr;
  CAsyncSocketExLayer* m_pFirstLayer = nullptr;
  CAsyncSocketExLayer* m_pLastLayer = nullptr;
  std::list<t_callbackMsg> m_pendingCallbacks;
  // Set by the destructor so that a dispatch in progress stops touching the object.
  bool* m_pDestroyed = nullptr;
};
