// Feeds the HTTP agent's reply parser arbitrary bytes split into arbitrary receives, over a
// scripted socket. The first 8 bytes seed the split sizes; the rest is the reply. Any
// assertion report, an event after the agent went idle, content positions that do not add
// up or more content than announced is a crash.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "fuzz/split_delivery.h"
#include "net/qel_http_agent.h"
#include "net/testing/scripted_socket.h"
#include "qel_lib/qel_assert.h"

namespace {

void crash_on_report(const char*) {
  std::abort();
}

class Checker : public ZulIObject {
 public:
  void OnEvent(const ZulHttpAgentEvt* e) {
    if (done || !agent->IsBusy())
      std::abort();
    if (e->mType == ZulHttpAgentEvt::kFailed)
      done = true;
    if (e->mType == ZulHttpAgentEvt::kHeader)
      announced = e->mContentLen;
    if (e->mType == ZulHttpAgentEvt::kContent) {
      if (e->mContentPos != received || e->mContentLen != announced)
        std::abort();
      received += static_cast<int64_t>(e->mContent.GetLength());
      if (received > announced)
        std::abort();
    }
  }
  ZulHttpAgent* agent = nullptr;
  ObserverAdapter<Checker, ZulHttpAgentSubject> adapter;
  bool done = false;
  int64_t announced = 0;
  int64_t received = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qel_set_assert_sink(crash_on_report);
  if (size < 8)
    return 0;
  uint64_t seed = split_seed(data);
  std::string reply(reinterpret_cast<const char*>(data) + 8, size - 8);

  shared_ptr<ScriptedSocket> socket;
  shared_ptr<ZulHttpAgent> agent(new ZulHttpAgent([&socket] {
    socket = shared_ptr<ScriptedSocket>(new ScriptedSocket);
    return ZulAsyncSocket(shared_ptr<ZulMyCAsyncSocketEx>(socket));
  }));
  shared_ptr<Checker> checker(new Checker);
  checker->agent = agent.get();
  checker->adapter.Bind(checker, &Checker::OnEvent);
  agent->Attach(&checker->adapter, 0);
  if (!agent->Start(ZulHttpAgent::kGet, u"fuzz", 80, u"/", ZulData(0, 256)))
    std::abort();
  shared_ptr<ScriptedSocket> live = socket;
  live->FireConnect();
  live->FireSend();
  deliver_split(live.get(), reply, seed, [&] { return agent->IsBusy(); });
  if (agent->IsBusy())
    live->PeerClose();
  if (agent->IsBusy())
    std::abort();  // a closed peer always ends the exchange
  return 0;
}
