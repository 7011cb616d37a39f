// Downloads one file through the HTTP agent from a loopback server ROUNDS times (1 by
// default) and prints each download's time. bench/http_download.sh starts the server and
// calls it once per round, in turn with curl on the same file, and prints the figures; run
// alone: http_download_bench PORT PATH [ROUNDS].
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_util.h"
#include "net/qel_http_agent.h"
#include "platform/event_loop.h"

namespace {

class Sink : public ZulIObject {
 public:
  void OnEvent(const ZulHttpAgentEvt* e) {
    if (e->mType == ZulHttpAgentEvt::kContent)
      bytes += e->mContent.GetLength();
    if (e->mType == ZulHttpAgentEvt::kFailed)
      failed = e->mErrorCode;
  }
  ObserverAdapter<Sink, ZulHttpAgentSubject> adapter;
  uint64_t bytes = 0;
  int failed = 0;
};

uint64_t download(int port, const std::string& path) {
  shared_ptr<ZulHttpAgent> agent(new ZulHttpAgent);
  shared_ptr<Sink> sink(new Sink);
  sink->adapter.Bind(sink, &Sink::OnEvent);
  agent->Attach(&sink->adapter, 0);
  std::u16string wide(path.begin(), path.end());
  if (!agent->Start(ZulHttpAgent::kGet, u"127.0.0.1", port, wide, ZulData(0, 256)))
    return 0;
  platform::run_loop_until([&] { return !agent->IsBusy(); }, 600000);
  if (sink->failed)
    std::fprintf(stderr, "agent failed with code %d after %llu bytes\n", sink->failed,
                 static_cast<unsigned long long>(sink->bytes));
  return sink->failed ? 0 : sink->bytes;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: http_download_bench PORT PATH [ROUNDS]\n");
    return 2;
  }
  int port = std::atoi(argv[1]);
  std::string path = argv[2];
  int rounds = argc > 3 ? std::atoi(argv[3]) : 1;
  for (int i = 0; i < rounds; ++i) {
    uint64_t bytes = 0;
    double seconds = bench::timed([&] { bytes = download(port, path); })();
    if (!bytes) {
      std::printf("agent download failed\n");
      return 1;
    }
    std::printf("agent_bytes %llu\nagent_seconds %.6f\n", static_cast<unsigned long long>(bytes),
                seconds);
    std::fflush(stdout);
  }
  return 0;
}
