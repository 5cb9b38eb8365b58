// The library's exported functions, as a client that loads it (LoadLibraryW
// and GetProcAddress, or dlopen) calls them.
#pragma once

#include "platform/api/oleauto.h"

#ifdef _WIN32
#define EC_CDECL __cdecl
#else
#define EC_CDECL
#endif

extern "C" {
HRESULT STDAPICALLTYPE DllGetClassObject(REFCLSID clsid, REFIID riid, LPVOID* object);
HRESULT STDAPICALLTYPE DllCanUnloadNow();
HRESULT STDAPICALLTYPE DllRegisterServer();
HRESULT STDAPICALLTYPE DllUnregisterServer();
// Runs a task without COM activation (ITask::Run); the caller removes the
// arguments. process_backups is one byte, ClnAutoBcbLogs a 16-bit number of
// hours in a 32-bit slot.
HRESULT EC_CDECL Run(BSTR bstrManagementComputer, BSTR bstrSavePath, BSTR bstrConfigFile, BSTR strProductName,
                     bool process_backups, VARIANT_BOOL ClnAutoBcbLogs, ULONG buf_size);
}

typedef HRESULT(STDAPICALLTYPE* PFN_DllGetClassObject)(REFCLSID, REFIID, LPVOID*);
typedef HRESULT(STDAPICALLTYPE* PFN_DllCanUnloadNow)();
typedef HRESULT(STDAPICALLTYPE* PFN_DllRegisterServer)();
typedef HRESULT(STDAPICALLTYPE* PFN_DllUnregisterServer)();
typedef HRESULT(EC_CDECL* PFN_Run)(BSTR, BSTR, BSTR, BSTR, bool, VARIANT_BOOL, ULONG);
