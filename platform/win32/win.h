// The one gateway to <windows.h>.
#pragma once

// The build defines the version for every Windows target (cmake/qel.cmake): mingw's _mingw.h
// sets its own default as soon as any standard header is read, so a definition here would
// come too late.
static_assert(_WIN32_WINNT == 0x0601 && WINVER == 0x0601, "the build sets the Windows version");
#if !defined(NOMINMAX) || !defined(WIN32_LEAN_AND_MEAN)
#error "the build defines NOMINMAX and WIN32_LEAN_AND_MEAN for every Windows target"
#endif

// winsock2.h must come first, or windows.h brings in the old winsock.h.
#include <winsock2.h>

#include <windows.h>

// The portable core's UTF-16 text and Windows' wide text are the same code units.
inline const wchar_t* as_wide(const char16_t* s) {
  return reinterpret_cast<const wchar_t*>(s);
}
inline wchar_t* as_wide(char16_t* s) {
  return reinterpret_cast<wchar_t*>(s);
}
inline const char16_t* as_u16(const wchar_t* s) {
  return reinterpret_cast<const char16_t*>(s);
}
inline char16_t* as_u16(wchar_t* s) {
  return reinterpret_cast<char16_t*>(s);
}
