// Where everything of the main window goes, computed from the client size and the measured
// sizes of its fixed texts. The window measures (GDI+), this file decides.
#pragma once

#include "ui/core/ui_rect.h"

inline constexpr int kQelMainWndDefaultLeft = 200;
inline constexpr int kQelMainWndDefaultTop = 200;
inline constexpr int kQelMainWndDefaultWidth = 513;
inline constexpr int kQelMainWndDefaultHeight = 437;
inline constexpr int kQelStatusBarHeight = 24;
inline constexpr int kQelStatusBarSecondPart = 300;

struct qel_size_f {
  float w = 0;
  float h = 0;
};

// Sizes as a text measurer gives them (fractional pixels).
struct qel_main_wnd_texts {
  qel_size_f heading;       // "Active Streams in MSN"
  qel_size_f audio_line;    // "%d audio streams", the format itself
  qel_size_f local_line;    // "%d local webcam"
  qel_size_f remote_line;   // "%d remote webcam"
  qel_size_f folder_line;   // "Your recordings are saved"
  qel_size_f here_link;     // "Here"
  qel_size_f change_link;   // "change..."
  qel_size_f video_label;   // "Video:"
  qel_size_f video_button;  // widest and tallest video-mode name
  qel_size_f audio_label;   // "Audio:"
  qel_size_f audio_button;  // widest and tallest audio-mode name
  qel_size_f recording;     // "Recording...", 12 point
  qel_size_f counter;       // "99 : 99 : 99", 12 point
  qel_size_f no_stream;     // "No stream to record", 12 point
};

struct qel_main_wnd_layout {
  // Stream panel and its three lines.
  UiRect stream_panel;
  UiRect audio_icon, audio_text;
  UiRect local_icon, local_text;
  UiRect remote_icon, remote_text;
  UiRect record_button, stop_button;
  UiRect status_bar;
  int status_first_part_right = 0;
  UiRect video_button, video_label;
  UiRect audio_button, audio_label;
  UiRect audio_picture, folder_picture;
  UiRect folder_text, here_link, change_link;
  UiRect list_header, list_frame, list;
  // Record-info panel and its three texts.
  UiRect record_info, recording_text, counter_text, no_stream_text;
};

// A measured size in whole pixels: the truncated value plus one.
int qel_whole_pixels(float _measured);

qel_main_wnd_layout qel_compute_main_wnd_layout(const qel_main_wnd_texts& _texts,
                                                int _client_width,
                                                int _client_height);

// The default window width: 513, or wider when the bottom line (folder line, links,
// pictures, video label and button) needs more. Zero texts give 513.
int qel_main_wnd_default_width(const qel_main_wnd_texts& _texts);
