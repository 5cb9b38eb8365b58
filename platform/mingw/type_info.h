// The Windows build: the type information of the component's dual
// interfaces, from the type library that the module holding this code
// carries as its resource TYPELIB 1. IDispatch of the component's classes is
// the system's DispInvoke over it.
#pragma once

#include <oaidl.h>

namespace plat {

// The ITypeInfo of interface iid (no new reference; it lives as long as the
// process). Null when the module carries no type library or the library does
// not describe iid; *status then says why.
ITypeInfo* ModuleTypeInfo(REFIID iid, HRESULT* status);

}  // namespace plat
