// A minimal asynchronous HTTP/1.1 client: one GET or POST at a time over a ZulAsyncSocket,
// the reply's status line, header block and content published as they arrive.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "net/mime_header.h"
#include "net/qel_async_socket.h"
#include "net/qel_data.h"
#include "qel_lib/qel_subject.h"

struct ZulHttpAgentEvt {
  enum : int32_t { kFailed = 0, kStatus = 1, kHeader = 2, kContent = 3 };
  int32_t mType = 0;
  int32_t mErrorCode = 0;
  int32_t mStatusCode = 0;
  ZulData mHeaderData;
  int32_t mContentLen = 0;
  int32_t mContentPos = 0;
  ZulData mContent;
};

// The record's name of old. C++ reserves names that start with an underscore and a capital
// letter, so the type itself goes without the underscore.
using _ZulHttpAgentEvt = ZulHttpAgentEvt;

using ZulHttpAgentSubject = SimpleSubject<ZulHttpAgentEvt, void, const ZulHttpAgentEvt*>;

class ZulHttpAgent : public ZulIObject {
 public:
  enum : int32_t { kGet = 0, kPost = 1 };
  // Failure codes of kFailed events.
  enum : int32_t {
    kErrSocket = 1,
    kErrConnect = 2,
    kErrStatusLine = 3,
    kErrHeader = 4,
    kErrClosedEarly = 5,
    kErrMethod = 6,
  };
  // Bytes held before the header block is complete; a reply that never ends it fails.
  static constexpr uint32_t kMaxHeadBytes = 1024 * 1024;
  // What one receive notification takes at most before the bytes are parsed; the rest
  // waits for the next notification, so a fast peer cannot hold the thread.
  static constexpr uint32_t kMaxDrainBytes = 4 * 1024 * 1024;
  static constexpr int kReceiveSize = 1024 * 1024;
  // The system's receive buffer of the agent's socket. A large one lets the peer run ahead
  // while the thread is elsewhere and makes each receive bring more: under Wine every
  // receive is a server round trip, and a loaded machine makes each of those slow.
  static constexpr int kSocketBufferBytes = 4 * 1024 * 1024;

  using SocketFactory = std::function<ZulAsyncSocket()>;

  // The factory makes the socket of each request (a scripted one in tests).
  explicit ZulHttpAgent(SocketFactory factory = nullptr);
  ~ZulHttpAgent() override;

  virtual bool IsBusy() const { return mIsBusy; }
  // The agent must be held by a shared_ptr: the socket's observer keeps it weakly.
  virtual bool Start(int32_t method,
                     const std::u16string& host,
                     int32_t port,
                     const std::u16string& path,
                     const ZulData& post_data);
  virtual void Stop();
  virtual int32_t GetStatusCode() const { return mStatusCode; }
  virtual const CMimeHeader& GetHeader() const { return mHeader; }

  bool Attach(ZulHttpAgentSubject::IObserverAdapter* adapter, int tag);
  bool Detach(ZulHttpAgentSubject::IObserverAdapter* adapter);

 private:
  void Reset();
  void Fail(int32_t code);
  void Notify(ZulHttpAgentEvt& event);
  ZulAsyncSocket NewSocket() const;
  void OnAsyncSocketEvent(const ZulAsyncSocketEvent* event);
  void SlotConnect(int error);
  void SlotSend(int error);
  void SlotReceive(int error);
  void SlotClose(int error);
  void ProcessData(bool closed);
  bool dojob_status_line(bool closed);
  bool dojob_header(bool closed);
  void dojob_content(bool closed);

  SocketFactory mFactory;
  ZulAsyncSocket mSocket;
  ObserverAdapter<ZulHttpAgent, ZulAsyncSocketSubject> mSocketObserver;
  bool mIsBusy = false;
  int32_t mMethod = kGet;
  std::u16string mHost;
  int32_t mPort = 80;
  std::u16string mPath;
  ZulData mPostData{0, 256};
  ZulData mOutData{0, 256};
  ZulData mInData{0, 256};  // received bytes not yet consumed
  int32_t mStatusCode = 0;
  uint32_t mStatusLineLen = 0;
  uint32_t mHeaderLen = 0;
  uint32_t mHeaderScanPos = 0;  // where the search for the end of the block resumes
  int32_t mContentLen = 0;
  int32_t mContentRecvedLen = 0;
  ZulData mHeaderData{0, 256};
  CMimeHeader mHeader;
  ZulHttpAgentSubject mSubject;
  // Receives grow with the reply: each is a system call (under Wine a server round trip
  // too), so a large download reads in large pieces while a small reply stays small.
  int mReceiveSize = 16 * 1024;
  // The content events take the received bytes themselves; a buffer the observers let go
  // takes the next receive.
  ZulData mSpareData{0, 256};
};
