#include "net/qel_http_agent.h"

#include <gtest/gtest.h>

#include <cctype>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "net/testing/scripted_socket.h"
#include "net/testing/test_servers.h"
#include "qel_lib/qel_assert_capture.h"

using net_testing::RunFor;
using net_testing::RunUntil;

namespace {

// Writes the agent's events as a trace: S<status> H<content length> C<bytes> F<code>, with
// consecutive content chunks summed (their positions are checked as they come).
class Watcher : public ZulIObject {
 public:
  void OnEvent(const ZulHttpAgentEvt* e) {
    switch (e->mType) {
      case ZulHttpAgentEvt::kFailed:
        Add("F" + std::to_string(e->mErrorCode));
        break;
      case ZulHttpAgentEvt::kStatus:
        Add("S" + std::to_string(e->mStatusCode));
        break;
      case ZulHttpAgentEvt::kHeader:
        header.assign(reinterpret_cast<const char*>(e->mHeaderData.GetData()),
                      e->mHeaderData.GetLength());
        Add("H" + std::to_string(e->mContentLen));
        break;
      case ZulHttpAgentEvt::kContent:
        if (e->mContentPos != static_cast<int32_t>(body.size()))
          positions_ok = false;
        body.append(reinterpret_cast<const char*>(e->mContent.GetData()), e->mContent.GetLength());
        if (trace.empty() || trace.back() != 'C')
          Add("C");
        break;
    }
    if (hook)
      hook(e);
  }
  std::string Trace() const {
    std::string t = trace;
    size_t c = t.rfind('C');
    if (c != std::string::npos && c + 1 == t.size())
      t += std::to_string(body.size());
    return t;
  }

  ObserverAdapter<Watcher, ZulHttpAgentSubject> adapter;
  std::string trace, header, body;
  bool positions_ok = true;
  std::function<void(const ZulHttpAgentEvt*)> hook;

 private:
  void Add(const std::string& item) {
    if (!trace.empty() && trace.back() == 'C')
      trace += std::to_string(body_at_last_add_);
    if (!trace.empty())
      trace += " ";
    trace += item;
    body_at_last_add_ = body.size();
  }
  size_t body_at_last_add_ = 0;
};

struct Client {
  explicit Client(ZulHttpAgent::SocketFactory factory = nullptr)
      : agent(new ZulHttpAgent(std::move(factory))), watcher(new Watcher) {
    watcher->adapter.Bind(watcher, &Watcher::OnEvent);
    agent->Attach(&watcher->adapter, 0);
  }
  bool Get(const std::u16string& host, int port, const std::u16string& path) {
    return agent->Start(ZulHttpAgent::kGet, host, port, path, ZulData(0, 256));
  }
  bool GetAndWait(int port, const std::string& path) {
    if (!Get(u"127.0.0.1", port, std::u16string(path.begin(), path.end())))
      return false;
    return RunUntil([&] { return !agent->IsBusy(); }, 30000);
  }
  shared_ptr<ZulHttpAgent> agent;
  shared_ptr<Watcher> watcher;
};

struct ReplyCase {
  const char* server;
  const char* path;
  const char* trace;
  const char* body;
};

class AgentReplies : public testing::TestWithParam<ReplyCase> {};

TEST_P(AgentReplies, GiveTheirEventsInOrder) {
  const ReplyCase& c = GetParam();
  QEL_NEED_SERVER(port, c.server);
  Client client;
  ASSERT_TRUE(client.GetAndWait(port, c.path));
  EXPECT_EQ(client.watcher->Trace(), c.trace);
  EXPECT_EQ(client.watcher->body, c.body);
  EXPECT_TRUE(client.watcher->positions_ok);
  EXPECT_FALSE(client.agent->IsBusy());
}

INSTANTIATE_TEST_SUITE_P(
    Scripted,
    AgentReplies,
    testing::Values(ReplyCase{"scripted", "/hello", "S200 H5 C5", "hello"},
                    ReplyCase{"scripted", "/bytewise", "S200 H5 C5", "hello"},
                    ReplyCase{"scripted", "/split-status", "S200 H5 C5", "hello"},
                    ReplyCase{"scripted", "/no-length", "S200 H0", ""},
                    ReplyCase{"scripted", "/short", "S200 H5 C3 F5", "hel"},
                    ReplyCase{"scripted", "/not-found", "S404 H12 C12", "no such page"},
                    ReplyCase{"scripted", "/zero", "F3", ""},
                    ReplyCase{"scripted", "/foo", "F3", ""},
                    ReplyCase{"scripted", "/negative-length", "S200 F4", ""},
                    ReplyCase{"scripted", "/huge-length", "S200 F4", ""},
                    ReplyCase{"scripted", "/endless-header", "S200 F4", ""},
                    ReplyCase{"scripted", "/endless-status", "F4", ""},
                    ReplyCase{"scripted", "/v.xml", "S200 H5 C5", "exact"},
                    ReplyCase{"nginx", "/small.txt", "S200 H11 C11", "small file\n"}),
    [](const testing::TestParamInfo<ReplyCase>& info) {
      std::string name = info.param.path + 1;
      for (char& c : name)
        if (!isalnum(static_cast<unsigned char>(c)))
          c = '_';
      return name;
    });

TEST(HttpAgent, NginxNotFoundCarriesItsBody) {
  QEL_NEED_SERVER(port, "nginx");
  Client client;
  ASSERT_TRUE(client.GetAndWait(port, "/missing"));
  EXPECT_EQ(client.watcher->trace.substr(0, 6), "S404 H");
  EXPECT_NE(client.watcher->body.find("404"), std::string::npos);
}

TEST(HttpAgent, LargeFileArrivesWhole) {
  QEL_NEED_SERVER(port, "nginx");
  Client client;
  ASSERT_TRUE(client.GetAndWait(port, "/big.bin"));
  const std::string& body = client.watcher->body;
  ASSERT_EQ(body.size(), 4u * 1024 * 1024);
  EXPECT_EQ(client.watcher->Trace(), "S200 H4194304 C4194304");
  EXPECT_TRUE(client.watcher->positions_ok);
  size_t wrong = 0;
  for (size_t i = 0; i < body.size(); ++i)
    wrong += static_cast<unsigned char>(body[i]) != i % 251;
  EXPECT_EQ(wrong, 0u);
}

// A real socket whose owner stalls once, right after the request goes out, with room for
// the whole reply: the body and the peer's close then wait unread together.
class StallingSocket : public ZulMyCAsyncSocketEx {
 public:
  bool Create(unsigned port, int type, long mask, const char16_t* address, int family) override {
    return ZulMyCAsyncSocketEx::Create(port, type, mask, address, family) &&
           qel_net::sock_set_receive_buffer(GetSocketHandle(), 4 << 20);
  }
  int Send(const void* buf, int len, int flags) override {
    int n = CAsyncSocketEx::Send(buf, len, flags);
    if (!stalled_) {
      stalled_ = true;
      std::this_thread::sleep_for(std::chrono::milliseconds(200));
    }
    return n;
  }

 private:
  bool stalled_ = false;
};

// The peer's close can arrive while much of a large body is still unread: every byte must
// still arrive, download after download.
TEST(HttpAgent, LargeDownloadsInALoopArriveWhole) {
  QEL_NEED_SERVER(nginx, "nginx");
  QEL_NEED_SERVER(scripted, "scripted");
  struct Source {
    int port;
    const char* path;
    size_t size;
    bool stall;
  } sources[] = {{nginx, "/big.bin", 4u << 20, false},
                 {nginx, "/big.bin", 4u << 20, true},
                 {scripted, "/big-close", 2u << 20, true}};
  for (int round = 0; round < 4; ++round) {
    for (const Source& source : sources) {
      Client client([&] {
        return source.stall ? ZulAsyncSocket(shared_ptr<ZulMyCAsyncSocketEx>(new StallingSocket))
                            : ZulAsyncSocket();
      });
      std::string where = std::string(source.path) + (source.stall ? " stalled" : "") + " round " +
                          std::to_string(round);
      ASSERT_TRUE(client.GetAndWait(source.port, source.path)) << where;
      const std::string& body = client.watcher->body;
      std::string size = std::to_string(source.size);
      ASSERT_EQ(client.watcher->Trace(), "S200 H" + size + " C" + size) << where;
      size_t wrong = 0;
      for (size_t i = 0; i < body.size(); ++i)
        wrong += static_cast<unsigned char>(body[i]) != i % 251;
      ASSERT_EQ(wrong, 0u) << where;
    }
  }
}

TEST(HttpAgent, PostSendsItsDataAsTheRestOfTheRequest) {
  QEL_NEED_SERVER(port, "scripted");
  Client client;
  std::string tail = "Content-Type: text/plain\r\nContent-Length: 3\r\n\r\nabc";
  ZulData post(0, 256);
  post.Append(tail.data(), static_cast<uint32_t>(tail.size()));
  ASSERT_TRUE(client.agent->Start(ZulHttpAgent::kPost, u"127.0.0.1", port, u"/post", post));
  ASSERT_TRUE(RunUntil([&] { return !client.agent->IsBusy(); }));
  std::string head = "POST /post HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\n" +
                     tail.substr(0, tail.size() - 3);
  EXPECT_EQ(client.watcher->body.substr(0, head.size()), head);
}

TEST(HttpAgent, ConnectFailuresAreCode2) {
  Client refused;
  // Port 1 on loopback: nothing listens there.
  ASSERT_TRUE(refused.Get(u"127.0.0.1", 1, u"/"));
  ASSERT_TRUE(RunUntil([&] { return !refused.agent->IsBusy(); }));
  EXPECT_EQ(refused.watcher->trace, "F2");
  Client unknown;
  ASSERT_TRUE(unknown.Get(u"no-such-host.invalid", 80, u"/"));
  ASSERT_TRUE(RunUntil([&] { return !unknown.agent->IsBusy(); }, 30000));
  EXPECT_EQ(unknown.watcher->trace, "F2");
}

TEST(HttpAgent, StartWhileBusyOrWithoutHostIsRefusedSilently) {
  AssertCapture capture;
  Client client([] { return ZulAsyncSocket(shared_ptr<ZulMyCAsyncSocketEx>(new ScriptedSocket)); });
  EXPECT_FALSE(client.Get(u"", 80, u"/"));
  ASSERT_TRUE(client.Get(u"updates", 80, u"/v.xml"));
  EXPECT_FALSE(client.Get(u"updates", 80, u"/v.xml"));
  EXPECT_EQ(capture.count(), 2u);
  EXPECT_TRUE(capture.Has("ZulHttpAgent::Start", "!IsBusy() && _host.GetLength()"));
  EXPECT_EQ(client.watcher->trace, "");
  EXPECT_TRUE(client.agent->IsBusy());
}

TEST(HttpAgent, ObserverMayDropTheAgentOrStopIt) {
  QEL_NEED_SERVER(port, "scripted");
  // The agent lives on to the end of the notification it is handling.
  Client dropper;
  weak_ptr<ZulHttpAgent> agent = dropper.agent;
  dropper.watcher->hook = [&](const ZulHttpAgentEvt* e) {
    if (e->mType == ZulHttpAgentEvt::kHeader)
      dropper.agent.reset();
  };
  ASSERT_TRUE(dropper.Get(u"127.0.0.1", port, u"/hello"));
  ASSERT_TRUE(RunUntil([&] { return !agent.valid(); }));
  RunFor(100);
  EXPECT_EQ(dropper.watcher->Trace(), "S200 H5 C5");

  Client stopper;
  stopper.watcher->hook = [&](const ZulHttpAgentEvt* e) {
    if (e->mType == ZulHttpAgentEvt::kStatus)
      stopper.agent->Stop();
  };
  ASSERT_TRUE(stopper.GetAndWait(port, "/hello"));
  RunFor(100);
  EXPECT_EQ(stopper.watcher->trace, "S200");
}

// The same agent over a scripted socket: exact bytes, no network.
struct LastSocket {
  shared_ptr<ScriptedSocket> last;
};
struct ScriptedClient : LastSocket, Client {
  ScriptedClient()
      : Client([this] {
          last = shared_ptr<ScriptedSocket>(new ScriptedSocket);
          return ZulAsyncSocket(shared_ptr<ZulMyCAsyncSocketEx>(last));
        }) {}
};

TEST(HttpAgent, GetRequestBytesAreExact) {
  ScriptedClient client;
  ASSERT_TRUE(client.Get(u"updates", 80, u"/v.xml"));
  shared_ptr<ScriptedSocket> socket = client.last;
  EXPECT_EQ(socket->host, "updates");
  EXPECT_EQ(socket->port, 80);
  socket->FireConnect();
  EXPECT_EQ(socket->sent, "");  // sending waits for the send notification
  socket->FireSend();
  EXPECT_EQ(socket->sent,
            "GET /v.xml HTTP/1.1\r\nHost: updates:80\r\nUser-Agent: IE6.0\r\n"
            "Connection: close\r\nCache-Control: no-cache\r\n\r\n");
  socket->Deliver("HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhelloEXTRA");
  EXPECT_EQ(client.watcher->Trace(), "S200 H5 C5");
  EXPECT_EQ(client.watcher->body, "hello");
  EXPECT_FALSE(client.agent->IsBusy());
  EXPECT_TRUE(socket->closed);
}

// Content-Length is a signed 32-bit count: its largest value is a body still to come, one
// more is a header the agent cannot hold and must refuse rather than wrap.
TEST(HttpAgent, ContentLengthAtTheSigned32BitBoundary) {
  ScriptedClient largest;
  ASSERT_TRUE(largest.Get(u"updates", 80, u"/big"));
  largest.last->FireConnect();
  largest.last->Deliver("HTTP/1.1 200 OK\r\nContent-Length: 2147483647\r\n\r\nabc");
  EXPECT_EQ(largest.watcher->Trace(), "S200 H2147483647 C3");
  EXPECT_TRUE(largest.agent->IsBusy());
  largest.last->PeerClose();
  EXPECT_EQ(largest.watcher->Trace(), "S200 H2147483647 C3 F5");

  for (const char* value : {"2147483648", "4294967296", "4294967301", "-2147483649"}) {
    SCOPED_TRACE(value);
    ScriptedClient over;
    ASSERT_TRUE(over.Get(u"updates", 80, u"/big"));
    over.last->FireConnect();
    over.last->Deliver(std::string("HTTP/1.1 200 OK\r\nContent-Length: ") + value + "\r\n\r\nabc");
    EXPECT_EQ(over.watcher->Trace(), "S200 F4");
    EXPECT_FALSE(over.agent->IsBusy());
  }
}

// A peer that takes the request a few bytes per send notification still gets all of it, in
// order: what did not go out waits for the next notification.
TEST(HttpAgent, RequestSentInPiecesArrivesWhole) {
  ScriptedClient client;
  std::string tail = "Content-Length: 3\r\n\r\nabc";
  ZulData post(0, 256);
  post.Append(tail.data(), static_cast<uint32_t>(tail.size()));
  ASSERT_TRUE(client.agent->Start(ZulHttpAgent::kPost, u"updates", 80, u"/p", post));
  shared_ptr<ScriptedSocket> socket = client.last;
  socket->FireConnect();
  const std::string request = "POST /p HTTP/1.1\r\nHost: updates:80\r\n" + tail;
  for (int i = 0; i < 100 && socket->sent.size() < request.size(); ++i) {
    socket->send_room = 7;
    socket->FireSend();
  }
  EXPECT_EQ(socket->sent, request);
  EXPECT_TRUE(client.agent->IsBusy());
  EXPECT_EQ(client.watcher->trace, "");
}

// A status line followed at once by the empty line is a reply without header fields.
TEST(HttpAgent, EmptyHeaderBlockEndsTheReply) {
  ScriptedClient client;
  ASSERT_TRUE(client.Get(u"updates", 80, u"/"));
  client.last->FireConnect();
  client.last->Deliver("HTTP/1.1 204 No Content\r\n\r\n");
  EXPECT_EQ(client.watcher->Trace(), "S204 H0");
  EXPECT_EQ(client.watcher->header, "\r\n");
  EXPECT_FALSE(client.agent->IsBusy());
}

TEST(HttpAgent, UnknownMethodAndSocketErrorsFail) {
  ScriptedClient method;
  ASSERT_TRUE(method.agent->Start(7, u"updates", 80, u"/", ZulData(0, 256)));
  method.last->FireConnect();
  EXPECT_EQ(method.watcher->trace, "F6");

  ScriptedClient broken;
  ASSERT_TRUE(broken.Get(u"updates", 80, u"/"));
  shared_ptr<ScriptedSocket> socket = broken.last;
  socket->FireConnect();
  socket->FireSend(10054);
  EXPECT_EQ(broken.watcher->trace, "F1");
  EXPECT_FALSE(broken.agent->IsBusy());
}

// Content events hand over the received bytes themselves; a chunk an observer keeps stays
// as it was while later chunks arrive.
TEST(HttpAgent, KeptContentChunksStayIntact) {
  ScriptedClient client;
  std::vector<ZulData> kept;
  client.watcher->hook = [&](const ZulHttpAgentEvt* e) {
    if (e->mType == ZulHttpAgentEvt::kContent)
      kept.push_back(e->mContent);
  };
  ASSERT_TRUE(client.Get(u"updates", 80, u"/"));
  client.last->FireConnect();
  client.last->FireSend();
  client.last->Deliver("HTTP/1.1 200 OK\r\nContent-Length: 14\r\n\r\nhello");
  client.last->Deliver("world");
  client.last->Deliver("1234EXTRA");
  ASSERT_EQ(3u, kept.size());
  std::string chunks;
  for (const ZulData& d : kept)
    chunks += std::string(reinterpret_cast<const char*>(d.GetData()), d.GetLength()) + "|";
  EXPECT_EQ(chunks, "hello|world|1234|");
  EXPECT_FALSE(client.agent->IsBusy());
}

}  // namespace
