// The Windows build of platform/api/eventlog.h: the real advapi32 classic
// event-log functions, with overloads that take the component's char16_t text.
#pragma once

#include <windows.h>

#include "platform/mingw/wide.h"

template <class C, plat::IfText<C> = 0>
inline HANDLE OpenEventLogW(const C* server, const plat::Same<C>* source) {
  return ::OpenEventLogW(plat::W(server), plat::W(source));
}
inline HANDLE OpenEventLogW(std::nullptr_t, const char16_t* source) {
  return ::OpenEventLogW(nullptr, plat::W(source));
}
template <class C, plat::IfText<C> = 0>
inline HANDLE OpenBackupEventLogW(const C* server, const plat::Same<C>* file) {
  return ::OpenBackupEventLogW(plat::W(server), plat::W(file));
}
inline HANDLE OpenBackupEventLogW(std::nullptr_t, const char16_t* file) {
  return ::OpenBackupEventLogW(nullptr, plat::W(file));
}
