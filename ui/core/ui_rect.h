// Rectangles and sizes of the portable window logic, in pixels: left and top inside,
// right and bottom outside, as Windows counts them.
#pragma once

struct UiSize {
  int cx = 0;
  int cy = 0;
};

struct UiRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;

  int width() const { return right - left; }
  int height() const { return bottom - top; }
  bool operator==(const UiRect&) const = default;
};
