#include "winkit/wk_gdi.h"

WkMemoryDC::WkMemoryDC(HDC target, int width, int height)
    : m_width(width > 0 ? width : 1), m_height(height > 0 ? height : 1) {
  m_dc = CreateCompatibleDC(target);
  m_bitmap.reset(CreateCompatibleBitmap(target, m_width, m_height));
  if (m_dc && m_bitmap)
    m_old = SelectObject(m_dc, m_bitmap.get());
}

WkMemoryDC::~WkMemoryDC() {
  if (m_dc && m_old)
    SelectObject(m_dc, m_old);
  if (m_dc)
    DeleteDC(m_dc);
}

bool WkMemoryDC::CopyTo(HDC target, int x, int y) const {
  return valid() && BitBlt(target, x, y, m_width, m_height, m_dc, 0, 0, SRCCOPY);
}
