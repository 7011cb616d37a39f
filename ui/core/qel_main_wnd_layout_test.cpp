#include "ui/core/qel_main_wnd_layout.h"

#include <gtest/gtest.h>

namespace {

// Sizes close to what Arial 10 and 12 point measure under Wine.
qel_main_wnd_texts measured() {
  qel_main_wnd_texts t;
  t.heading = {140.3f, 16.1f};
  t.audio_line = {104.2f, 16.1f};
  t.local_line = {98.7f, 16.1f};
  t.remote_line = {108.9f, 16.1f};
  t.folder_line = {160.4f, 16.1f};
  t.here_link = {33.2f, 16.1f};
  t.change_link = {58.0f, 16.1f};
  t.video_label = {40.5f, 16.1f};
  t.video_button = {132.6f, 13.4f};
  t.audio_label = {42.9f, 16.1f};
  t.audio_button = {110.1f, 13.4f};
  t.recording = {92.0f, 19.2f};
  t.counter = {88.5f, 19.2f};
  t.no_stream = {150.7f, 19.2f};
  return t;
}

TEST(MainWndLayout, StreamPanelAndButtonsFromTheTopLeft) {
  qel_main_wnd_layout l = qel_compute_main_wnd_layout(measured(), 497, 379);
  EXPECT_EQ(l.audio_icon, (UiRect{23, 47, 39, 63}));
  EXPECT_EQ(l.audio_text, (UiRect{48, 47, 153, 64}));
  EXPECT_EQ(l.local_text, (UiRect{48, 68, 147, 85}));
  EXPECT_EQ(l.remote_icon, (UiRect{23, 89, 39, 105}));
  EXPECT_EQ(l.remote_text, (UiRect{48, 89, 157, 106}));
  EXPECT_EQ(l.stream_panel, (UiRect{8, 12, 161, 110}));
  EXPECT_EQ(l.record_button, (UiRect{171, 30, 231, 80}));
  EXPECT_EQ(l.stop_button, (UiRect{241, 30, 301, 80}));
  EXPECT_EQ(l.record_info, (UiRect{306, 25, 467, 80}));
  EXPECT_EQ(l.recording_text, (UiRect{316, 30, 409, 50}));
  EXPECT_EQ(l.counter_text, (UiRect{336, 55, 425, 75}));
  EXPECT_EQ(l.no_stream_text, (UiRect{311, 45, 462, 65}));
}

TEST(MainWndLayout, BottomLinesHangFromTheStatusBar) {
  qel_main_wnd_layout l = qel_compute_main_wnd_layout(measured(), 497, 379);
  EXPECT_EQ(l.status_bar, (UiRect{0, 355, 497, 379}));
  EXPECT_EQ(l.status_first_part_right, 197);
  EXPECT_EQ(l.video_button, (UiRect{359, 340, 492, 354}));
  EXPECT_EQ(l.audio_button, (UiRect{359, 325, 492, 339}));
  EXPECT_EQ(l.video_label, (UiRect{316, 336, 359, 353}));
  EXPECT_EQ(l.audio_label, (UiRect{316, 318, 359, 335}));
  EXPECT_EQ(l.audio_picture, (UiRect{296, 318, 316, 338}));
  EXPECT_EQ(l.folder_picture, (UiRect{3, 318, 23, 338}));
  EXPECT_EQ(l.folder_text, (UiRect{23, 325, 184, 342}));
  EXPECT_EQ(l.here_link, (UiRect{184, 325, 218, 342}));
  EXPECT_EQ(l.change_link, (UiRect{221, 325, 280, 342}));
}

TEST(MainWndLayout, ListFillsTheMiddle) {
  qel_main_wnd_layout l = qel_compute_main_wnd_layout(measured(), 497, 379);
  EXPECT_EQ(l.list_header, (UiRect{8, 115, 489, 138}));
  EXPECT_EQ(l.list_frame, (UiRect{8, 139, 489, 323}));
  EXPECT_EQ(l.list, (UiRect{13, 140, 484, 321}));
  EXPECT_LT(l.list_frame.bottom, l.audio_button.top) << "the list never covers the mode buttons";
}

TEST(MainWndLayout, ModeButtonsShareTheWiderWidth) {
  qel_main_wnd_texts t = measured();
  t.audio_button.w = 150.2f;
  qel_main_wnd_layout l = qel_compute_main_wnd_layout(t, 600, 400);
  EXPECT_EQ(l.audio_button.width(), 151);
  EXPECT_EQ(l.video_button.width(), 151);
  EXPECT_EQ(l.audio_label.width(), l.video_label.width());
  EXPECT_EQ(l.audio_button.bottom + 1, l.video_button.top);
  EXPECT_EQ(l.video_button.right, 595);
}

TEST(MainWndLayout, StreamPanelIsAsWideAsItsWidestTextHeadingIncluded) {
  qel_main_wnd_texts t = measured();
  t.heading.w = 300.2f;  // 13 + 301 reaches past every line
  qel_main_wnd_layout l = qel_compute_main_wnd_layout(t, 600, 400);
  EXPECT_EQ(l.stream_panel.right, 318);
  EXPECT_EQ(l.record_button.left, 328) << "the buttons move right with the panel";
  t = measured();
  t.local_line.w = 250.5f;  // 48 + 251
  l = qel_compute_main_wnd_layout(t, 600, 400);
  EXPECT_EQ(l.stream_panel.right, 303);
}

TEST(MainWndLayout, TinyClientGivesEmptyNotInvertedRectangles) {
  qel_main_wnd_layout l = qel_compute_main_wnd_layout(measured(), 10, 50);
  for (const UiRect& r : {l.list_header, l.list_frame, l.list}) {
    EXPECT_GE(r.width(), 0);
    EXPECT_GE(r.height(), 0);
  }
  EXPECT_EQ(l.list_frame.height(), 0);
}

TEST(MainWndLayout, DefaultWidthGrowsForALongBottomLine) {
  EXPECT_EQ(qel_main_wnd_default_width(qel_main_wnd_texts()), kQelMainWndDefaultWidth);
  // 20 + 161 + 34 + 59 + 20 + 41 + 133 + 60
  EXPECT_EQ(qel_main_wnd_default_width(measured()), 528);
  qel_main_wnd_texts wide = measured();
  wide.folder_line.w = 300.5f;
  // 20 + 301 + 34 + 59 + 20 + 41 + 133 + 60
  EXPECT_EQ(qel_main_wnd_default_width(wide), 668);
}

}  // namespace
