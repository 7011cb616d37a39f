// Paints a rectangle from nine small PNG pieces: the corners as they are, the edges and
// the centre tiled (mirrored every other tile, so seams do not show).
#pragma once

#include <array>

#include "winkit/gdiplus_bitmap_resource.h"
#include "winkit/wk_gdiplus.h"

class NinePatchPainter {
 public:
  // Top-left, top, top-right, left, centre, right, bottom-left, bottom, bottom-right.
  using Ids = std::array<UINT, 9>;

  // Releases the old pieces and loads each non-zero id; a piece that fails stays empty.
  void SetIds(const Ids& ids);
  void Empty();
  // Nothing for a width or height below 1 or without a graphics.
  void Draw(Gdiplus::Graphics* _graphics, int x, int y, int w, int h) const;

 private:
  std::array<CGdiPlusBitmapResource, 9> m_pieces;
};
