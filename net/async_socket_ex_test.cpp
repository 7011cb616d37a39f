#include "net/async_socket_ex.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

#include "net/async_socket_ex_helper_window.h"
#include "net/async_socket_ex_layer.h"
#include "net/testing/local_port.h"
#include "net/testing/test_servers.h"

using namespace qel_net;
using net_testing::RunFor;
using net_testing::RunUntil;

namespace {

struct Event {
  char kind;  // a accept, c close, C connect, r receive, s send
  int error;
  bool operator==(const Event& o) const { return kind == o.kind && error == o.error; }
};

std::ostream& operator<<(std::ostream& os, const Event& e) {
  return os << e.kind << "(" << e.error << ")";
}

// Records every notification; the tests plug their behaviour into the hooks.
class Recorder : public CAsyncSocketEx {
 public:
  std::vector<Event> events;
  std::string received;
  std::function<void(Recorder&, const Event&)> hook;

  int ReadAll() {
    char buf[512];
    int total = 0;
    for (int n; (n = Receive(buf, sizeof buf)) > 0; total += n)
      received.append(buf, n);
    return total;
  }
  bool Has(char kind) const {
    for (const Event& e : events)
      if (e.kind == kind)
        return true;
    return false;
  }

 protected:
  void Record(char kind, int error) {
    events.push_back({kind, error});
    if (hook)
      hook(*this, events.back());
  }
  void OnAccept(int e) override { Record('a', e); }
  void OnClose(int e) override { Record('c', e); }
  void OnConnect(int e) override { Record('C', e); }
  void OnReceive(int e) override { Record('r', e); }
  void OnSend(int e) override { Record('s', e); }
  void OnLayerCallback(std::list<t_callbackMsg>& callbacks) override {
    for (const t_callbackMsg& m : callbacks)
      notes.push_back(std::to_string(m.nType) + "/" + std::to_string(m.nParam1) + "/" +
                      std::to_string(m.nParam2) + "/" + m.str);
    CAsyncSocketEx::OnLayerCallback(callbacks);
  }

 public:
  std::vector<std::string> notes;
};

// A layer that tells its owner about the connect before passing it up.
class NotingLayer : public CAsyncSocketExLayer {
 public:
  void OnConnect(int error) override {
    DoLayerCallback(1, 7, error, "connected");
    DoLayerCallback(0, 1, 2);
    CAsyncSocketExLayer::OnConnect(error);
  }
};

void SendText(CAsyncSocketEx& s, const std::string& text) {
  ASSERT_EQ(s.Send(text.data(), static_cast<int>(text.size())), static_cast<int>(text.size()));
}

std::string Request(const std::string& path) {
  return "GET " + path + " HTTP/1.1\r\n\r\n";
}

int FreePort() {
  CAsyncSocketEx probe;
  probe.Create(0, kSockStream, 0, u"127.0.0.1");
  return net_testing::LocalPort(probe);
}

// An exchange with the scripted server: request on connect, read what comes, until close.
void RunExchange(Recorder& s, const std::string& path) {
  s.hook = [path](Recorder& r, const Event& e) {
    if (e.kind == 'C' && !e.error)
      SendText(r, Request(path));
    if (e.kind == 'r')
      r.ReadAll();
  };
  ASSERT_TRUE(RunUntil([&] { return s.Has('c'); }));
}

TEST(AsyncSocketEx, ConnectsSendsReceivesAndClosesInOrder) {
  QEL_NEED_SERVER(port, "scripted");
  for (bool layered : {false, true}) {
    SCOPED_TRACE(layered ? "through a pass-through layer" : "bare");
    CAsyncSocketExLayer layer;  // layers outlive their socket
    Recorder s;
    if (layered)
      s.AddLayer(&layer);
    ASSERT_TRUE(s.Create());
    EXPECT_EQ(s.GetState(), unconnected);
    SockAddr to;
    uint32_t loopback;
    ASSERT_TRUE(sock_parse_ipv4("127.0.0.1", &loopback));
    to = sock_addr_ipv4(loopback, static_cast<uint16_t>(port));
    EXPECT_FALSE(s.Connect(to.bytes, to.length));
    EXPECT_EQ(sock_last_error(), kErrWouldBlock);
    EXPECT_EQ(s.GetState(), connecting);
    RunExchange(s, "/hello");
    EXPECT_EQ(s.received, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello");
    ASSERT_GE(s.events.size(), 3u);
    EXPECT_EQ(s.events.front(), (Event{'C', 0}));
    EXPECT_EQ(s.events[1], (Event{'s', 0}));
    EXPECT_EQ(s.events.back(), (Event{'c', 0}));
    EXPECT_EQ(s.GetState(), closed);
    s.Close();
    EXPECT_EQ(s.GetState(), notsock);
    EXPECT_EQ(s.GetSocketHandle(), kInvalidSocket);
  }
}

TEST(AsyncSocketEx, StackedLayersPassEventsUpAndCallbacksInOneBatch) {
  QEL_NEED_SERVER(port, "scripted");
  NotingLayer top;
  CAsyncSocketExLayer bottom;
  Recorder s;
  s.AddLayer(&top);
  s.AddLayer(&bottom);
  ASSERT_TRUE(s.Create());
  EXPECT_EQ(top.GetLayerState(), unconnected);
  EXPECT_EQ(bottom.GetLayerState(), unconnected);
  s.Connect(u"localhost", port);
  RunExchange(s, "/hello");
  EXPECT_EQ(s.received.substr(s.received.size() - 5), "hello");
  EXPECT_EQ(s.events.front(), (Event{'C', 0}));
  EXPECT_EQ(s.events.back(), (Event{'c', 0}));
  EXPECT_EQ(s.notes, (std::vector<std::string>{"1/7/0/connected", "0/1/2/"}));
  EXPECT_EQ(bottom.GetLayerState(), closed);
  s.Close();
  EXPECT_FALSE(s.IsLayerAttached());
}

TEST(AsyncSocketEx, ReadAndWriteDuringConnectAreReplayedAfterIt) {
  QEL_NEED_SERVER(port, "scripted");
  Recorder s;
  ASSERT_TRUE(s.Create());
  // A name, so that the socket stays connecting while the lookup runs.
  EXPECT_FALSE(s.Connect(u"localhost", port));
  EXPECT_EQ(sock_last_error(), kErrWouldBlock);
  EXPECT_EQ(s.GetState(), connecting);
  ASSERT_TRUE(s.TriggerEvent(kFdRead));
  ASSERT_TRUE(s.TriggerEvent(kFdWrite));
  ASSERT_TRUE(RunUntil([&] { return s.events.size() >= 3; }));
  EXPECT_EQ(s.events[0], (Event{'C', 0}));
  EXPECT_EQ(s.events[1], (Event{'r', 0}));
  EXPECT_EQ(s.events[2], (Event{'s', 0}));
}

TEST(AsyncSocketEx, CloseInConnectHandlerStopsTheReplayAndEverythingAfter) {
  QEL_NEED_SERVER(port, "scripted");
  Recorder s;
  s.hook = [](Recorder& r, const Event& e) {
    if (e.kind == 'C')
      r.Close();
  };
  ASSERT_TRUE(s.Create());
  s.Connect(u"127.0.0.1", port);
  ASSERT_TRUE(s.TriggerEvent(kFdRead));
  ASSERT_TRUE(s.TriggerEvent(kFdWrite));
  ASSERT_TRUE(RunUntil([&] { return !s.events.empty(); }));
  RunFor(100);
  EXPECT_EQ(s.events, (std::vector<Event>{{'C', 0}}));
}

TEST(AsyncSocketEx, CloseWithUnreadBytesAsksForThemFirst) {
  QEL_NEED_SERVER(port, "scripted");
  Recorder s;
  int taken_on_close = -1;
  bool triggered = false;
  s.hook = [&](Recorder& r, const Event& e) {
    if (e.kind == 'C')
      SendText(r, Request("/close100"));
    // Some stacks report the peer's close only once the data is read, so the close
    // notification is posted here while the 100 bytes are still unread.
    if (e.kind == 'r' && !e.error && !triggered)
      triggered = r.TriggerEvent(kFdClose);
    if (e.kind == 'r' && e.error == kErrShutdown)
      taken_on_close = r.ReadAll();
  };
  ASSERT_TRUE(s.Create());
  s.Connect(u"127.0.0.1", port);
  ASSERT_TRUE(RunUntil([&] { return s.Has('c'); }));
  RunFor(150);
  EXPECT_EQ(taken_on_close, 100);
  ASSERT_GE(s.events.size(), 3u);
  EXPECT_EQ(s.events[s.events.size() - 2], (Event{'r', kErrShutdown}));
  EXPECT_EQ(s.events.back(), (Event{'c', 0}));
}

// Posts a notification as the operating system would, to the socket's slot.
void PostAsSystem(CAsyncSocketEx& s, long event) {
  t_AsyncSocketExThreadData* context = JoinThreadContext();
  CAsyncSocketExHelperWindow* helper = context->m_pHelperWindow;
  for (int slot = 0; slot < helper->Capacity(); ++slot)
    if (helper->SocketAt(slot) == &s)
      helper->Port().Post(kMsgSocketBase + slot, s.GetSocketHandle(), event);
  LeaveThreadContext(context);
}

TEST(AsyncSocketEx, LayeredCloseIsRetriedUntilTheBytesAreRead) {
  QEL_NEED_SERVER(port, "scripted");
  CAsyncSocketExLayer layer;
  Recorder s;
  s.AddLayer(&layer);
  int reads = 0, taken = 0;
  s.hook = [&](Recorder& r, const Event& e) {
    if (e.kind == 'C')
      SendText(r, Request("/close100"));
    if (e.kind != 'r')
      return;
    if (++reads == 1)
      PostAsSystem(r, kFdClose);
    if (reads == 3)
      taken = r.ReadAll();  // the close-retry timer asked twice more
  };
  ASSERT_TRUE(s.Create());
  s.Connect(u"127.0.0.1", port);
  ASSERT_TRUE(RunUntil([&] { return s.Has('c'); }));
  RunFor(50);
  EXPECT_EQ(taken, 100);
  EXPECT_GE(reads, 3);
  EXPECT_EQ(s.events.back(), (Event{'c', 0}));
}

TEST(AsyncSocketEx, UnresolvableHostReportsTheLookupError) {
  Recorder s;
  ASSERT_TRUE(s.Create());
  EXPECT_FALSE(s.Connect(u"no-such-host.invalid", 80));
  EXPECT_EQ(sock_last_error(), kErrWouldBlock);
  ASSERT_TRUE(RunUntil([&] { return !s.events.empty(); }, 30000));
  ASSERT_EQ(s.events.size(), 1u);
  EXPECT_EQ(s.events[0].kind, 'C');
  EXPECT_GE(s.events[0].error, 11001);
  EXPECT_LE(s.events[0].error, 11004);
}

// The system's lookup, taken before a test replaces it: the replacement runs on lookup
// workers, which must not touch the replacement itself.
AddrLookupFn g_system_lookup = nullptr;

bool DualLookup(const char* host,
                const char* port,
                int family,
                int type,
                std::vector<SockAddr>* out) {
  return g_system_lookup("::1", port, kAfInet6, type, out) &&
         g_system_lookup("127.0.0.1", port, kAfInet, type, out);
}

// Replaces the lookup for one test.
struct LookupOverride {
  explicit LookupOverride(AddrLookupFn fn) {
    addr_lookup_override(nullptr);
    g_system_lookup = addr_lookup_function();
    addr_lookup_override(fn);
  }
  ~LookupOverride() { addr_lookup_override(nullptr); }
};

struct DualName : LookupOverride {
  DualName() : LookupOverride(DualLookup) {}
};

TEST(AsyncSocketEx, FamilyZeroTriesTheNextAddressWithoutTellingTheOwner) {
  QEL_NEED_SERVER(port, "scripted");
  DualName dual;  // ::1 first, where nothing listens, then 127.0.0.1
  Recorder s;
  ASSERT_TRUE(s.Create(0, kSockStream, kFdAll, nullptr, kAfUnspec));
  EXPECT_EQ(s.GetSocketHandle(), kInvalidSocket);
  s.Connect(u"dual", port);
  RunExchange(s, "/hello");
  EXPECT_EQ(s.events.front(), (Event{'C', 0}));
  EXPECT_EQ(s.GetFamily(), kAfInet);
  EXPECT_EQ(s.received.substr(s.received.size() - 5), "hello");

  Recorder refused;
  ASSERT_TRUE(refused.Create(0, kSockStream, kFdAll, nullptr, kAfUnspec));
  refused.Connect(u"dual", FreePort());
  ASSERT_TRUE(RunUntil([&] { return !refused.events.empty(); }));
  RunFor(100);
  EXPECT_EQ(refused.events, (std::vector<Event>{{'C', kErrConnRefused}}));
}

bool EmptyLookup(const char*, const char*, int, int, std::vector<SockAddr>*) {
  return true;
}

TEST(AsyncSocketEx, FamilyZeroLookupAnswersLaterThroughTheHelper) {
  QEL_NEED_SERVER(port, "scripted");
  for (bool layered : {false, true}) {
    for (const char16_t* host : {u"127.0.0.1", u"localhost"}) {
      SCOPED_TRACE(std::string(layered ? "layered " : "bare ") + (host[0] == u'1' ? "1" : "l"));
      CAsyncSocketExLayer layer;
      Recorder s;
      if (layered)
        s.AddLayer(&layer);
      ASSERT_TRUE(s.Create(0, kSockStream, kFdAll, nullptr, kAfUnspec));
      EXPECT_FALSE(s.Connect(host, port));
      EXPECT_EQ(sock_last_error(), kErrWouldBlock);
      EXPECT_EQ(s.GetState(), connecting);
      EXPECT_EQ(s.GetSocketHandle(), kInvalidSocket);  // made once the addresses are known
      RunExchange(s, "/hello");
      EXPECT_EQ(s.events.front(), (Event{'C', 0}));
      EXPECT_EQ(s.received.substr(s.received.size() - 5), "hello");
    }
  }
}

TEST(AsyncSocketEx, FamilyZeroLookupFailureReachesOnConnect) {
  Recorder s;
  ASSERT_TRUE(s.Create(0, kSockStream, kFdAll, nullptr, kAfUnspec));
  EXPECT_FALSE(s.Connect(u"no-such-host.invalid", 80));
  EXPECT_EQ(sock_last_error(), kErrWouldBlock);
  ASSERT_TRUE(RunUntil([&] { return !s.events.empty(); }, 30000));
  ASSERT_EQ(s.events.size(), 1u);
  EXPECT_EQ(s.events[0].kind, 'C');
  EXPECT_GE(s.events[0].error, kErrHostNotFound);
  EXPECT_LE(s.events[0].error, 11004);

  // A lookup that succeeds with no address is no success.
  LookupOverride empty(EmptyLookup);
  s.Close();
  s.events.clear();
  ASSERT_TRUE(s.Create(0, kSockStream, kFdAll, nullptr, kAfUnspec));
  EXPECT_FALSE(s.Connect(u"nothing", 80));
  ASSERT_TRUE(RunUntil([&] { return !s.events.empty(); }));
  EXPECT_EQ(s.events, (std::vector<Event>{{'C', kErrHostNotFound}}));
}

// A name server that answers only when the test lets it, or after five seconds.
struct SlowNameServer {
  static inline std::mutex lock;
  static inline std::condition_variable changed;
  static inline bool started = false;
  static inline bool released = false;
  static inline bool answered_unreleased = false;
  static inline int finished = 0;

  static bool Lookup(const char*, const char* port, int, int type, std::vector<SockAddr>* out) {
    std::unique_lock<std::mutex> hold(lock);
    started = true;
    changed.notify_all();
    if (!changed.wait_for(hold, std::chrono::seconds(5), [] { return released; }))
      answered_unreleased = true;
    hold.unlock();
    bool ok = g_system_lookup("127.0.0.1", port, kAfInet, type, out);
    hold.lock();
    ++finished;
    changed.notify_all();
    return ok;
  }
  static void Reset() {
    std::lock_guard<std::mutex> hold(lock);
    started = released = false;
  }
  static void WaitStarted() {
    std::unique_lock<std::mutex> hold(lock);
    changed.wait_for(hold, std::chrono::seconds(5), [] { return started; });
  }
  static void Release() {
    std::lock_guard<std::mutex> hold(lock);
    released = true;
    changed.notify_all();
  }
  static void WaitFinished(int count) {
    std::unique_lock<std::mutex> hold(lock);
    changed.wait_for(hold, std::chrono::seconds(5), [count] { return finished >= count; });
  }
};

TEST(AsyncSocketEx, CloseDuringFamilyZeroLookupSilencesIt) {
  QEL_NEED_SERVER(port, "scripted");
  LookupOverride slow(SlowNameServer::Lookup);
  std::vector<Event> heard;  // outlives the sockets, so late notifications still show
  int lookups = 0;
  for (bool destroy : {false, true}) {
    SCOPED_TRACE(destroy ? "socket destroyed" : "socket closed");
    SlowNameServer::Reset();
    auto s = std::make_unique<Recorder>();
    s->hook = [&heard](Recorder&, const Event& e) { heard.push_back(e); };
    ASSERT_TRUE(s->Create(0, kSockStream, kFdAll, nullptr, kAfUnspec));
    // Returns while the name server still holds the lookup: the thread is not blocked.
    EXPECT_FALSE(s->Connect(u"slow", port));
    EXPECT_EQ(sock_last_error(), kErrWouldBlock);
    SlowNameServer::WaitStarted();
    if (destroy)
      s.reset();  // the thread's helper goes with its last socket
    else
      s->Close();
    SlowNameServer::Release();
    SlowNameServer::WaitFinished(++lookups);
    RunFor(200);  // time for an answer that should not come
    EXPECT_TRUE(heard.empty());
    if (s) {
      EXPECT_EQ(s->GetState(), notsock);
    }
  }
  EXPECT_FALSE(SlowNameServer::answered_unreleased);

  // A socket connecting afterwards hears its own answer only.
  SlowNameServer::Release();
  Recorder after;
  ASSERT_TRUE(after.Create(0, kSockStream, kFdAll, nullptr, kAfUnspec));
  after.Connect(u"slow", port);
  RunExchange(after, "/hello");
  EXPECT_EQ(after.events.front(), (Event{'C', 0}));
  EXPECT_TRUE(heard.empty());
}

TEST(AsyncSocketEx, ListenAcceptAndTalk) {
  Recorder server, client;
  std::vector<std::unique_ptr<Recorder>> accepted;
  ASSERT_TRUE(server.Create(0, kSockStream, kFdAll, u"127.0.0.1"));
  ASSERT_TRUE(server.Listen());
  EXPECT_EQ(server.GetState(), listening);
  SockAddr local;
  local.length = sizeof local.bytes;
  ASSERT_TRUE(server.GetSockName(local.bytes, &local.length));
  local.family = kAfInet;
  server.hook = [&](Recorder& r, const Event& e) {
    if (e.kind != 'a')
      return;
    accepted.push_back(std::make_unique<Recorder>());
    ASSERT_TRUE(r.Accept(*accepted.back()));
    EXPECT_EQ(accepted.back()->GetState(), connected);
    SendText(*accepted.back(), "hi");
    accepted.back()->ShutDown(kShutBoth);
  };
  ASSERT_TRUE(client.Create());
  client.Connect(u"127.0.0.1", sock_addr_port(local));
  client.hook = [](Recorder& r, const Event& e) {
    if (e.kind == 'r')
      r.ReadAll();
  };
  ASSERT_TRUE(RunUntil([&] { return client.Has('c'); }));
  EXPECT_EQ(client.received, "hi");
  EXPECT_EQ(accepted.size(), 1u);
}

TEST(AsyncSocketEx, AlreadyCreatedAndBadBindAddressFail) {
  CAsyncSocketEx s;
  ASSERT_TRUE(s.Create());
  EXPECT_FALSE(s.Create());
  EXPECT_EQ(sock_last_error(), kErrAlready);
  CAsyncSocketEx bad;
  EXPECT_FALSE(bad.Create(0, kSockStream, kFdAll, u"not an address"));
  EXPECT_EQ(bad.GetSocketHandle(), kInvalidSocket);
  EXPECT_FALSE(bad.AttachHandle(0));
}

TEST(AsyncSocketEx, AttachedHandlesAreGivenBackOpen) {
  // Joining the helper starts the sockets library, as the application does at start-up.
  t_AsyncSocketExThreadData* context = JoinThreadContext();
  SocketHandle raw = sock_open(kAfInet, kSockStream);
  ASSERT_NE(raw, kInvalidSocket);
  CAsyncSocketEx s;
  ASSERT_TRUE(s.AttachHandle(raw));
  EXPECT_EQ(s.GetState(), attached);
  EXPECT_FALSE(s.AttachHandle(raw));
  EXPECT_EQ(s.DetachHandle(), raw);
  EXPECT_EQ(s.GetState(), notsock);
  EXPECT_EQ(s.GetSocketHandle(), kInvalidSocket);
  EXPECT_TRUE(sock_close(raw));  // still open: detaching does not close
  LeaveThreadContext(context);
}

TEST(AsyncSocketEx, TableGrowsBy512BeforeItFills) {
  t_AsyncSocketExThreadData* context = JoinThreadContext();
  ASSERT_NE(context, nullptr);
  CAsyncSocketExHelperWindow* helper = context->m_pHelperWindow;
  std::vector<std::unique_ptr<CAsyncSocketEx>> sockets;
  while (helper->Count() < 502) {
    sockets.push_back(std::make_unique<CAsyncSocketEx>());
    ASSERT_TRUE(sockets.back()->Create()) << sock_last_error();
  }
  EXPECT_EQ(helper->Capacity(), 512);
  sockets.push_back(std::make_unique<CAsyncSocketEx>());
  ASSERT_TRUE(sockets.back()->Create());
  EXPECT_EQ(helper->Capacity(), 1024);
  EXPECT_EQ(helper->Count(), 503);
  sockets.clear();
  EXPECT_EQ(helper->Count(), 0);
  LeaveThreadContext(context);
}

}  // namespace
