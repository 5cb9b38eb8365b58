// IDispatch driven by a description of the type library: for every dual
// interface, its members with names, dispids, kinds, vtable slots and
// parameter types, and a thunk that calls the member on the interface with
// arguments already converted. The description is generated at build time
// from com/EventCollector.idl (see com/idlgen.py).
#pragma once

#include <cstdint>

#include "platform/api/oleauto.h"

namespace com::dispatch {

enum class Kind : uint8_t { Method, PropGet, PropPut, PropPutRef };
enum class Direction : uint8_t { In, Out, Retval };

struct Param {
  const char16_t* name;
  // The value's VARTYPE: VT_BSTR, VT_BOOL, VT_I4, VT_UI4, VT_INT, VT_I8,
  // VT_UI8, VT_VARIANT, VT_DISPATCH or VT_UNKNOWN.
  VARTYPE vt;
  Direction direction;
  // For interface parameters: the interface that the callee expects.
  const IID* iid;
};

// Calls the member on `self` (a pointer to the interface). `args` holds one
// VARIANT per non-retval parameter in declared order, each of the parameter's
// type (out parameters: zeroed storage); `ret` receives the retval.
using Thunk = HRESULT (*)(void* self, VARIANT* args, VARIANT* ret);

struct Member {
  const char16_t* name;
  DISPID dispid;
  Kind kind;
  unsigned slot;  // vtable slot (0-2 IUnknown, 3-6 IDispatch)
  const Param* params;
  unsigned paramCount;
  Thunk call;
  const char16_t* helpString;
};

struct Interface {
  const char16_t* name;
  const IID* iid;
  const Member* members;
  unsigned memberCount;
};

// The description of the component's dual interface with that IID, or null.
const Interface* FindInterface(REFIID iid);
// Every described interface.
const Interface* const* AllInterfaces(unsigned* count);

// IDispatch::GetIDsOfNames: names[0] is a member name, the others names of
// its parameters (dispid = their position); names compare ignoring case.
HRESULT GetIDsOfNames(const Interface& description, REFIID riid, LPOLESTR* names, UINT count, DISPID* dispids);

// IDispatch::Invoke on `self`, the interface pointer described.
HRESULT Invoke(const Interface& description, void* self, DISPID dispid, REFIID riid, WORD flags, DISPPARAMS* params,
               VARIANT* result, EXCEPINFO* excepInfo, UINT* argErr);

}  // namespace com::dispatch
