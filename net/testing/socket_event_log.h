// What a test's socket owner heard: each notification as a letter ('C' connect, 'c' close,
// 'a' accept) with its error code, in order.
#pragma once

#include <algorithm>
#include <utility>
#include <vector>

namespace net_testing {

struct SocketEventLog {
  std::vector<std::pair<char, int>> events;

  bool Saw(char kind) const {
    return std::any_of(events.begin(), events.end(), [&](auto& e) { return e.first == kind; });
  }
  // The error of the first such notification, -1 when there was none.
  int ErrorOf(char kind) const {
    for (auto& e : events)
      if (e.first == kind)
        return e.second;
    return -1;
  }
};

}  // namespace net_testing
