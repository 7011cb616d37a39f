// A GDI+ bitmap made from a "PNG" resource of the program. It keeps the bitmap and the
// memory the bitmap's stream reads from; a failed load leaves no bitmap, never a crash.
#pragma once

#include "winkit/wk_gdiplus.h"

class CGdiPlusBitmapResource {
 public:
  CGdiPlusBitmapResource() = default;
  CGdiPlusBitmapResource(const CGdiPlusBitmapResource&) = delete;
  CGdiPlusBitmapResource& operator=(const CGdiPlusBitmapResource&) = delete;
  ~CGdiPlusBitmapResource() { Empty(); }

  // Loads the resource of that id and type; releases what an earlier load made first.
  bool Load(UINT id, const wchar_t* type = L"PNG", HMODULE module = nullptr);
  void Empty();

  Gdiplus::Bitmap* bitmap() const { return m_bitmap; }
  operator Gdiplus::Bitmap*() const { return m_bitmap; }
  // 0 x 0 when empty.
  UINT GetWidth() const;
  UINT GetHeight() const;

 private:
  Gdiplus::Bitmap* m_bitmap = nullptr;
  HGLOBAL m_buffer = nullptr;
};
