// A layer that reaches its target through a proxy: the connection below goes to the proxy,
// the layer speaks the proxy's handshake and only then reports the connection upward.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/async_socket_ex_layer.h"

class CAsyncProxySocketLayer : public CAsyncSocketExLayer {
 public:
  enum ProxyType : int { kNoProxy = 0, kSocks4 = 1, kSocks4a = 2, kSocks5 = 3, kHttp11 = 4 };
  enum Operation : int { kOpNone = 0, kOpConnect = 1, kOpBind = 2 };
  // Parameter 1 of a layer-specific callback (type 1).
  enum CallbackCode : int {
    kProxyErrorNoConn = 1,
    kProxyErrorRequestFailed = 2,
    kProxyErrorAuthTypeUnknown = 4,
    kProxyErrorAuthFailed = 5,
    kProxyErrorAuthNoLogon = 6,
    kProxyErrorCantResolveHost = 7,
    kProxyStatusListening = 8,
  };
  static constexpr int kLayerSpecific = 1;

  // Where the proxy listens for a bind; parameter 2 of callback code 8 points at it.
  struct ListenAddress {
    uint32_t address;  // network order
    uint16_t port;     // network order
  };

  void SetProxy(int type, const char* host, int port);
  void SetProxy(int type, const char* host, int port, const char* user, const char* password);

  int GetProxyType() const { return m_nProxyType; }
  int GetOperation() const { return m_nProxyOpID; }

  bool Accept(CAsyncSocketEx& other, void* addr, int* len) override;
  void Close() override;
  bool Connect(const void* addr, int len) override;
  bool Connect(const char16_t* host, int port) override;
  bool GetPeerName(void* addr, int* len) override;
  bool Listen(int backlog) override;
  int Receive(void* buf, int size, int flags) override;
  int Send(const void* buf, int len, int flags) override;

 protected:
  void OnClose(int error) override;
  void OnConnect(int error) override;
  void OnReceive(int error) override;

 private:
  enum ReadResult { kComplete, kWaiting, kFailed };

  bool dojob_ConnectProxy(int op);
  std::string dojob_Socks4Request() const;
  std::string dojob_Socks5Request() const;
  std::string dojob_HttpRequest() const;
  bool dojob_SendRequest(const std::string& request);
  // Sends the handshake's next request and moves to next_state; an empty request fails.
  void dojob_SendStep(const std::string& request, int next_state);
  ReadResult dojob_ReadReply(size_t want);
  void dojob_Socks4Reply();
  void dojob_Socks5Reply();
  void dojob_Socks5MethodChosen();
  void dojob_Socks5FinalReply();
  void dojob_HttpReply();
  void dojob_ReportListening(uint32_t address, uint16_t port);
  // Ends the handshake: the callback with code, then the connect (or accept) with error.
  void dojob_Fail(int code, int error, std::string text = {});
  void dojob_Succeed();
  void dojob_Reset();
  long dojob_OperationEvent() const;

  int m_nProxyType = kNoProxy;
  std::string m_ProxyHost;
  int m_nProxyPort = 0;
  bool m_bUseLogon = false;
  std::string m_ProxyUser;
  std::string m_ProxyPass;

  std::string m_PeerHost;         // empty when the target was given as an address
  uint32_t m_nProxyPeerIp = 0;    // network order
  uint16_t m_nProxyPeerPort = 0;  // network order

  int m_nProxyOpID = kOpNone;
  int m_nProxyOpState = 0;
  std::vector<unsigned char> m_RecvBuffer;
  size_t m_nRecvBufferPos = 0;
  std::string m_strHttpReply;
  ListenAddress m_ListenAddress{};
};
