// Column widths of the history list: name takes what the fixed columns leave, the start
// time is as wide as its widest possible text.
#pragma once

#include <array>

inline constexpr int kQelColumnName = 0;
inline constexpr int kQelColumnStartTime = 1;
inline constexpr int kQelColumnTimeLength = 2;
inline constexpr int kQelColumnIsAudio = 3;
inline constexpr int kQelColumnIsVideo = 4;
inline constexpr int kQelColumnCount = 5;

using qel_column_widths = std::array<int, kQelColumnCount>;

// Texts at least as wide as any start-time cell; measured once per process.
inline constexpr const char16_t* kQelStartTimeSamples[] = {
    u"Wed, 99:99",    u"Sat, 99:99",    u"Yesterday, 99:99", u"Feb 99, 99:99",
    u"Sep 99, 99:99", u"Nov 99, 99:99", u"Dec 99, 99:99",    u"2099-99-99, 99:99"};

// Measures a text in the list's font; returns the width in pixels.
using qel_measure_text_fn = float (*)(const char16_t* _text, void* _context);

// Largest measured sample width, truncated, plus 1.
int qel_start_time_column_width(qel_measure_text_fn _measure, void* _context);

// False, leaving `_out` alone, when the list has no positive client width.
bool qel_compute_column_widths(int _client_width, int _start_time_width, qel_column_widths* _out);
