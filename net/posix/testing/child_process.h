// Helper processes for the tests of the secure layer (openssl s_server, real proxies):
// started on 127.0.0.1 and stopped when the object goes.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

namespace net_testing {

class ChildProcess {
 public:
  ChildProcess() = default;
  ~ChildProcess() { Stop(); }
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Runs argv[0] from the search path with output to log (or nowhere).
  bool Start(const std::vector<std::string>& argv, const std::string& log = "/dev/null");
  void Stop();
  bool Running() const { return pid_ > 0; }

 private:
  pid_t pid_ = -1;
};

// A port nothing listens on right now.
int FreeTcpPort();
// Whether 127.0.0.1:port accepts within ms.
bool WaitConnectable(int port, int ms = 10000);
// Runs a shell command to its end; true when it exits with 0.
bool RunCommand(const std::string& command);

}  // namespace net_testing
