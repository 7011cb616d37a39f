// The soak's schedule and its judgement of the two samples: a figure that may not grow
// fails on any growth, missing or unreadable figures are said so, and the ratio is the
// private bytes' own.
#include "tools/soak/soak_plan.h"

#include <gtest/gtest.h>

namespace {

TEST(SoakPlanTest, EventsFallOnTheirCycles) {
  int discards = 0, kills = 0, restarts = 0, folders = 0, deletes = 0;
  for (int n = 1; n <= 1000; ++n) {
    SoakCycle c = soak_cycle(n);
    discards += c.discard;
    kills += c.kill_engine;
    restarts += c.restart_messenger;
    folders += c.change_folder;
    deletes += c.delete_row;
  }
  EXPECT_EQ(100, discards);
  EXPECT_EQ(20, kills);
  EXPECT_EQ(10, restarts);
  EXPECT_EQ(5, folders);
  EXPECT_EQ(4, deletes);
  EXPECT_TRUE(soak_cycle(100).kill_engine && soak_cycle(100).restart_messenger);
  EXPECT_FALSE(soak_cycle(0).discard);
}

// Each kind has had its first use before the warm-up's sample; after it, the schedule is the
// regular one.
TEST(SoakPlanTest, TheWarmUpHasOneEventOfEachKind) {
  for (int warmup : {50, 7}) {
    int kills = 0, restarts = 0, folders = 0, deletes = 0, discards = 0;
    for (int n = 1; n < warmup; ++n) {
      SoakCycle c = soak_cycle(n, warmup);
      kills += c.kill_engine;
      restarts += c.restart_messenger;
      folders += c.change_folder;
      deletes += c.delete_row;
      discards += c.discard;
    }
    EXPECT_EQ(1, kills) << warmup;
    EXPECT_EQ(1, restarts) << warmup;
    EXPECT_EQ(1, folders) << warmup;
    EXPECT_EQ(1, deletes) << warmup;
    EXPECT_GE(discards, 1) << warmup;
  }
  for (int n = 50; n <= 1000; ++n) {
    SoakCycle a = soak_cycle(n, 50), b = soak_cycle(n);
    ASSERT_EQ(a.kill_engine, b.kill_engine) << n;
    ASSERT_EQ(a.restart_messenger, b.restart_messenger) << n;
    ASSERT_EQ(a.change_folder, b.change_folder) << n;
    ASSERT_EQ(a.delete_row, b.delete_row) << n;
    ASSERT_EQ(a.discard, b.discard) << n;
  }
  SoakCycle none = soak_cycle(3, 4);
  EXPECT_FALSE(none.kill_engine || none.restart_messenger || none.change_folder);
}

TEST(SoakPlanTest, GrowthOfGuardedFiguresFailsAndTheRatioIsPrivateBytes) {
  SoakSample warm = {{kSoakPrivateBytes, SoakBudget::kInfo, 1000, ""},
                     {"handles", SoakBudget::kNoGrowth, 200, ""},
                     {"connection sinks", SoakBudget::kNoGrowth, 1, ""},
                     {"wrappers of ended messengers", SoakBudget::kZero, 0, ""}};
  SoakSample end = {{kSoakPrivateBytes, SoakBudget::kInfo, 1040, ""},
                    {"handles", SoakBudget::kNoGrowth, 199, ""},
                    {"connection sinks", SoakBudget::kNoGrowth, 1, ""},
                    {"wrappers of ended messengers", SoakBudget::kZero, 0, ""}};
  SoakJudgement ok = soak_judge(warm, end);
  EXPECT_TRUE(ok.failures.empty());
  EXPECT_DOUBLE_EQ(1.04, ok.ratio);
  EXPECT_EQ("private bytes: 1000 -> 1040 (+40, +4.0 %)", ok.lines[0]);
  EXPECT_EQ("handles: 200 -> 199 (-1, -0.5 %) (goal: no growth)", ok.lines[1]);

  end[1].value = 201;
  end[2].value = 2;
  warm[3].value = 1;
  SoakJudgement bad = soak_judge(warm, end);
  ASSERT_EQ(3u, bad.failures.size());
  EXPECT_EQ("handles grew by 1", bad.failures[0]);
  EXPECT_EQ("connection sinks grew by 1", bad.failures[1]);
  EXPECT_EQ("wrappers of ended messengers is 0 at the end, 1 after the warm-up", bad.failures[2]);
}

TEST(SoakPlanTest, UnreadableAndMissingFiguresAreNamed) {
  SoakSample warm = {{"GDI objects", SoakBudget::kNoGrowth, 0, "not reported"},
                     {"handles", SoakBudget::kNoGrowth, 5, ""}};
  SoakSample end = {{"GDI objects", SoakBudget::kNoGrowth, 0, "not reported"},
                    {"windows", SoakBudget::kNoGrowth, 9, ""}};
  SoakJudgement j = soak_judge(warm, end);
  EXPECT_EQ("GDI objects: n/a (not reported)", j.lines[0]);
  EXPECT_EQ("handles: missing at the end", j.lines[1]);
  EXPECT_EQ("windows: 9 at the end, not read after the warm-up", j.lines[2]);
  ASSERT_EQ(1u, j.failures.size());
  EXPECT_EQ(0, j.ratio);
}

}  // namespace
