// Base of every socket layer: passes operations down to the next layer (or the operating
// system for the bottom one) and notifications up, with the socket's state rules.
#pragma once

#include <cstdint>
#include <string>

#include "net/async_socket_ex.h"

class CAsyncSocketExLayer {
 public:
  CAsyncSocketExLayer() = default;
  virtual ~CAsyncSocketExLayer() = default;
  CAsyncSocketExLayer(const CAsyncSocketExLayer&) = delete;
  CAsyncSocketExLayer& operator=(const CAsyncSocketExLayer&) = delete;

  virtual void OnAccept(int error);
  virtual void OnClose(int error);
  virtual void OnConnect(int error);
  virtual void OnReceive(int error);
  virtual void OnSend(int error);
  virtual bool Accept(CAsyncSocketEx& other, void* addr, int* len);
  virtual void Close();
  virtual bool Connect(const void* addr, int len);
  virtual bool Connect(const char16_t* host, int port);
  virtual bool Create(unsigned port, int type, long mask, const char16_t* address, int family);
  virtual bool GetPeerName(void* addr, int* len);
  virtual bool GetSockName(void* addr, int* len);
  virtual bool Listen(int backlog);
  virtual int Receive(void* buf, int size, int flags);
  virtual int Send(const void* buf, int len, int flags);
  virtual bool ShutDown(int how);

  int GetLayerState() const { return m_nLayerState; }
  CAsyncSocketEx* GetOwnerSocket() const { return m_pOwnerSocket; }

 protected:
  friend class CAsyncSocketEx;
  friend class CAsyncSocketExHelperWindow;

  void Init(CAsyncSocketExLayer* prev, CAsyncSocketEx* owner);
  // Puts layer below this one.
  void AddLayer(CAsyncSocketExLayer* layer, CAsyncSocketEx* owner);
  // The event entry: the socket's state rules, then this layer's handlers.
  void CallEvent(long event, int error);
  // Posts a notification to the layer above (pass_up) or to this layer.
  bool TriggerEvent(long event, int error, bool pass_up = true);
  bool DoLayerCallback(int type, intptr_t param1, intptr_t param2, std::string text = {});

  int SendNext(const void* buf, int len, int flags);
  int ReceiveNext(void* buf, int size, int flags);
  bool ConnectNext(const void* addr, int len);
  bool ConnectNext(const char16_t* host, int port);
  bool ListenNext(int backlog);
  bool GetPeerNameNext(void* addr, int* len);
  bool ShutDownNext(int how);

  CAsyncSocketEx* m_pOwnerSocket = nullptr;
  CAsyncSocketExLayer* m_pNextLayer = nullptr;
  CAsyncSocketExLayer* m_pPrevLayer = nullptr;
  int m_nLayerState = notsock;
  long m_lEvent = qel_net::kFdAll;
  long m_nPendingEvents = 0;
  int m_nCriticalError = 0;

 private:
  qel_net::SocketHandle Handle() const;
};
