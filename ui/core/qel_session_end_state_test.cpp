#include "ui/core/qel_session_end_state.h"

#include <gtest/gtest.h>

namespace {

using Step = qel_session_step;

TEST(QelSessionEndState, OnlyARunningRecordingHoldsUpTheEndOrTheSleep) {
  qel_session_end_state s;
  EXPECT_EQ(Step::kCarryOn, s.on_query_end());
  // Two engines record; then one stray report of files more than there were recordings.
  s.on_record_started();
  s.on_record_started();
  s.on_record_filed();
  EXPECT_EQ(Step::kStopAndWait, s.on_query_end()) << "the second is not filed yet";
  s.on_record_filed();
  s.on_record_filed();
  EXPECT_EQ(Step::kCarryOn, s.on_query_end());
  s.on_record_started();
  EXPECT_EQ(Step::kStopAndWait, s.on_suspend()) << "the stray report left no credit";
  EXPECT_EQ(Step::kFinalize, s.on_end(true));
  EXPECT_EQ(Step::kCarryOn, s.on_end(false));
}

TEST(QelSessionEndState, TheWaitEndsWhenFiledOrAfterFiveSecondsAndHoldsAutoRecording) {
  qel_session_end_state s;
  s.on_record_started();
  s.begin_wait(1'000'000);
  EXPECT_TRUE(s.holds_auto_record());
  EXPECT_EQ(1u, s.wait_left(1'004'999));
  EXPECT_EQ(0u, s.wait_left(1'005'000));
  EXPECT_EQ(Step::kCarryOn, s.on_query_end()) << "asked again while waiting";
  s.on_record_filed();
  EXPECT_EQ(0u, s.wait_left(1'000'001));
  s.end_wait();
  EXPECT_FALSE(s.holds_auto_record()) << "the end may be called off";

  // Asleep, automatic recording waits for the return, whatever else is asked meanwhile.
  s.on_suspend();
  s.on_end(false);
  EXPECT_TRUE(s.holds_auto_record());
  s.on_resume();
  EXPECT_FALSE(s.holds_auto_record());
}

}  // namespace
