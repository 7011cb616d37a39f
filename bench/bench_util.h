// A tiny benchmark harness that builds natively and with mingw alike: run a callable a few
// times, keep the median wall time, print figures and the closing "NAME ratio=X" line.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>
#include <utility>
#include <vector>

namespace bench {

// Median wall time in seconds of `repeats` runs of `fn`, after one warm-up run.
template <class Fn>
double median_seconds(Fn&& fn, int repeats = 5) {
  using Clock = std::chrono::steady_clock;
  fn();
  std::vector<double> times;
  for (int i = 0; i < std::max(repeats, 1); ++i) {
    Clock::time_point start = Clock::now();
    fn();
    times.push_back(std::chrono::duration<double>(Clock::now() - start).count());
  }
  std::sort(times.begin(), times.end());
  return times[times.size() / 2];
}

// Medians of several callables timed in turn, round after round, so that load changes on a
// shared machine hit all of them alike. One warm-up round comes first.
inline std::vector<double> median_seconds_interleaved(const std::vector<std::function<void()>>& fns,
                                                      int rounds = 7) {
  using Clock = std::chrono::steady_clock;
  std::vector<std::vector<double>> times(fns.size());
  for (int round = 0; round <= std::max(rounds, 1); ++round) {
    for (size_t i = 0; i < fns.size(); ++i) {
      Clock::time_point start = Clock::now();
      fns[i]();
      if (round > 0)
        times[i].push_back(std::chrono::duration<double>(Clock::now() - start).count());
    }
  }
  std::vector<double> medians;
  for (std::vector<double>& t : times) {
    std::sort(t.begin(), t.end());
    medians.push_back(t[t.size() / 2]);
  }
  return medians;
}

// Measures `fn` and prints "label: X ms (median of N)"; returns the median in seconds.
template <class Fn>
double run(const char* label, Fn&& fn, int repeats = 5) {
  double seconds = median_seconds(std::forward<Fn>(fn), repeats);
  std::printf("%s: %.3f ms (median of %d)\n", label, seconds * 1e3, repeats);
  std::fflush(stdout);
  return seconds;
}

inline void figure(const char* label, double value, const char* unit) {
  std::printf("%s: %.3f %s\n", label, value, unit);
  std::fflush(stdout);
}

// The closing line that scripts/bench and the issues read.
inline void ratio(const char* name, double value) {
  std::printf("%s ratio=%.3f\n", name, value);
  std::fflush(stdout);
}

// Keeps a computed value alive so that the optimiser cannot drop the work producing it.
template <class T>
void keep(const T& value) {
  asm volatile("" : : "g"(&value) : "memory");
}

}  // namespace bench
