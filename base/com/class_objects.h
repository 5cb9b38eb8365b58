// The module's class table and the class objects it hands out
// (DllGetClassObject): one factory per class, created on first request and
// kept until the library unloads.
#pragma once

#include <cstddef>

#include "base/com/class_factory.h"

namespace com {

struct ClassEntry {
  const CLSID* clsid;
  // Makes the class factory; null for a class without an implementation here.
  HRESULT (*makeFactory)(IClassFactory** factory);
};

// The entry's makeFactory for class T.
template <class T>
HRESULT MakeFactory(IClassFactory** factory) {
  return CreateObject<ClassFactory<T>>(factory);
}

// DllGetClassObject over a class table: E_POINTER for a null out pointer,
// CLASS_E_CLASSNOTAVAILABLE for a CLSID not in the table; otherwise the
// class's factory (the same one on every call) queried for riid.
HRESULT GetClassObject(const ClassEntry* table, size_t count, REFCLSID clsid, REFIID riid, void** object);

}  // namespace com
