#include "ui/nine_patch_painter.h"

#include "qel_lib/qel_assert.h"

void NinePatchPainter::SetIds(const Ids& ids) {
  for (size_t i = 0; i < m_pieces.size(); ++i) {
    m_pieces[i].Empty();
    if (ids[i])
      m_pieces[i].Load(ids[i]);
  }
}

void NinePatchPainter::Empty() {
  for (CGdiPlusBitmapResource& piece : m_pieces)
    piece.Empty();
}

void NinePatchPainter::Draw(Gdiplus::Graphics* _graphics, int x, int y, int w, int h) const {
  if (!QEL_ASSERT(_graphics) || w < 1 || h < 1)
    return;
  int left = static_cast<int>(m_pieces[0].GetWidth());
  int right = static_cast<int>(m_pieces[2].GetWidth());
  int top = static_cast<int>(m_pieces[0].GetHeight());
  int bottom = static_cast<int>(m_pieces[6].GetHeight());
  int middle_w = w - left - right > 0 ? w - left - right : 0;
  int middle_h = h - top - bottom > 0 ? h - top - bottom : 0;
  const int xs[3] = {x, x + left, x + left + middle_w};
  const int ws[3] = {left, middle_w, right};
  const int ys[3] = {y, y + top, y + top + middle_h};
  const int hs[3] = {top, middle_h, bottom};
  for (int row = 0; row < 3; ++row) {
    for (int column = 0; column < 3; ++column) {
      Gdiplus::Bitmap* piece = m_pieces[row * 3 + column].bitmap();
      if (!piece || ws[column] < 1 || hs[row] < 1)
        continue;
      // The brush starts at the cell's corner, so every cell begins with a whole tile.
      Gdiplus::TextureBrush brush(piece, Gdiplus::WrapModeTileFlipX);
      brush.TranslateTransform(static_cast<Gdiplus::REAL>(xs[column]),
                               static_cast<Gdiplus::REAL>(ys[row]));
      _graphics->FillRectangle(&brush, xs[column], ys[row], ws[column], hs[row]);
    }
  }
}
