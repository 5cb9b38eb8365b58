// The Windows build of platform/api/kernel.h: the real kernel32 and CRT
// functions, with overloads that take the component's char16_t text.
#pragma once

#include <windows.h>

#include <rpc.h>
#include <share.h>

#include <cstdio>
#include <cwchar>

#include "platform/mingw/wide.h"

template <class C, plat::IfText<C> = 0>
inline DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD id, DWORD language, C* buffer, DWORD size,
                            va_list* arguments) {
  return ::FormatMessageW(flags, source, id, language, plat::W(buffer), size, arguments);
}
template <class C, plat::IfText<C> = 0>
inline DWORD GetModuleFileNameW(HMODULE module, C* name, DWORD size) {
  return ::GetModuleFileNameW(module, plat::W(name), size);
}
template <class C, plat::IfText<C> = 0>
inline BOOL GetComputerNameW(C* buffer, LPDWORD size) {
  return ::GetComputerNameW(plat::W(buffer), size);
}
template <class C, plat::IfText<C> = 0>
inline DWORD GetEnvironmentVariableW(const C* name, plat::Same<C>* buffer, DWORD size) {
  return ::GetEnvironmentVariableW(plat::W(name), plat::W(buffer), size);
}
template <class C, plat::IfText<C> = 0>
inline BOOL SetEnvironmentVariableW(const C* name, const plat::Same<C>* value) {
  return ::SetEnvironmentVariableW(plat::W(name), plat::W(value));
}
template <class C, plat::IfText<C> = 0>
inline DWORD ExpandEnvironmentStringsW(const C* source, plat::Same<C>* destination, DWORD size) {
  return ::ExpandEnvironmentStringsW(plat::W(source), plat::W(destination), size);
}
template <class C, plat::IfText<C> = 0>
inline DWORD GetTempPathW(DWORD size, C* buffer) {
  return ::GetTempPathW(size, plat::W(buffer));
}

template <class C, plat::IfText<C> = 0>
inline BOOL CreateDirectoryW(const C* path, LPSECURITY_ATTRIBUTES attributes) {
  return ::CreateDirectoryW(plat::W(path), attributes);
}
template <class C, plat::IfText<C> = 0>
inline BOOL RemoveDirectoryW(const C* path) {
  return ::RemoveDirectoryW(plat::W(path));
}
template <class C, plat::IfText<C> = 0>
inline DWORD GetFileAttributesW(const C* path) {
  return ::GetFileAttributesW(plat::W(path));
}
template <class C, plat::IfText<C> = 0>
inline BOOL DeleteFileW(const C* path) {
  return ::DeleteFileW(plat::W(path));
}
template <class C, plat::IfText<C> = 0>
inline BOOL CopyFileW(const C* existing, const plat::Same<C>* target, BOOL failIfExists) {
  return ::CopyFileW(plat::W(existing), plat::W(target), failIfExists);
}
template <class C, plat::IfText<C> = 0>
inline BOOL MoveFileW(const C* existing, const plat::Same<C>* target) {
  return ::MoveFileW(plat::W(existing), plat::W(target));
}
template <class C, plat::IfText<C> = 0>
inline BOOL MoveFileExW(const C* existing, const plat::Same<C>* target, DWORD flags) {
  return ::MoveFileExW(plat::W(existing), plat::W(target), flags);
}
template <class C, plat::IfText<C> = 0>
inline HANDLE FindFirstFileW(const C* pattern, LPWIN32_FIND_DATAW data) {
  return ::FindFirstFileW(plat::W(pattern), data);
}
template <class C, plat::IfText<C> = 0>
inline HANDLE CreateFileW(const C* path, DWORD access, DWORD share, LPSECURITY_ATTRIBUTES attributes, DWORD creation,
                          DWORD flags, HANDLE templateFile) {
  return ::CreateFileW(plat::W(path), access, share, attributes, creation, flags, templateFile);
}

template <class C, plat::IfText<C> = 0>
inline FILE* _wfopen(const C* path, const plat::Same<C>* mode) {
  return ::_wfopen(plat::W(path), plat::W(mode));
}
template <class C, plat::IfText<C> = 0>
inline FILE* _wfsopen(const C* path, const plat::Same<C>* mode, int shareFlag) {
  return ::_wfsopen(plat::W(path), plat::W(mode), shareFlag);
}
template <class C, plat::IfText<C> = 0>
inline int _wremove(const C* path) {
  return ::_wremove(plat::W(path));
}
template <class C, plat::IfText<C> = 0>
inline int _wrename(const C* oldPath, const plat::Same<C>* newPath) {
  return ::_wrename(plat::W(oldPath), plat::W(newPath));
}
template <class C, plat::IfText<C> = 0>
inline int _wcserror_s(C* buffer, size_t size, int errnum) {
  return ::_wcserror_s(plat::W(buffer), size, errnum);
}

template <class C, plat::IfText<C> = 0>
inline HANDLE CreateMutexW(LPSECURITY_ATTRIBUTES attributes, BOOL initialOwner, const C* name) {
  return ::CreateMutexW(attributes, initialOwner, plat::W(name));
}
template <class C, plat::IfText<C> = 0>
inline void OutputDebugStringW(const C* text) {
  ::OutputDebugStringW(plat::W(text));
}

template <class C, plat::IfText<C> = 0>
inline int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR text, int bytes, C* wide, int wideChars) {
  return ::MultiByteToWideChar(codePage, flags, text, bytes, plat::W(wide), wideChars);
}
template <class C, plat::IfText<C> = 0>
inline int WideCharToMultiByte(UINT codePage, DWORD flags, const C* wide, int wideChars, LPSTR text, int bytes,
                               LPCSTR defaultChar, LPBOOL usedDefault) {
  return ::WideCharToMultiByte(codePage, flags, plat::W(wide), wideChars, text, bytes, defaultChar, usedDefault);
}

template <class C, plat::IfText<C> = 0>
inline HMODULE LoadLibraryW(const C* name) {
  return ::LoadLibraryW(plat::W(name));
}
template <class C, plat::IfText<C> = 0>
inline HMODULE LoadLibraryExW(const C* name, HANDLE file, DWORD flags) {
  return ::LoadLibraryExW(plat::W(name), file, flags);
}
