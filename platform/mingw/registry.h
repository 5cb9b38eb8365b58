// The Windows build of platform/api/registry.h: the real advapi32 registry
// functions, with overloads that take the component's char16_t text.
#pragma once

#include <windows.h>

#include "platform/mingw/wide.h"

template <class C, plat::IfText<C> = 0>
inline LONG RegOpenKeyExW(HKEY key, const C* subKey, DWORD options, REGSAM desired, PHKEY result) {
  return ::RegOpenKeyExW(key, plat::W(subKey), options, desired, result);
}
template <class C, plat::IfText<C> = 0>
inline LONG RegCreateKeyExW(HKEY key, const C* subKey, DWORD reserved, plat::Same<C>* className, DWORD options,
                            REGSAM desired, LPSECURITY_ATTRIBUTES attributes, PHKEY result, LPDWORD disposition) {
  return ::RegCreateKeyExW(key, plat::W(subKey), reserved, plat::W(className), options, desired, attributes, result,
                           disposition);
}
template <class C, plat::IfText<C> = 0>
inline LONG RegQueryValueExW(HKEY key, const C* name, LPDWORD reserved, LPDWORD type, LPBYTE data, LPDWORD size) {
  return ::RegQueryValueExW(key, plat::W(name), reserved, type, data, size);
}
template <class C, plat::IfText<C> = 0>
inline LONG RegSetValueExW(HKEY key, const C* name, DWORD reserved, DWORD type, const BYTE* data, DWORD size) {
  return ::RegSetValueExW(key, plat::W(name), reserved, type, data, size);
}
template <class C, plat::IfText<C> = 0>
inline LONG RegDeleteValueW(HKEY key, const C* name) {
  return ::RegDeleteValueW(key, plat::W(name));
}
template <class C, plat::IfText<C> = 0>
inline LONG RegDeleteKeyW(HKEY key, const C* subKey) {
  return ::RegDeleteKeyW(key, plat::W(subKey));
}
template <class C, plat::IfText<C> = 0>
inline LONG RegDeleteTreeW(HKEY key, const C* subKey) {
  return ::RegDeleteTreeW(key, plat::W(subKey));
}
template <class C, plat::IfText<C> = 0>
inline LONG RegEnumKeyExW(HKEY key, DWORD index, C* name, LPDWORD nameSize, LPDWORD reserved, plat::Same<C>* className,
                          LPDWORD classSize, PFILETIME lastWrite) {
  return ::RegEnumKeyExW(key, index, plat::W(name), nameSize, reserved, plat::W(className), classSize, lastWrite);
}
template <class C, plat::IfText<C> = 0>
inline LONG RegEnumValueW(HKEY key, DWORD index, C* name, LPDWORD nameSize, LPDWORD reserved, LPDWORD type, LPBYTE data,
                          LPDWORD dataSize) {
  return ::RegEnumValueW(key, index, plat::W(name), nameSize, reserved, type, data, dataSize);
}
template <class C, plat::IfText<C> = 0>
inline LONG RegConnectRegistryW(const C* machine, HKEY key, PHKEY result) {
  return ::RegConnectRegistryW(plat::W(machine), key, result);
}
