// A tiny benchmark harness that builds natively and with mingw alike. Compared cases run in
// turn, round after round (A, B, A, B, ...), so that a change in the load of a shared
// machine hits them alike; each case is reported by its median and interquartile range, and
// the closing "NAME ratio=X" line is a ratio of medians.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <vector>

namespace bench {

// Fewer rounds leave the quartiles to one or two values each.
constexpr int kMinRounds = 9;

// Rounds per case: QEL_BENCH_ROUNDS when set, never fewer than kMinRounds.
inline int rounds_from_env(int fallback) {
  const char* text = std::getenv("QEL_BENCH_ROUNDS");
  int rounds = text && *text ? std::atoi(text) : fallback;
  return std::max(rounds, kMinRounds);
}

// The median and quartiles of a series, interpolated between neighbouring values as most
// statistics tools do, so that even series have a middle too.
struct Spread {
  double median = 0, q1 = 0, q3 = 0;
  size_t count = 0;
  double iqr() const { return q3 - q1; }
};

inline Spread spread(std::vector<double> values) {
  Spread s;
  s.count = values.size();
  if (values.empty())
    return s;
  std::sort(values.begin(), values.end());
  auto quantile = [&](double p) {
    double at = p * static_cast<double>(values.size() - 1);
    size_t below = static_cast<size_t>(at);
    size_t above = std::min(below + 1, values.size() - 1);
    return values[below] + (values[above] - values[below]) * (at - static_cast<double>(below));
  };
  s.median = quantile(0.5);
  s.q1 = quantile(0.25);
  s.q3 = quantile(0.75);
  return s;
}

// One case of a comparison: what it measured this round (seconds, bytes, ...), or a
// negative number when it failed.
using Case = std::function<double()>;

// Wall seconds of a whole call of `fn`.
template <class Fn>
Case timed(Fn fn) {
  return [fn]() mutable {
    std::chrono::steady_clock::time_point start = std::chrono::steady_clock::now();
    fn();
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  };
}

// Runs the cases in turn for `warmup` uncounted rounds, then `rounds` counted ones. Returns
// each case's values in round order; empty when a case failed, which ends the run at once.
inline std::vector<std::vector<double>> interleave(const std::vector<Case>& cases,
                                                   int rounds,
                                                   int warmup = 1) {
  std::vector<std::vector<double>> values(cases.size());
  for (int round = 0; round < warmup + rounds; ++round) {
    for (size_t i = 0; i < cases.size(); ++i) {
      double v = cases[i]();
      if (v < 0)
        return {};
      if (round >= warmup)
        values[i].push_back(v);
    }
  }
  return values;
}

// Decimals that show about four significant digits of `value` without an exponent.
inline int decimals_for(double value) {
  int digits = 1;
  for (double v = value < 0 ? -value : value; v >= 10 && digits < 12; v /= 10)
    ++digits;
  if (value != 0 && (value < 0 ? -value : value) < 1) {
    for (double v = value < 0 ? -value : value; v < 1 && digits > -6; v *= 10)
      --digits;
  }
  return std::clamp(4 - digits, 0, 8);
}

// "label: median X unit, IQR Y unit (Q1 .. Q3 over N rounds)", values multiplied by scale.
inline void print_spread(const char* label, const Spread& s, const char* unit, double scale = 1) {
  int d = decimals_for(s.median * scale);
  std::printf("%s: median %.*f %s, IQR %.*f %s (%.*f .. %.*f over %zu rounds)\n", label, d,
              s.median * scale, unit, d, s.iqr() * scale, unit, d, s.q1 * scale, d, s.q3 * scale,
              s.count);
  std::fflush(stdout);
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
