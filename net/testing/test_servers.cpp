#include "net/testing/test_servers.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/event_loop.h"

namespace net_testing {

bool FixtureExpected() {
  return std::getenv("QEL_NET_SERVERS") != nullptr;
}

int ServerPort(const std::string& name) {
  const char* file = std::getenv("QEL_NET_SERVERS");
  if (!file)
    return 0;
  std::string path = file;
#ifdef _WIN32
  if (!path.empty() && path[0] == '/')
    path = "Z:" + path;  // the Linux root under Wine
#endif
  FILE* f = std::fopen(path.c_str(), "r");
  if (!f)
    return 0;
  char key[64];
  int port = 0, found = 0;
  while (std::fscanf(f, "%63s %d", key, &port) == 2) {
    if (name == key) {
      found = port;
      break;
    }
  }
  std::fclose(f);
  return found;
}

bool RunUntil(const std::function<bool()>& done, unsigned timeout_ms) {
  return platform::run_loop_until(done, timeout_ms);
}

void RunFor(unsigned ms) {
  platform::run_loop_until([] { return false; }, ms);
}

}  // namespace net_testing
