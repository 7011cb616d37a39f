#include "net/qel_async_socket.h"

#include "net/async_proxy_socket_layer.h"
#include "net/async_socket_ex_layer.h"
#include "net/async_ssl_socket_layer.h"
#include "platform/text.h"
#include "qel_lib/qel_assert.h"

using namespace qel_net;

ZulMyCAsyncSocketEx::ZulMyCAsyncSocketEx(const ZulMyCAsyncSocketEx&)
    : t_ZulIObject(), CAsyncSocketEx(), ZulIObject() {
  QEL_ASSERT(false);
}

ZulMyCAsyncSocketEx& ZulMyCAsyncSocketEx::operator=(const ZulMyCAsyncSocketEx&) {
  QEL_ASSERT(false);
  return *this;
}

ZulMyCAsyncSocketEx::~ZulMyCAsyncSocketEx() {
  RemoveAllLayers();
  for (auto& [layer, cfg] : mLayers)
    delete layer;
  mLayers.clear();
}

bool ZulMyCAsyncSocketEx::Create(unsigned port,
                                 int type,
                                 long mask,
                                 const char16_t* address,
                                 int family) {
  if (!CAsyncSocketEx::Create(port, type, mask, address, family))
    return false;
  // Secure layers start their SSL object once the socket exists.
  for (auto& [layer, cfg] : mLayers) {
    if (cfg->mType == 5 &&
        static_cast<CAsyncSslSocketLayer*>(layer)->InitSSLConnection(!cfg->mSslServer))
      return false;
  }
  return true;
}

bool ZulMyCAsyncSocketEx::AddLayer(const shared_ptr<ZulAsyncSocketLayerCfg>& cfg) {
  if (!cfg.valid())
    return false;
  switch (cfg->mType) {
    case 1:
    case 2:
    case 3:
    case 4:
      if (cfg->mProxyHost.empty() || !cfg->mProxyPort)
        return false;
      return dojob_AddProxyLayer(cfg);
    case 5: {
      auto* layer = new CAsyncSslSocketLayer;
      mLayers[layer] = cfg;
      CAsyncSocketEx::AddLayer(layer);
      return GetSocketHandle() == kInvalidSocket || !layer->InitSSLConnection(!cfg->mSslServer);
    }
    default:
      QEL_ASSERT(false);
      return false;
  }
}

bool ZulMyCAsyncSocketEx::dojob_AddProxyLayer(const shared_ptr<ZulAsyncSocketLayerCfg>& cfg) {
  auto* layer = new CAsyncProxySocketLayer;
  std::string host = platform::to_ansi(cfg->mProxyHost);
  // Credentials configured for an HTTP proxy are sent too, not only for SOCKS5.
  if (cfg->mUseAuth && (cfg->mType == 3 || cfg->mType == 4)) {
    layer->SetProxy(cfg->mType, host.c_str(), cfg->mProxyPort,
                    platform::to_ansi(cfg->mUser).c_str(),
                    platform::to_ansi(cfg->mPassword).c_str());
  } else {
    layer->SetProxy(cfg->mType, host.c_str(), cfg->mProxyPort);
  }
  mLayers[layer] = cfg;
  CAsyncSocketEx::AddLayer(layer);
  return true;
}

int ZulMyCAsyncSocketEx::dojob_OnLayerCallback(CAsyncSocketExLayer* layer,
                                               int type,
                                               intptr_t param1,
                                               intptr_t param2) {
  if (!QEL_ASSERT_MSG(get_detail(), "locked"))
    return 0;
  shared_ptr<ZulMyCAsyncSocketEx> hold(this);
  auto it = mLayers.find(layer);
  if (it == mLayers.end() || type == 0)
    return 0;
  int cfg_type = it->second->mType;
  if (type == 1 && cfg_type >= 1 && cfg_type <= 4)
    return 0;
  if (type == 1 && cfg_type == 5)
    return dojob_OnSslCallback(static_cast<CAsyncSslSocketLayer*>(layer), param1);
  QEL_ASSERT(false);
  return 0;
}

int ZulMyCAsyncSocketEx::dojob_OnSslCallback(CAsyncSslSocketLayer* layer, intptr_t code) {
  if (code != CAsyncSslSocketLayer::kSslVerifyCert)
    return 0;
  t_SslCertData data;
  if (!layer->GetPeerCertificateData(data)) {
    QEL_ASSERT(false);
    return 0;
  }
  // Nothing here can judge a certificate the library could not verify: refuse it.
  layer->SetNotifyReply(data.priv_data, CAsyncSslSocketLayer::kSslVerifyCert, 0);
  return 0;
}

void ZulMyCAsyncSocketEx::OnLayerCallback(std::list<t_callbackMsg>& callbacks) {
  for (const t_callbackMsg& m : callbacks)
    dojob_OnLayerCallback(m.pLayer, m.nType, m.nParam1, m.nParam2);
  CAsyncSocketEx::OnLayerCallback(callbacks);
}

void ZulMyCAsyncSocketEx::Publish(int32_t type, int error) {
  // Without a shared owner a temporary hold would delete the socket when it ends.
  if (!QEL_ASSERT_MSG(get_detail(), "locked"))
    return;
  shared_ptr<ZulMyCAsyncSocketEx> hold(this);
  ZulAsyncSocketEvent event{type, error};
  mSubject.Notify(&event);
}

void ZulMyCAsyncSocketEx::OnAccept(int error) {
  Publish(ZulAsyncSocketEvent::kAccept, error);
}

void ZulMyCAsyncSocketEx::OnClose(int error) {
  Publish(ZulAsyncSocketEvent::kClose, error);
}

void ZulMyCAsyncSocketEx::OnConnect(int error) {
  Publish(ZulAsyncSocketEvent::kConnect, error);
}

void ZulMyCAsyncSocketEx::OnReceive(int error) {
  Publish(ZulAsyncSocketEvent::kReceive, error);
}

void ZulMyCAsyncSocketEx::OnSend(int error) {
  Publish(ZulAsyncSocketEvent::kSend, error);
}

ZulAsyncSocket::ZulAsyncSocket() : mSocket(new ZulMyCAsyncSocketEx) {}

ZulAsyncSocket::ZulAsyncSocket(const shared_ptr<ZulMyCAsyncSocketEx>& socket) : mSocket(socket) {}

bool ZulAsyncSocket::Attach(ZulAsyncSocketSubject::IObserverAdapter* adapter, int tag) {
  return mSocket->Subject().Attach(adapter, tag);
}

bool ZulAsyncSocket::Detach(ZulAsyncSocketSubject::IObserverAdapter* adapter) {
  return mSocket->Subject().Detach(adapter);
}

bool ZulAsyncSocket::Create(unsigned port,
                            int type,
                            long mask,
                            const char16_t* address,
                            int family) {
  return mSocket->Create(port, type, mask, address, family);
}

bool ZulAsyncSocket::AsyncSelect(long mask) {
  return mSocket->AsyncSelect(mask);
}

void ZulAsyncSocket::Close() {
  mSocket->Close();
}

bool ZulAsyncSocket::ShutDown(int how) {
  return mSocket->ShutDown(how);
}

bool ZulAsyncSocket::Bind(unsigned port, const char16_t* address) {
  return mSocket->Bind(port, address);
}

bool ZulAsyncSocket::Bind(const void* addr, int len) {
  return sock_bind(mSocket->GetSocketHandle(), addr, len);
}

bool ZulAsyncSocket::Connect(const char16_t* host, int port) {
  return mSocket->Connect(host, port);
}

bool ZulAsyncSocket::Connect(const void* addr, int len) {
  return mSocket->Connect(addr, len);
}

bool ZulAsyncSocket::Accept(ZulAsyncSocket& other, void* addr, int* len) {
  return mSocket->Accept(*other.mSocket, addr, len);
}

bool ZulAsyncSocket::AttachHandle(SocketHandle handle) {
  return mSocket->AttachHandle(handle, kFdAll);
}

SocketHandle ZulAsyncSocket::DetachHandle() {
  return mSocket->DetachHandle();
}

bool ZulAsyncSocket::GetPeerName(void* addr, int* len) {
  return mSocket->GetPeerName(addr, len);
}

bool ZulAsyncSocket::GetSockName(void* addr, int* len) {
  return mSocket->GetSockName(addr, len);
}

bool ZulAsyncSocket::Listen(int backlog) {
  return mSocket->Listen(backlog);
}

int ZulAsyncSocket::Send(const void* buf, int len, int flags) {
  return mSocket->Send(buf, len, flags);
}

int ZulAsyncSocket::Receive(void* buf, int size, int flags) {
  return mSocket->Receive(buf, size, flags);
}

bool ZulAsyncSocket::SetReceiveBuffer(int bytes) {
  SocketHandle handle = mSocket->GetSocketHandle();
  return handle != kInvalidSocket && sock_set_receive_buffer(handle, bytes);
}

bool ZulAsyncSocket::AddLayer(const shared_ptr<ZulAsyncSocketLayerCfg>& cfg) {
  return mSocket->AddLayer(cfg);
}

void ZulAsyncSocket::RemoveAllLayers() {
  mSocket->RemoveAllLayers();
}

bool ZulAsyncSocket::IsLayerAttached() {
  return mSocket->IsLayerAttached();
}
