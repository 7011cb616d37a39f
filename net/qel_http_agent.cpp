#include "net/qel_http_agent.h"

#include <string>

#include "platform/text.h"
#include "qel_lib/qel_assert.h"

using namespace qel_net;

ZulHttpAgent::ZulHttpAgent(SocketFactory factory)
    : mFactory(std::move(factory)), mSocket(NewSocket()) {}

ZulHttpAgent::~ZulHttpAgent() {
  Reset();
}

ZulAsyncSocket ZulHttpAgent::NewSocket() const {
  return mFactory ? mFactory() : ZulAsyncSocket();
}

bool ZulHttpAgent::Attach(ZulHttpAgentSubject::IObserverAdapter* adapter, int tag) {
  return mSubject.Attach(adapter, tag);
}

bool ZulHttpAgent::Detach(ZulHttpAgentSubject::IObserverAdapter* adapter) {
  return mSubject.Detach(adapter);
}

bool ZulHttpAgent::Start(int32_t method,
                         const std::u16string& host,
                         int32_t port,
                         const std::u16string& path,
                         const ZulData& post_data) {
  if (!QEL_ASSERT_MSG(!IsBusy() && host.size(), "!IsBusy() && _host.GetLength()"))
    return false;
  // The socket's observer holds the agent weakly; a temporary owner would delete it.
  if (!QEL_ASSERT_MSG(get_detail(), "locked"))
    return false;
  Reset();
  mIsBusy = true;
  mMethod = method;
  mHost = host;
  mPort = port;
  mPath = path;
  mPostData = post_data;
  mSocketObserver.Bind(shared_ptr<ZulHttpAgent>(this), &ZulHttpAgent::OnAsyncSocketEvent);
  mSocket.Attach(&mSocketObserver, 0);
  constexpr long kMask = kFdRead | kFdWrite | kFdConnect | kFdClose;
  if (!mSocket.Create(0, kSockStream, kMask, nullptr, kAfInet) || !mSocket.AsyncSelect(kMask)) {
    Fail(kErrConnect);
    return false;
  }
  // Before the connect, so that the window offered to the peer can use it. Only a tuning:
  // a system that refuses keeps its default.
  mSocket.SetReceiveBuffer(kSocketBufferBytes);
  if (mSocket.Connect(mHost.c_str(), mPort)) {
    SlotConnect(0);
  } else if (sock_last_error() != kErrWouldBlock) {
    Fail(kErrConnect);
    return false;
  }
  return true;
}

void ZulHttpAgent::Stop() {
  if (!mIsBusy)
    return;
  mIsBusy = false;
  mSocket.Detach(&mSocketObserver);
  mSocketObserver.Bind(shared_ptr<ZulHttpAgent>(), nullptr);
  mSocket.Detach(&mSocketObserver);
  mSocket.ShutDown(kShutBoth);
  mSocket.Close();
  mSocket = NewSocket();
}

void ZulHttpAgent::Reset() {
  Stop();
  mStatusCode = 0;
  mStatusLineLen = 0;
  mHeaderLen = 0;
  mHeaderScanPos = 0;
  mContentLen = 0;
  mContentRecvedLen = 0;
  mInData.Clear();
  mOutData.Clear();
  mPostData.Clear();
  mHeaderData.Clear();
  mHost.clear();
  mPath.clear();
  mPort = 80;
  mHeader.Clear();
}

void ZulHttpAgent::Notify(ZulHttpAgentEvt& event) {
  mSubject.Notify(&event);
}

void ZulHttpAgent::Fail(int32_t code) {
  ZulHttpAgentEvt event;
  event.mType = ZulHttpAgentEvt::kFailed;
  event.mErrorCode = code;
  Notify(event);
  Stop();
}

void ZulHttpAgent::OnAsyncSocketEvent(const ZulAsyncSocketEvent* event) {
  switch (event->mType) {
    case ZulAsyncSocketEvent::kClose:
      SlotClose(event->mErrorCode);
      return;
    case ZulAsyncSocketEvent::kConnect:
      SlotConnect(event->mErrorCode);
      return;
    case ZulAsyncSocketEvent::kReceive:
      SlotReceive(event->mErrorCode);
      return;
    case ZulAsyncSocketEvent::kSend:
      SlotSend(event->mErrorCode);
      return;
    default:
      QEL_ASSERT(false);
  }
}

void ZulHttpAgent::SlotConnect(int error) {
  if (error) {
    Fail(kErrConnect);
    return;
  }
  mOutData.Clear();
  std::string host = platform::to_ansi(mHost);
  host.append(":").append(std::to_string(mPort));
  std::string path = platform::to_ansi(mPath);
  // Built by appending: GCC 12 warns falsely on chained string concatenation here.
  std::string head = mMethod == kGet ? "GET " : "POST ";
  head.append(path).append(" HTTP/1.1\r\nHost: ").append(host).append("\r\n");
  if (mMethod == kGet) {
    head.append("User-Agent: IE6.0\r\nConnection: close\r\nCache-Control: no-cache\r\n\r\n");
  } else if (mMethod != kPost) {
    Fail(kErrMethod);
    return;
  }
  mOutData.Append(head.data(), static_cast<uint32_t>(head.size()));
  if (mMethod == kPost && QEL_ASSERT(mPostData.GetLength()))
    mOutData.Append(mPostData.GetData(), mPostData.GetLength());
}

void ZulHttpAgent::SlotSend(int error) {
  if (!QEL_ASSERT(mIsBusy))
    return;
  if (error) {
    Fail(kErrSocket);
    return;
  }
  uint32_t length = mOutData.GetLength();
  uint32_t sent = 0;
  while (sent < length) {
    int n = mSocket.Send(mOutData.GetData(sent), static_cast<int>(length - sent), 0);
    if (n > 0) {
      sent += static_cast<uint32_t>(n);
      continue;
    }
    if (n == 0 || sock_last_error() != kErrWouldBlock) {
      Fail(kErrSocket);
      return;
    }
    break;
  }
  mOutData.Consume(sent);
}

void ZulHttpAgent::SlotReceive(int error) {
  if (!QEL_ASSERT(mIsBusy))
    return;
  // kErrShutdown is the socket's close rule, not a failure: the peer has closed with bytes
  // still unread, which are read now; the close comes back once none are left.
  if (error && error != kErrShutdown) {
    Fail(kErrSocket);
    return;
  }
  for (;;) {
    // Straight into the unparsed bytes: no copy between the socket and the parser.
    uint8_t* room = mInData.Reserve(static_cast<uint32_t>(mReceiveSize));
    if (!room) {
      Fail(kErrSocket);
      return;
    }
    int n = mSocket.Receive(room, mReceiveSize, 0);
    if (n > 0) {
      mInData.Commit(static_cast<uint32_t>(n));
      if (n == mReceiveSize && mReceiveSize < kReceiveSize)
        mReceiveSize *= 2;
      // A peer faster than the parser must not keep the thread here or grow the buffer
      // without end: parse now and let the next notification continue.
      if (mInData.GetLength() >= (mHeaderLen ? kMaxDrainBytes : kMaxHeadBytes))
        break;
      continue;
    }
    if (n == 0) {
      SlotClose(0);
      return;
    }
    if (sock_last_error() != kErrWouldBlock) {
      Fail(kErrSocket);
      return;
    }
    break;
  }
  ProcessData(false);
}

void ZulHttpAgent::SlotClose(int error) {
  if (error)
    Fail(kErrSocket);
  else
    ProcessData(true);
  QEL_ASSERT(!mIsBusy);
}
