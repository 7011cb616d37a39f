// The one gateway to <windows.h>: fixes the target version before anything includes it.
#pragma once

#ifndef _WIN32_WINNT
#define _WIN32_WINNT 0x0601
#endif
#ifndef WINVER
#define WINVER 0x0601
#endif
#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif

#include <winsock2.h>
#include <windows.h>

// The portable core's UTF-16 text and Windows' wide text are the same code units.
inline const wchar_t* as_wide(const char16_t* s) { return reinterpret_cast<const wchar_t*>(s); }
inline wchar_t* as_wide(char16_t* s) { return reinterpret_cast<wchar_t*>(s); }
inline const char16_t* as_u16(const wchar_t* s) { return reinterpret_cast<const char16_t*>(s); }
inline char16_t* as_u16(wchar_t* s) { return reinterpret_cast<char16_t*>(s); }
