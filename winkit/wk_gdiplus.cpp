#include "winkit/wk_gdiplus.h"

#include "qel_lib/qel_assert.h"

bool WkGdiplus::Startup() {
  if (QEL_ASSERT(!m_gdiplus_started)) {
    Gdiplus::GdiplusStartupInput input;
    Gdiplus::Status status = Gdiplus::GdiplusStartup(&m_gdiplus_token, &input, nullptr);
    if (QEL_ASSERT(status == Gdiplus::Ok))
      m_gdiplus_started = true;
  }
  return QEL_ASSERT(m_gdiplus_started && m_gdiplus_token);
}

void WkGdiplus::Shutdown() {
  if (!m_gdiplus_started)
    return;
  Gdiplus::GdiplusShutdown(m_gdiplus_token);
  m_gdiplus_token = 0;
  m_gdiplus_started = false;
}

namespace {

std::unique_ptr<Gdiplus::FontFamily> family_if_found(const wchar_t* name) {
  if (!name)
    return nullptr;
  auto family = std::make_unique<Gdiplus::FontFamily>(name);
  return family->IsAvailable() ? std::move(family) : nullptr;
}

}  // namespace

std::unique_ptr<Gdiplus::FontFamily> WkFontFamily(const wchar_t* name) {
  // Wine may have neither Arial nor Tahoma; its replacements and own fonts stand in.
  for (const wchar_t* candidate : {name, L"Tahoma", L"Liberation Sans", L"Arial"}) {
    if (auto family = family_if_found(candidate))
      return family;
  }
  // GenericSansSerif can be null under Wine.
  const Gdiplus::FontFamily* generic = Gdiplus::FontFamily::GenericSansSerif();
  if (!generic || !generic->IsAvailable())
    return nullptr;
  return std::unique_ptr<Gdiplus::FontFamily>(generic->Clone());
}

std::unique_ptr<Gdiplus::Font> WkGdiplusFont(const wchar_t* family, float points, INT style) {
  std::unique_ptr<Gdiplus::FontFamily> found = WkFontFamily(family);
  if (!found)
    return nullptr;
  auto font = std::make_unique<Gdiplus::Font>(found.get(), points, style, Gdiplus::UnitPoint);
  return font->IsAvailable() ? std::move(font) : nullptr;
}
