// Downloads a file from an openssl s_server (-WWW) through the secure layer ROUNDS times
// and prints each download's "layer_seconds X" and "layer_bytes N". bench/ssl_transfer.sh
// calls it once per round, in turn with openssl s_client on the same server and file, and
// prints the figures.
//   ssl_transfer_bench PORT PATH ROUNDS
#include <cstdio>
#include <cstdlib>
#include <string>

#include "bench/bench_util.h"
#include "net/async_ssl_socket_layer.h"
#include "platform/event_loop.h"

namespace {

// Takes whatever certificate the local test server shows: only the speed is measured here.
class Downloader : public CAsyncSocketEx {
 public:
  CAsyncSslSocketLayer* layer = nullptr;
  std::string request;
  size_t bytes = 0;
  bool done = false;
  bool failed = false;

 protected:
  void OnConnect(int error) override { failed = failed || error; }
  void OnSend(int) override {
    if (!request.empty() && Send(request.data(), static_cast<int>(request.size())) > 0)
      request.clear();
  }
  void OnReceive(int) override {
    static char buf[65536];
    for (int n; (n = Receive(buf, sizeof buf)) > 0;)
      bytes += n;
  }
  void OnClose(int error) override {
    OnReceive(0);
    failed = failed || error;
    done = true;
  }
  void OnLayerCallback(std::list<t_callbackMsg>& list) override {
    for (const t_callbackMsg& m : list) {
      if (m.nParam1 != CAsyncSslSocketLayer::kSslVerifyCert)
        continue;
      t_SslCertData data;
      if (layer->GetPeerCertificateData(data))
        layer->SetNotifyReply(data.priv_data, CAsyncSslSocketLayer::kSslVerifyCert, 1);
    }
    CAsyncSocketEx::OnLayerCallback(list);
  }
};

size_t DownloadOnce(int port, const std::string& path) {
  CAsyncSslSocketLayer layer;
  Downloader d;
  d.layer = &layer;
  d.AddLayer(&layer);
  d.request = "GET " + path + " HTTP/1.0\r\n\r\n";
  if (!d.Create() || layer.InitSSLConnection(true) != 0)
    return 0;
  d.Connect(u"127.0.0.1", port);
  platform::run_loop_until([&] { return d.done; }, 120000);
  return d.done && !d.failed ? d.bytes : 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 4) {
    std::fprintf(stderr, "usage: ssl_transfer_bench PORT PATH ROUNDS\n");
    return 2;
  }
  int port = std::atoi(argv[1]);
  std::string path = argv[2];
  int rounds = std::atoi(argv[3]);
  for (int i = 0; i < rounds; ++i) {
    size_t bytes = 0;
    double seconds = bench::timed([&] { bytes = DownloadOnce(port, path); })();
    if (!bytes) {
      std::printf("layer download failed\n");
      return 1;
    }
    std::printf("layer_bytes %zu\nlayer_seconds %.4f\n", bytes, seconds);
    std::fflush(stdout);
  }
  return 0;
}
