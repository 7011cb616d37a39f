#include "bench/bench_util.h"

#include <cstdlib>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

void set_rounds_env(const char* value) {
#ifdef _WIN32
  _putenv_s("QEL_BENCH_ROUNDS", value);
#else
  if (*value)
    setenv("QEL_BENCH_ROUNDS", value, 1);
  else
    unsetenv("QEL_BENCH_ROUNDS");
#endif
}

// Quartiles as numpy's default percentiles give them.
TEST(BenchSpread, MedianAndQuartilesInterpolateBetweenValues) {
  bench::Spread odd = bench::spread({9, 1, 8, 2, 7, 3, 6, 4, 5});
  EXPECT_EQ(odd.count, 9u);
  EXPECT_DOUBLE_EQ(odd.median, 5);
  EXPECT_DOUBLE_EQ(odd.q1, 3);
  EXPECT_DOUBLE_EQ(odd.q3, 7);
  EXPECT_DOUBLE_EQ(odd.iqr(), 4);

  bench::Spread even = bench::spread({4, 3, 2, 1});
  EXPECT_DOUBLE_EQ(even.median, 2.5);
  EXPECT_DOUBLE_EQ(even.q1, 1.75);
  EXPECT_DOUBLE_EQ(even.q3, 3.25);

  bench::Spread ten = bench::spread({10, 20, 30, 40, 50, 60, 70, 80, 90, 1000});
  EXPECT_DOUBLE_EQ(ten.median, 55);
  EXPECT_DOUBLE_EQ(ten.q1, 32.5);
  EXPECT_DOUBLE_EQ(ten.q3, 77.5);
}

TEST(BenchSpread, OutliersAndDegenerateSeries) {
  bench::Spread outlier = bench::spread({1, 1, 1, 1, 100, 1, 1, 1, 1});
  EXPECT_DOUBLE_EQ(outlier.median, 1);
  EXPECT_DOUBLE_EQ(outlier.iqr(), 0);

  bench::Spread one = bench::spread({3.5});
  EXPECT_EQ(one.count, 1u);
  EXPECT_DOUBLE_EQ(one.median, 3.5);
  EXPECT_DOUBLE_EQ(one.q1, 3.5);
  EXPECT_DOUBLE_EQ(one.q3, 3.5);

  bench::Spread none = bench::spread({});
  EXPECT_EQ(none.count, 0u);
  EXPECT_DOUBLE_EQ(none.median, 0);
}

TEST(BenchInterleave, CasesTakeTurnsAndWarmupIsNotCounted) {
  std::string order;
  int a = 0, b = 0;
  std::vector<std::vector<double>> values =
      bench::interleave({[&] {
                           order += 'A';
                           return static_cast<double>(++a);
                         },
                         [&] {
                           order += 'B';
                           return static_cast<double>(100 + ++b);
                         }},
                        3, 2);
  EXPECT_EQ(order, "ABABABABAB");
  ASSERT_EQ(values.size(), 2u);
  EXPECT_EQ(values[0], (std::vector<double>{3, 4, 5}));
  EXPECT_EQ(values[1], (std::vector<double>{103, 104, 105}));
}

TEST(BenchInterleave, FailedCaseEndsTheRunWithNoValues) {
  std::string order;
  int b = 0;
  std::vector<std::vector<double>> values = bench::interleave({[&] {
                                                                 order += 'A';
                                                                 return 1.0;
                                                               },
                                                               [&] {
                                                                 order += 'B';
                                                                 return ++b == 2 ? -1.0 : 2.0;
                                                               }},
                                                              5);
  EXPECT_TRUE(values.empty());
  EXPECT_EQ(order, "ABAB");
}

TEST(BenchInterleave, TimedCaseRunsItsCallOncePerRound) {
  int calls = 0;
  std::vector<std::vector<double>> values = bench::interleave({bench::timed([&] { ++calls; })}, 9);
  EXPECT_EQ(calls, 10);
  ASSERT_EQ(values.size(), 1u);
  ASSERT_EQ(values[0].size(), 9u);
  for (double seconds : values[0])
    EXPECT_GE(seconds, 0);
}

TEST(BenchRounds, EnvironmentChoosesButNeverBelowTheMinimum) {
  set_rounds_env("");
  EXPECT_EQ(bench::rounds_from_env(11), 11);
  EXPECT_EQ(bench::rounds_from_env(3), bench::kMinRounds);
  set_rounds_env("15");
  EXPECT_EQ(bench::rounds_from_env(11), 15);
  set_rounds_env("5");
  EXPECT_EQ(bench::rounds_from_env(11), bench::kMinRounds);
  set_rounds_env("");
}

TEST(BenchFigures, DecimalsKeepAboutFourDigits) {
  EXPECT_EQ(bench::decimals_for(290.0), 1);
  EXPECT_EQ(bench::decimals_for(22438.0), 0);
  EXPECT_EQ(bench::decimals_for(1.5), 3);
  EXPECT_EQ(bench::decimals_for(0.2134), 4);
  EXPECT_EQ(bench::decimals_for(0.002), 6);
  EXPECT_EQ(bench::decimals_for(-290.0), 1);
  EXPECT_EQ(bench::decimals_for(0), 3);
}

}  // namespace
