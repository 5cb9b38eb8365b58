// The class factory of a COM class T: creates T objects (no aggregation) and
// locks the module. A factory does not count as a live object, so a cached
// factory does not keep the library loaded.
#pragma once

#include "base/com/object.h"

namespace com {

template <class T>
class ClassFactory final : public Object<IClassFactory> {
 public:
  ClassFactory() : Object(Uncounted{}) {}

  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return CreateObject<T>(riid, object);
  }

  HRESULT STDMETHODCALLTYPE LockServer(BOOL lock) override {
    if (lock) Module::Lock();
    else Module::Unlock();
    return S_OK;
  }
};

}  // namespace com
