#include "ui/core/qel_main_wnd_layout.h"

#include <algorithm>

namespace {

constexpr int kPictureSize = 20;
constexpr int kIconSize = 16;

UiRect at(int x, int y, int w, int h) {
  return {x, y, x + w, y + h};
}

UiRect at(int x, int y, qel_size_f size) {
  return at(x, y, qel_whole_pixels(size.w), qel_whole_pixels(size.h));
}

// A size that cannot go below zero, so a very small window gives empty rectangles
// instead of turned-over ones.
int clamp0(int v) {
  return v < 0 ? 0 : v;
}

void layout_stream_panel(const qel_main_wnd_texts& t, qel_main_wnd_layout* l) {
  l->audio_icon = at(23, 47, kIconSize, kIconSize);
  l->audio_text = at(48, 47, t.audio_line);
  int local_y = 47 + qel_whole_pixels(t.audio_line.h) + 4;
  l->local_icon = at(23, local_y, kIconSize, kIconSize);
  l->local_text = at(48, local_y, t.local_line);
  int remote_y = local_y + qel_whole_pixels(t.local_line.h) + 4;
  l->remote_icon = at(23, remote_y, kIconSize, kIconSize);
  l->remote_text = at(48, remote_y, t.remote_line);
  int right = std::max({13 + qel_whole_pixels(t.heading.w), l->audio_text.right,
                        l->local_text.right, l->remote_text.right});
  int bottom = std::max(remote_y + kIconSize, l->remote_text.bottom);
  l->stream_panel = {8, 12, right + 4, bottom + 4};
}

void layout_bottom_lines(const qel_main_wnd_texts& t, int w, int h, qel_main_wnd_layout* l) {
  int label_w = std::max(qel_whole_pixels(t.audio_label.w), qel_whole_pixels(t.video_label.w));
  int button_w = std::max(qel_whole_pixels(t.audio_button.w), qel_whole_pixels(t.video_button.w));
  int button_h = qel_whole_pixels(t.video_button.h);
  int bottom = h - kQelStatusBarHeight - 1;
  l->video_button = {w - 5 - button_w, bottom - button_h, w - 5, bottom};
  int video_label_h = qel_whole_pixels(t.video_label.h);
  int video_label_top = h - kQelStatusBarHeight - video_label_h - 2;
  l->video_label = at(l->video_button.left - label_w, video_label_top, label_w, video_label_h);

  l->audio_button = {l->video_button.left, l->video_button.top - 1 - button_h,
                     l->video_button.right, l->video_button.top - 1};
  int audio_label_h = qel_whole_pixels(t.audio_label.h);
  l->audio_label =
      at(l->video_label.left, l->video_label.top - 1 - audio_label_h, label_w, audio_label_h);

  l->audio_picture =
      at(l->audio_label.left - kPictureSize, l->audio_label.top, kPictureSize, kPictureSize);
  l->folder_picture = at(3, l->audio_label.top, kPictureSize, kPictureSize);

  int line_top = l->audio_button.top;
  l->folder_text = at(23, line_top, t.folder_line);
  // The link starts where the folder line ends: its opaque face must not cover the line's
  // last letter, and its own text keeps a word's gap 5 pixels in.
  l->here_link = at(l->folder_text.right, line_top, t.here_link);
  l->change_link = at(l->here_link.right + 3, line_top, t.change_link);
}

void layout_list(const qel_main_wnd_texts& t, int w, int h, qel_main_wnd_layout* l) {
  l->list_header = at(8, l->stream_panel.bottom + 5, clamp0(w - 16), 23);
  int frame_top = l->list_header.bottom + 1;
  int frame_h = h - frame_top - kQelStatusBarHeight - qel_whole_pixels(t.video_button.h) -
                l->audio_button.height() - 4;
  l->list_frame = at(8, frame_top, clamp0(w - 16), clamp0(frame_h));
  l->list = {13, frame_top + 1, 13 + clamp0(w - 26),
             std::max(frame_top + 1, frame_top + frame_h - 2)};
}

void layout_record_info(const qel_main_wnd_texts& t, qel_main_wnd_layout* l) {
  int x0 = l->stop_button.right + 5;
  int y0 = 25;
  l->recording_text = at(x0 + 10, 30, t.recording);
  l->counter_text = at(l->recording_text.left + 20, l->recording_text.top + 25, t.counter);
  l->no_stream_text = at(x0 + 5, 45, t.no_stream);
  int right = std::max({l->recording_text.right, l->counter_text.right, l->no_stream_text.right});
  int bottom = std::max(l->counter_text.bottom, l->no_stream_text.bottom);
  l->record_info = {x0, y0, right + 5, bottom + 5};
}

}  // namespace

int qel_whole_pixels(float _measured) {
  return static_cast<int>(_measured) + 1;
}

qel_main_wnd_layout qel_compute_main_wnd_layout(const qel_main_wnd_texts& _texts,
                                                int _client_width,
                                                int _client_height) {
  qel_main_wnd_layout l;
  int w = _client_width;
  int h = _client_height;
  layout_stream_panel(_texts, &l);
  l.record_button = at(l.stream_panel.right + 10, 30, 60, 50);
  l.stop_button = at(l.record_button.left + 60 + 10, 30, 60, 50);
  l.status_bar = {0, h - kQelStatusBarHeight, w, h};
  l.status_first_part_right = w - kQelStatusBarSecondPart;
  layout_bottom_lines(_texts, w, h, &l);
  layout_list(_texts, w, h, &l);
  layout_record_info(_texts, &l);
  return l;
}

int qel_main_wnd_default_width(const qel_main_wnd_texts& _texts) {
  auto px = [](float v) { return v > 0 ? qel_whole_pixels(v) : 0; };
  int needed = kPictureSize + px(_texts.folder_line.w) + px(_texts.here_link.w) +
               px(_texts.change_link.w) + kPictureSize + px(_texts.video_label.w) +
               px(_texts.video_button.w) + 60;
  return std::max(kQelMainWndDefaultWidth, needed);
}
