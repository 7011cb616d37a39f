// Shortens a path for a tooltip: the head, " ...", and the tail, so both the drive and the
// folder's own name stay visible.
#pragma once

#include <cstddef>

// `_out_len` counts the terminator. Returns false for a null or empty input, a null output
// or a zero length; otherwise `_out` holds at most `_out_len` - 1 characters.
bool dojob_abbr_path(const char16_t* _in, char16_t* _out, size_t _out_len);
