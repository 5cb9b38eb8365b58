// The COM core the component uses (ole32): IUnknown, IClassFactory, interface
// identifiers, task memory, GUID text and apartment set-up. On Windows they
// come from the system headers; on Linux the interfaces are abstract classes
// with the Windows vtable layout (IUnknown's three slots first).
#pragma once

#include "platform/api/errors.h"
#include "platform/api/types.h"

// Defines a named GUID constant (IID_xxx, CLSID_xxx) in a header.
#define EC_DEFINE_GUID(name, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8) \
  inline constexpr GUID name = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}

#ifdef _WIN32
#include <objbase.h>
#include <unknwn.h>
#else

#define STDMETHODIMP HRESULT STDMETHODCALLTYPE
#define STDMETHODIMP_(type) type STDMETHODCALLTYPE
#define STDAPI extern "C" HRESULT STDAPICALLTYPE
#define STDAPICALLTYPE
#define interface struct
#define DECLSPEC_UUID(x)
#define DECLSPEC_NOVTABLE

// An interface's IID, known from its type: __uuidof(IUnknown). A header that
// declares an interface states its IID once with __CRT_UUID_DECL.
template <class T>
const GUID& __mingw_uuidof();
#define __CRT_UUID_DECL(type, l, w1, w2, b1, b2, b3, b4, b5, b6, b7, b8)  \
  template <>                                                             \
  inline const GUID& __mingw_uuidof<type>() {                             \
    static const GUID id = {l, w1, w2, {b1, b2, b3, b4, b5, b6, b7, b8}}; \
    return id;                                                            \
  }                                                                       \
  template <>                                                             \
  inline const GUID& __mingw_uuidof<type*>() {                            \
    return __mingw_uuidof<type>();                                        \
  }
#define __uuidof(type) __mingw_uuidof<__typeof__(type)>()

inline constexpr GUID GUID_NULL = {0, 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}};
#define IID_NULL GUID_NULL
#define CLSID_NULL GUID_NULL

struct IUnknown {
  virtual HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) = 0;
  virtual ULONG STDMETHODCALLTYPE AddRef() = 0;
  virtual ULONG STDMETHODCALLTYPE Release() = 0;

  template <class Q>
  HRESULT QueryInterface(Q** object) {
    return QueryInterface(__uuidof(Q), reinterpret_cast<void**>(object));
  }

 protected:
  ~IUnknown() = default;
};
typedef IUnknown* LPUNKNOWN;
EC_DEFINE_GUID(IID_IUnknown, 0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
__CRT_UUID_DECL(IUnknown, 0x00000000, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)

struct IClassFactory : IUnknown {
  virtual HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) = 0;
  virtual HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) = 0;

 protected:
  ~IClassFactory() = default;
};
typedef IClassFactory* LPCLASSFACTORY;
EC_DEFINE_GUID(IID_IClassFactory, 0x00000001, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46);
__CRT_UUID_DECL(IClassFactory, 0x00000001, 0x0000, 0x0000, 0xC0, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x46)

// Task memory: the allocator that crosses component boundaries.
LPVOID CoTaskMemAlloc(SIZE_T bytes);
LPVOID CoTaskMemRealloc(LPVOID memory, SIZE_T bytes);
void CoTaskMemFree(LPVOID memory);

// GUID text: "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case.
int StringFromGUID2(REFGUID guid, LPWSTR buffer, int size);
HRESULT StringFromCLSID(REFCLSID clsid, LPWSTR* text);
HRESULT StringFromIID(REFIID iid, LPWSTR* text);
HRESULT CLSIDFromString(LPCWSTR text, CLSID* clsid);
HRESULT IIDFromString(LPCWSTR text, IID* iid);
// A class's CLSID from its ProgID under HKEY_CLASSES_ROOT (CLSIDFromString
// accepts a ProgID as well).
HRESULT CLSIDFromProgID(const WCHAR* progId, CLSID* clsid);
HRESULT CoCreateGuid(GUID* guid);

// Apartments: every thread may use COM; these succeed and do nothing.
#define COINIT_APARTMENTTHREADED 0x2
#define COINIT_MULTITHREADED 0x0
#define COINIT_DISABLE_OLE1DDE 0x4
HRESULT CoInitialize(LPVOID reserved);
HRESULT CoInitializeEx(LPVOID reserved, DWORD flags);
void CoUninitialize();

#define CO_E_CLASSSTRING static_cast<HRESULT>(0x800401F3u)
#define CO_E_IIDSTRING static_cast<HRESULT>(0x80040004u)
#define CO_E_NOTINITIALIZED static_cast<HRESULT>(0x800401F0u)
#define CLSCTX_INPROC_SERVER 0x1

#endif  // _WIN32
