// Ports of the loopback servers that the ctest fixture started (see net/CMakeLists.txt).
#pragma once

#include <functional>
#include <string>

namespace net_testing {

// The port of "scripted" or "nginx"; 0 when the tests run without the fixture.
int ServerPort(const std::string& name);
// Fails the current test when the fixture should be there but is not; skips without it.
#define QEL_NEED_SERVER(var, name)                                                  \
  int var = ::net_testing::ServerPort(name);                                        \
  if (!var) {                                                                       \
    if (::net_testing::FixtureExpected())                                           \
      FAIL() << "no " << name << " server";                                         \
    GTEST_SKIP() << "run through ctest or net/testdata/servers.py for the servers"; \
  }
bool FixtureExpected();

// Runs the thread's event loop until done() or timeout_ms.
bool RunUntil(const std::function<bool()>& done, unsigned timeout_ms = 10000);
void RunFor(unsigned ms);

}  // namespace net_testing
