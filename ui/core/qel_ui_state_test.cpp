// The small state machines of the main window: tray clicks and the record-info panel, and
// the question asked before a delete.
#include <gtest/gtest.h>

#include "qel_lib/qel_assert_capture.h"
#include "ui/core/qel_delete_question.h"
#include "ui/core/qel_l10n_string_table.h"
#include "ui/core/qel_record_info_state.h"
#include "ui/core/qel_status_texts.h"
#include "ui/core/qel_tray_click_state.h"

namespace {

using M = qel_tray_mouse;
using A = qel_tray_action;

TEST(TrayClickState, SingleClickOpensTheMenuWhenTheTimerFires) {
  qel_tray_click_state s;
  EXPECT_EQ(s.on_mouse(M::kLeftUp, {640, 470}), A::kStartTimer);
  EXPECT_TRUE(s.timer_running());
  EXPECT_EQ(s.last_cursor_pos().x, 640);
  EXPECT_EQ(s.on_mouse(M::kOther, {1, 1}), A::kNothing) << "mouse moves do not cancel";
  EXPECT_EQ(s.on_timer(), A::kShowMenuAndKillTimer);
  EXPECT_FALSE(s.timer_running());
  EXPECT_EQ(s.last_cursor_pos().x, 0);
  EXPECT_EQ(s.on_mouse(M::kLeftUp, {5, 5}), A::kStartTimer) << "the next click starts afresh";
}

TEST(TrayClickState, DoubleClickCancelsTheMenu) {
  qel_tray_click_state s;
  EXPECT_EQ(s.on_mouse(M::kLeftUp, {640, 470}), A::kStartTimer);
  EXPECT_EQ(s.on_mouse(M::kLeftDoubleClick, {640, 470}), A::kNothing);
  EXPECT_EQ(s.on_mouse(M::kLeftUp, {640, 470}), A::kKillTimer);
  EXPECT_FALSE(s.timer_running());
}

TEST(TrayClickState, RightButtonCancelsAndIdleMessagesDoNothing) {
  for (M cancel : {M::kRightDown, M::kRightUp}) {
    qel_tray_click_state s;
    s.on_mouse(M::kLeftUp, {10, 10});
    EXPECT_EQ(s.on_mouse(cancel, {10, 10}), A::kKillTimer);
    EXPECT_EQ(s.on_mouse(cancel, {10, 10}), A::kNothing);
  }
  qel_tray_click_state idle;
  for (M msg : {M::kLeftDoubleClick, M::kRightDown, M::kRightUp, M::kOther})
    EXPECT_EQ(idle.on_mouse(msg, {3, 3}), A::kNothing);
}

TEST(TrayClickState, StrayTicksStopTheTimerWithoutAMenu) {
  AssertCapture capture;
  qel_tray_click_state s;
  EXPECT_EQ(s.on_timer(), A::kKillTimer);
  EXPECT_TRUE(capture.Has("qel_tray_click_state::on_timer", "m_system_tray_timer"));
  // A click at the very corner leaves no position to open the menu at.
  s.on_mouse(M::kLeftUp, {0, 0});
  EXPECT_EQ(s.on_timer(), A::kKillTimer);
  EXPECT_FALSE(s.timer_running());
}

TEST(TrayClickState, ClicksOnAScreenEdgeStillOpenTheMenu) {
  // A taskbar at the left or the top edge puts the cursor on x 0 or y 0; only the very
  // corner leaves no position.
  for (qel_point at : {qel_point{0, 700}, qel_point{900, 0}}) {
    qel_tray_click_state s;
    ASSERT_EQ(s.on_mouse(M::kLeftUp, at), A::kStartTimer);
    EXPECT_EQ(s.on_timer(), A::kShowMenuAndKillTimer) << at.x << "," << at.y;
  }
}

TEST(RecordInfoState, NoStreamNoticeEndsAfterMoreThanASecond) {
  qel_record_info_state s;
  s.set_mode(kQelRecordInfoNoStream);
  s.show(1000);
  EXPECT_EQ(s.on_tick(1001), qel_record_info_tick::kRedraw);
  EXPECT_EQ(s.on_tick(1002), qel_record_info_tick::kHide);
  EXPECT_TRUE(s.hide());
  EXPECT_FALSE(s.is_showing());
  EXPECT_EQ(s.start_time(), 0);
  EXPECT_EQ(s.on_tick(1003), qel_record_info_tick::kIgnore);
}

TEST(RecordInfoState, RecordingCountsUpUntilHidden) {
  qel_record_info_state s;
  s.set_mode(kQelRecordInfoRecording);
  s.show(5000);
  EXPECT_EQ(s.elapsed_text(5000), u"00 : 00 : 00");
  EXPECT_EQ(s.on_tick(5000 + 3661), qel_record_info_tick::kRedraw);
  EXPECT_EQ(s.elapsed_text(5000 + 3661), u"01 : 01 : 01");
  EXPECT_EQ(s.elapsed_text(5000 + 100 * 3600), u"100 : 00 : 00");
  EXPECT_EQ(s.elapsed_text(4000), u"00 : 00 : 00") << "a clock set back";
  s.show(9000);
  EXPECT_EQ(s.elapsed_text(9005), u"00 : 00 : 05") << "showing again restarts";
}

TEST(RecordInfoState, HidingAHiddenPanelIsReported) {
  AssertCapture capture;
  qel_record_info_state s;
  EXPECT_FALSE(s.hide());
  EXPECT_EQ(capture.count(), 1u);
}

TEST(DeleteQuestion, OneFileByNameSeveralByCount) {
  EXPECT_EQ(qel_delete_question(1, u"2024-03-15 12-00-00", &qel_l10n_default_text),
            u"Are you sure you want to delete the file 2024-03-15 12-00-00?");
  EXPECT_EQ(qel_delete_question(1, u"100% & %d", &qel_l10n_default_text),
            u"Are you sure you want to delete the file 100% & %d?");
  EXPECT_EQ(qel_delete_question(3, u"ignored", &qel_l10n_default_text),
            u"Are you sure you want to delete the 3 files?");
  EXPECT_EQ(qel_delete_question(0, nullptr, &qel_l10n_default_text), u"");
  EXPECT_EQ(qel_delete_question(1, nullptr, &qel_l10n_default_text),
            u"Are you sure you want to delete the file ?");
}

TEST(StatusTexts, StartAndChangeFormats) {
  EXPECT_EQ(qel_status_total_text(12, 345, &qel_l10n_default_text),
            u"12 files, 345 minutes recorded in total");
  EXPECT_EQ(qel_status_total_text(1, 2, nullptr), u"") << "no table, no text";
  EXPECT_EQ(qel_status_change_text(12, 345, &qel_l10n_default_text),
            u"12 files, 345 minutes recorded");
  EXPECT_EQ(qel_status_change_text(0, 0, nullptr), u"0 , 0 ");
}

}  // namespace
