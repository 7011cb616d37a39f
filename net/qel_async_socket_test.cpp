#include "net/qel_async_socket.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "net/testing/test_servers.h"
#include "qel_lib/qel_assert_capture.h"

using namespace qel_net;
using net_testing::RunFor;
using net_testing::RunUntil;

namespace {

class Owner : public ZulIObject {
 public:
  void OnSocket(const ZulAsyncSocketEvent* e) {
    types.push_back(e->mType);
    errors.push_back(e->mErrorCode);
    if (e->mType == ZulAsyncSocketEvent::kConnect && drop_on_connect) {
      socket.reset();
      // Still alive until this handler returns: touching it must be safe.
      alive_in_handler = held.valid() && held.lock()->GetState() == connected;
      return;
    }
    if (e->mType == ZulAsyncSocketEvent::kConnect) {
      std::string req = "GET /hello HTTP/1.1\r\n\r\n";
      socket->Send(req.data(), static_cast<int>(req.size()));
    }
    if (e->mType == ZulAsyncSocketEvent::kReceive) {
      char buf[256];
      for (int n; (n = socket->Receive(buf, sizeof buf)) > 0;)
        received.append(buf, n);
    }
  }

  std::unique_ptr<ZulAsyncSocket> socket;
  weak_ptr<ZulMyCAsyncSocketEx> held;
  ObserverAdapter<Owner, ZulAsyncSocketSubject> adapter;
  std::vector<int> types, errors;
  std::string received;
  bool drop_on_connect = false;
  bool alive_in_handler = false;
};

shared_ptr<Owner> MakeOwner() {
  shared_ptr<Owner> o(new Owner);
  shared_ptr<ZulMyCAsyncSocketEx> s(new ZulMyCAsyncSocketEx);
  o->held = s;
  o->socket = std::make_unique<ZulAsyncSocket>(s);
  o->adapter.Bind(o, &Owner::OnSocket);
  o->socket->Attach(&o->adapter, 0);
  return o;
}

TEST(ZulAsyncSocket, PublishesEveryNotificationAsAnEvent) {
  QEL_NEED_SERVER(port, "scripted");
  AssertCapture capture;
  auto o = MakeOwner();
  ASSERT_TRUE(o->socket->Create());
  EXPECT_FALSE(o->socket->Connect(u"127.0.0.1", port));
  ASSERT_TRUE(RunUntil([&] { return !o->types.empty() && o->types.back() == 1; }));
  EXPECT_EQ(o->types.front(), ZulAsyncSocketEvent::kConnect);
  EXPECT_EQ(o->types[1], ZulAsyncSocketEvent::kSend);
  EXPECT_EQ(o->received, "HTTP/1.1 200 OK\r\nContent-Length: 5\r\n\r\nhello");
  for (int e : o->errors)
    EXPECT_EQ(e, 0);
  EXPECT_EQ(capture.count(), 0u);
}

TEST(ZulAsyncSocket, HandlerMayDropTheLastHandle) {
  QEL_NEED_SERVER(port, "scripted");
  auto o = MakeOwner();
  o->drop_on_connect = true;
  ASSERT_TRUE(o->socket->Create());
  o->socket->Connect(u"127.0.0.1", port);
  // A write remembered during the connect must not be replayed into a deleted socket.
  ASSERT_TRUE(o->held.lock()->TriggerEvent(kFdWrite));
  ASSERT_TRUE(RunUntil([&] { return !o->held.valid(); }));
  RunFor(100);
  EXPECT_TRUE(o->alive_in_handler);
  EXPECT_EQ(o->types, (std::vector<int>{ZulAsyncSocketEvent::kConnect}));
}

TEST(ZulAsyncSocket, CopiesAndUnknownLayersAreReported) {
  AssertCapture capture;
  ZulMyCAsyncSocketEx a;
  ZulMyCAsyncSocketEx b(a);
  b = a;
  EXPECT_TRUE(capture.Has("ZulMyCAsyncSocketEx::ZulMyCAsyncSocketEx", "false"));
  EXPECT_TRUE(capture.Has("ZulMyCAsyncSocketEx::operator =", "false"));
  ZulAsyncSocket s;
  shared_ptr<ZulAsyncSocketLayerCfg> cfg(new ZulAsyncSocketLayerCfg);
  cfg->mType = 9;
  EXPECT_FALSE(s.AddLayer(cfg));
  EXPECT_TRUE(capture.Has("ZulMyCAsyncSocketEx::AddLayer", "false"));
  cfg->mType = 3;  // a proxy without host
  EXPECT_FALSE(s.AddLayer(cfg));
  EXPECT_FALSE(s.IsLayerAttached());
}

}  // namespace
