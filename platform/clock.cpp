#include "platform/clock.h"

namespace platform {
namespace {
Clock* g_clock = nullptr;
}  // namespace

int64_t current_time() {
  return g_clock ? g_clock->now() : system_time();
}

uint64_t monotonic_ms() {
  return g_clock ? g_clock->monotonic_ms() : system_monotonic_ms();
}

bool local_time(int64_t time, LocalTime* out) {
  return g_clock ? g_clock->local_time(time, out) : system_local_time(time, out);
}

uint64_t Clock::monotonic_ms() {
  return system_monotonic_ms();
}

Clock* set_clock(Clock* clock) {
  Clock* previous = g_clock;
  g_clock = clock;
  return previous;
}

}  // namespace platform
