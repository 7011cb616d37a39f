// Scoped owners of GDI and USER objects, so that every path out of a painter releases what
// it made: the paint DC, objects selected into a DC, fonts, brushes, pens, bitmaps, icons,
// menus, and a memory DC for double-buffered painting.
#pragma once

#include <utility>

#include "platform/win32/scoped_handle.h"
#include "platform/win32/win.h"

struct WkGdiObjectTraits {
  using Handle = HGDIOBJ;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::DeleteObject(h); }
};
struct WkIconTraits {
  using Handle = HICON;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::DestroyIcon(h); }
};
struct WkMenuTraits {
  using Handle = HMENU;
  static Handle Invalid() { return nullptr; }
  static void Close(Handle h) { ::DestroyMenu(h); }
};

// A font, brush, pen or bitmap of one type.
template <class T>
class WkGdiObject {
 public:
  WkGdiObject() = default;
  explicit WkGdiObject(T object) : m_object(object) {}
  T get() const { return static_cast<T>(m_object.get()); }
  void reset(T object = nullptr) { m_object.reset(object); }
  T release() { return static_cast<T>(m_object.release()); }
  explicit operator bool() const { return static_cast<bool>(m_object); }

 private:
  platform::ScopedHandle<WkGdiObjectTraits> m_object;
};

using WkFont = WkGdiObject<HFONT>;
using WkBrush = WkGdiObject<HBRUSH>;
using WkPen = WkGdiObject<HPEN>;
using WkBitmap = WkGdiObject<HBITMAP>;
using WkIcon = platform::ScopedHandle<WkIconTraits>;
using WkMenu = platform::ScopedHandle<WkMenuTraits>;

// BeginPaint/EndPaint.
class WkPaintDC {
 public:
  explicit WkPaintDC(HWND hwnd) : m_hwnd(hwnd), m_dc(BeginPaint(hwnd, &m_ps)) {}
  WkPaintDC(const WkPaintDC&) = delete;
  WkPaintDC& operator=(const WkPaintDC&) = delete;
  ~WkPaintDC() { EndPaint(m_hwnd, &m_ps); }
  HDC dc() const { return m_dc; }
  const RECT& paint_rect() const { return m_ps.rcPaint; }

 private:
  HWND m_hwnd;
  PAINTSTRUCT m_ps = {};
  HDC m_dc;
};

// Selects an object into a DC and puts the previous one back.
class WkSelectObject {
 public:
  WkSelectObject(HDC dc, HGDIOBJ object)
      : m_dc(dc), m_old(object ? SelectObject(dc, object) : nullptr) {}
  WkSelectObject(const WkSelectObject&) = delete;
  WkSelectObject& operator=(const WkSelectObject&) = delete;
  ~WkSelectObject() {
    if (m_old)
      SelectObject(m_dc, m_old);
  }

 private:
  HDC m_dc;
  HGDIOBJ m_old;
};

// A DC compatible with another holding a bitmap of the given size: paint into dc(), then
// copy to the target in one step, so nothing flickers.
class WkMemoryDC {
 public:
  WkMemoryDC(HDC target, int width, int height);
  WkMemoryDC(const WkMemoryDC&) = delete;
  WkMemoryDC& operator=(const WkMemoryDC&) = delete;
  ~WkMemoryDC();
  bool valid() const { return m_dc && m_bitmap; }
  HDC dc() const { return m_dc; }
  HBITMAP bitmap() const { return m_bitmap.get(); }
  // Copies the whole buffer to (x, y) of the target.
  bool CopyTo(HDC target, int x = 0, int y = 0) const;

 private:
  HDC m_dc = nullptr;
  WkBitmap m_bitmap;
  HGDIOBJ m_old = nullptr;
  int m_width;
  int m_height;
};
