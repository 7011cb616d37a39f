// The framework's socket: CAsyncSocketEx publishing its notifications as events, layers made
// from configuration records, and the value handle the rest of the system uses.
#pragma once

#include <cstdint>
#include <map>
#include <string>

#include "net/async_socket_ex.h"
#include "qel_lib/qel_ptr.h"
#include "qel_lib/qel_subject.h"

struct ZulAsyncSocketEvent {
  enum : int32_t { kAccept = 0, kClose = 1, kConnect = 2, kReceive = 4, kSend = 5 };
  int32_t mType;
  int32_t mErrorCode;
};

using ZulAsyncSocketSubject = SimpleSubject<ZulAsyncSocketEvent, void, const ZulAsyncSocketEvent*>;

// What AddLayer builds: 1 SOCKS4, 2 SOCKS4A, 3 SOCKS5, 4 HTTP/1.1 proxy, 5 SSL.
class ZulAsyncSocketLayerCfg : public ZulIObject {
 public:
  int32_t mType = 0;
  std::u16string mProxyHost;
  int32_t mProxyPort = 0;
  bool mUseAuth = false;
  std::u16string mUser;
  std::u16string mPassword;
  bool mSslServer = false;
};

class CAsyncSslSocketLayer;

class ZulMyCAsyncSocketEx : public CAsyncSocketEx, public ZulIObject {
 public:
  ZulMyCAsyncSocketEx() = default;
  ZulMyCAsyncSocketEx(const ZulMyCAsyncSocketEx&);
  ZulMyCAsyncSocketEx& operator=(const ZulMyCAsyncSocketEx&);
  ~ZulMyCAsyncSocketEx() override;

  virtual bool Create(unsigned port, int type, long mask, const char16_t* address, int family);
  bool AddLayer(const shared_ptr<ZulAsyncSocketLayerCfg>& cfg);
  int dojob_OnLayerCallback(CAsyncSocketExLayer* layer, int type, intptr_t param1, intptr_t param2);

  ZulAsyncSocketSubject& Subject() { return mSubject; }

 protected:
  void OnAccept(int error) override;
  void OnClose(int error) override;
  void OnConnect(int error) override;
  void OnReceive(int error) override;
  void OnSend(int error) override;
  void OnLayerCallback(std::list<t_callbackMsg>& callbacks) override;

  // The owner's handle stays valid until the handler returns, whatever observers drop.
  void Publish(int32_t type, int error);

 private:
  bool dojob_AddProxyLayer(const shared_ptr<ZulAsyncSocketLayerCfg>& cfg);
  int dojob_OnSslCallback(CAsyncSslSocketLayer* layer, intptr_t code);

  ZulAsyncSocketSubject mSubject;
  std::map<CAsyncSocketExLayer*, shared_ptr<ZulAsyncSocketLayerCfg>> mLayers;
};

class ZulAsyncSocket {
 public:
  ZulAsyncSocket();
  // Wraps an existing socket object (a scripted one in tests).
  explicit ZulAsyncSocket(const shared_ptr<ZulMyCAsyncSocketEx>& socket);
  ZulAsyncSocket(const ZulAsyncSocket&) = default;
  ZulAsyncSocket& operator=(const ZulAsyncSocket&) = default;

  virtual bool Attach(ZulAsyncSocketSubject::IObserverAdapter* adapter, int tag);
  virtual bool Detach(ZulAsyncSocketSubject::IObserverAdapter* adapter);
  virtual bool Create(unsigned port = 0,
                      int type = qel_net::kSockStream,
                      long mask = qel_net::kFdAll,
                      const char16_t* address = nullptr,
                      int family = qel_net::kAfInet);
  virtual bool AsyncSelect(long mask);
  virtual void Close();
  virtual bool ShutDown(int how);
  virtual bool Bind(unsigned port, const char16_t* address);
  virtual bool Bind(const void* addr, int len);
  virtual bool Connect(const char16_t* host, int port);
  virtual bool Connect(const void* addr, int len);
  virtual bool Accept(ZulAsyncSocket& other, void* addr = nullptr, int* len = nullptr);
  virtual bool AttachHandle(qel_net::SocketHandle handle);
  virtual qel_net::SocketHandle DetachHandle();
  virtual bool GetPeerName(void* addr, int* len);
  virtual bool GetSockName(void* addr, int* len);
  virtual bool Listen(int backlog);
  virtual int Send(const void* buf, int len, int flags = 0);
  virtual int Receive(void* buf, int size, int flags = 0);
  // SO_RCVBUF of the handle; false when there is none yet.
  virtual bool SetReceiveBuffer(int bytes);
  virtual bool AddLayer(const shared_ptr<ZulAsyncSocketLayerCfg>& cfg);
  virtual void RemoveAllLayers();
  virtual bool IsLayerAttached();
  virtual ~ZulAsyncSocket() = default;

  ZulMyCAsyncSocketEx* get() const { return mSocket.get(); }

 private:
  shared_ptr<ZulMyCAsyncSocketEx> mSocket;
};
