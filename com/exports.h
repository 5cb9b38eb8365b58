// The library's exported functions, as a client that loads it (LoadLibraryW
// and GetProcAddress, or dlopen) calls them.
#pragma once

#include "platform/api/oleauto.h"

extern "C" {
HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object);
HRESULT STDAPICALLTYPE DllCanUnloadNow();
HRESULT STDAPICALLTYPE DllRegisterServer();
HRESULT STDAPICALLTYPE DllUnregisterServer();
}

typedef HRESULT(STDAPICALLTYPE* PFN_DllGetClassObject)(REFCLSID, REFIID, LPVOID*);
typedef HRESULT(STDAPICALLTYPE* PFN_DllCanUnloadNow)();
typedef HRESULT(STDAPICALLTYPE* PFN_DllRegisterServer)();
typedef HRESULT(STDAPICALLTYPE* PFN_DllUnregisterServer)();
