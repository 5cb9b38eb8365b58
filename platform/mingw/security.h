// The Windows build of platform/api/security.h's wide-text calls: the real
// advapi32 functions, with overloads that take the component's char16_t text.
#pragma once

#include <windows.h>

#include <ntsecapi.h>
#include <sddl.h>

#include "platform/mingw/wide.h"

template <class C, plat::IfText<C> = 0>
inline BOOL ConvertStringSidToSidW(const C* text, PSID* sid) {
  return ::ConvertStringSidToSidW(plat::W(text), sid);
}
template <class C, plat::IfText<C> = 0>
inline BOOL ConvertSidToStringSidW(PSID sid, C** text) {
  return ::ConvertSidToStringSidW(sid, reinterpret_cast<LPWSTR*>(text));
}
template <class C, plat::IfText<C> = 0>
inline BOOL ConvertStringSecurityDescriptorToSecurityDescriptorW(const C* text, DWORD revision,
                                                                 PSECURITY_DESCRIPTOR* descriptor, PULONG size) {
  return ::ConvertStringSecurityDescriptorToSecurityDescriptorW(plat::W(text), revision, descriptor, size);
}
