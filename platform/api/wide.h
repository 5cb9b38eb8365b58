// The bridge between the component's char16_t text and the platform's wide
// text: the same type on Linux, wchar_t (also UTF-16) on Windows.
// plat::U(x) views platform text as char16_t; plat::W(x) the other way.
#pragma once

#include "platform/api/types.h"

#ifdef _WIN32
#include "platform/mingw/wide.h"
#else
namespace plat {
inline const WCHAR* W(const char16_t* text) { return text; }
inline WCHAR* W(char16_t* text) { return text; }
inline const char16_t* U(const WCHAR* text) { return text; }
inline char16_t* U(WCHAR* text) { return text; }
}  // namespace plat
#endif
