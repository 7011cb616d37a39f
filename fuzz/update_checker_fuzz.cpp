// Feeds the update checker version documents and whole replies of arbitrary bytes, split
// into arbitrary receives, through the real HTTP agent over a scripted socket. The first
// byte picks the mode (a 200 reply around the document with its true length, with a wrong
// length, or the bytes as the whole reply); the next 8 seed the split sizes. A crash is: a
// report other than the one for a non-200 status, a success without a recommended version,
// a failure with any value, more than one event, a value that is not a trimmed piece of the
// document, or a check still running once the peer has closed a reply that had content.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz/split_delivery.h"
#include "net/qel_update_checker.h"
#include "net/testing/scripted_socket.h"
#include "platform/text.h"
#include "qel_lib/qel_assert.h"

namespace {

void crash_unless_status_report(const char* text) {
  if (!std::strstr(text, "function ZulUpdateChecker::OnHttpAgentEvt:\n assertion `false'"))
    std::abort();
}

bool is_blank(char16_t c) {
  return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n' || c == u'\v' || c == u'\f';
}

void check_value(const std::u16string& doc, const std::u16string& value) {
  if (value.empty())
    return;
  if (doc.find(value) == std::u16string::npos || is_blank(value.front()) || is_blank(value.back()))
    std::abort();
}

class Listener : public ZulIObject {
 public:
  void OnUpdateEvt(const ZulUpdateEvt* e) {
    ++count;
    const std::u16string* v[6] = {&e->mRecommendedVersion,    &e->mRecommendedVersionHost,
                                  &e->mRecommendedVersionUrl, &e->mMinVersion,
                                  &e->mMinVersionHost,        &e->mMinVersionUrl};
    for (const std::u16string* s : v) {
      if (!e->mSucceeded && !s->empty())
        std::abort();
      check_value(document, *s);
    }
    if (e->mSucceeded && e->mRecommendedVersion.empty())
      std::abort();
  }
  ObserverAdapter<Listener, ZulUpdateSubject> adapter;
  std::u16string document;
  int count = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  qel_set_assert_sink(crash_unless_status_report);
  if (size < 9)
    return 0;
  uint8_t mode = data[0] % 3;
  uint64_t seed = split_seed(data + 1);
  std::string body(reinterpret_cast<const char*>(data) + 9, size - 9);
  std::string reply;
  if (mode == 0)
    reply = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
  else if (mode == 1)
    reply = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(seed % 300) + "\r\n\r\n" + body;
  else
    reply = body;

  shared_ptr<ScriptedSocket> socket;
  shared_ptr<ZulUpdateChecker> checker(new ZulUpdateChecker);
  checker->SetAgentFactory([&socket] {
    return shared_ptr<ZulHttpAgent>(new ZulHttpAgent([&socket] {
      socket = shared_ptr<ScriptedSocket>(new ScriptedSocket);
      return ZulAsyncSocket(shared_ptr<ZulMyCAsyncSocketEx>(socket));
    }));
  });
  shared_ptr<Listener> listener(new Listener);
  listener->document = platform::from_ansi(body);
  listener->adapter.Bind(listener, &Listener::OnUpdateEvt);
  checker->Attach(&listener->adapter);
  // No automatic check: the period is not what is fuzzed here.
  if (!checker->Create(u"fuzz", u"/v.xml", u"/f.xml", std::chrono::milliseconds(0), true) ||
      !socket.valid())
    std::abort();
  shared_ptr<ScriptedSocket> live = socket;
  live->FireConnect();
  live->FireSend();
  bool had_content = false;
  deliver_split(live.get(), reply, seed, [&] { return checker->IsChecking(); });
  had_content = reply.find("\r\n\r\n") != std::string::npos;
  if (checker->IsChecking())
    live->PeerClose();
  if (listener->count > 1)
    std::abort();
  // Only a reply whose header announced no content may leave the check running.
  if (checker->IsChecking() && mode == 0 && !body.empty() && had_content)
    std::abort();
  checker->Finalize();
  return 0;
}
