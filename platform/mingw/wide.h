// The Windows build: text inside the component is char16_t, the Windows API
// takes wchar_t (both UTF-16 there). These casts are the only bridge.
#pragma once

#include <windows.h>

static_assert(sizeof(wchar_t) == sizeof(char16_t), "Windows wide text is UTF-16");

#include <cstddef>
#include <type_traits>

namespace plat {

// The adapters are templates on the character type so that they take part
// only for char16_t text: a null pointer argument still picks the system's
// own function. The first text parameter decides; the others follow it.
template <class C>
using IfText = std::enable_if_t<std::is_same_v<std::remove_const_t<C>, char16_t>, int>;
template <class C>
using Same = std::type_identity_t<C>;

inline LPCWSTR W(const char16_t* text) { return reinterpret_cast<LPCWSTR>(text); }
inline LPWSTR W(char16_t* text) { return reinterpret_cast<LPWSTR>(text); }
inline const char16_t* U(LPCWSTR text) { return reinterpret_cast<const char16_t*>(text); }
inline char16_t* U(LPWSTR text) { return reinterpret_cast<char16_t*>(text); }

}  // namespace plat
