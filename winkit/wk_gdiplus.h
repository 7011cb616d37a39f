// GDI+ for the process: started once at start-up and shut down at the end, by one object.
// Fonts come through here too, because Wine may lack the family asked for.
#pragma once

#include <memory>

#include "platform/win32/win.h"
// GDI+ needs the COM stream declarations that the lean Windows headers leave out.
#include <objidl.h>
#include <ole2.h>

#include <gdiplus.h>

class WkGdiplus {
 public:
  WkGdiplus() = default;
  WkGdiplus(const WkGdiplus&) = delete;
  WkGdiplus& operator=(const WkGdiplus&) = delete;
  ~WkGdiplus() { Shutdown(); }

  // Starts GDI+; a second start is reported and changes nothing.
  bool Startup();
  void Shutdown();
  bool started() const { return m_gdiplus_started; }

 private:
  bool m_gdiplus_started = false;
  ULONG_PTR m_gdiplus_token = 0;
};

// The family by name, else a sans-serif family that exists here; null only when GDI+ has
// no font at all.
std::unique_ptr<Gdiplus::FontFamily> WkFontFamily(const wchar_t* name);
// A font of that family at a size in points; null when none can be made.
std::unique_ptr<Gdiplus::Font> WkGdiplusFont(const wchar_t* family,
                                             float points,
                                             INT style = Gdiplus::FontStyleRegular);
