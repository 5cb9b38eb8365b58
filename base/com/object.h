// The base of the component's COM classes. A class lists its interfaces once:
//
//   class CFilterISImpl : public com::Object<IECFilterIS, com::ErrorInfoSupport<IECFilterIS>> { ... };
//
// and gets QueryInterface (IUnknown, each listed interface, IDispatch when a
// listed interface is dual), reference counting tied to the module's object
// count, and IDispatch driven by the type library's description.
#pragma once

#include <atomic>
#include <new>
#include <tuple>
#include <type_traits>
#include <utility>

#include "base/com/dispatch.h"
#include "base/com/method_boundary.h"
#include "base/com/module.h"
#include "base/com/ptr.h"
#include "platform/api/oleauto.h"

namespace com {

// The IID under which an entry of the interface list is answered.
template <class T>
struct InterfaceId {
  static const IID& Get() { return __uuidof(T); }
};

// ISupportErrorInfo answering S_OK for interface I only.
template <class I>
class ErrorInfoSupport : public ISupportErrorInfo {
 public:
  HRESULT STDMETHODCALLTYPE InterfaceSupportsErrorInfo(REFIID riid) override {
    return riid == __uuidof(I) ? S_OK : S_FALSE;
  }

 protected:
  ~ErrorInfoSupport() = default;
};
template <class I>
struct InterfaceId<ErrorInfoSupport<I>> {
  static const IID& Get() { return IID_ISupportErrorInfo; }
};

// The description that drives IDispatch for dual interface D; a test may
// specialise it for an interface of its own.
template <class D>
struct DispatchDescription {
  static const dispatch::Interface* Get() { return dispatch::FindInterface(__uuidof(D)); }
};

namespace detail {

template <class... I>
struct FirstDual {
  using type = void;
};
template <class H, class... T>
struct FirstDual<H, T...> {
  using type = std::conditional_t<std::is_base_of_v<IDispatch, H>, H, typename FirstDual<T...>::type>;
};

template <class... I>
using First = std::tuple_element_t<0, std::tuple<I...>>;

// Derives from every interface and, when one is dual, implements IDispatch
// once for all of them through the first dual interface's description (on
// Windows, through the type library that the module carries).
template <class Dual, class... I>
class DispatchLayer : public I... {
 protected:
  ~DispatchLayer() = default;
};

template <class Dual, class... I>
requires(!std::is_void_v<Dual>) class DispatchLayer<Dual, I...> : public I... {
 public:
#ifdef _WIN32
  // The system's dispatch over the module's embedded type library.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_INVALIDARG;
    HRESULT status = S_OK;
    *count = plat::ModuleTypeInfo(__uuidof(Dual), &status) ? 1 : 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID, ITypeInfo** info) override {
    if (!info) return E_INVALIDARG;
    *info = nullptr;
    if (index != 0) return DISP_E_BADINDEX;
    HRESULT status = S_OK;
    *info = plat::ModuleTypeInfo(__uuidof(Dual), &status);
    if (!*info) return status;
    (*info)->AddRef();
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* dispids) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    HRESULT status = S_OK;
    ITypeInfo* info = plat::ModuleTypeInfo(__uuidof(Dual), &status);
    return info ? DispGetIDsOfNames(info, names, count, dispids) : status;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* excepInfo, UINT* argErr) override {
    if (riid != IID_NULL) return DISP_E_UNKNOWNINTERFACE;
    HRESULT status = S_OK;
    ITypeInfo* info = plat::ModuleTypeInfo(__uuidof(Dual), &status);
    if (!info) return status;
    return DispInvoke(static_cast<Dual*>(this), info, dispid, flags, params, result, excepInfo, argErr);
  }
#else
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_INVALIDARG;
    *count = 0;  // no ITypeInfo is handed out; callers bind by name
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (!info) return E_INVALIDARG;
    *info = nullptr;
    return DISP_E_BADINDEX;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID riid, LPOLESTR* names, UINT count, LCID, DISPID* dispids) override {
    const dispatch::Interface* d = DispatchDescription<Dual>::Get();
    if (!d) return E_NOTIMPL;
    return dispatch::GetIDsOfNames(*d, riid, names, count, dispids);
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                   EXCEPINFO* excepInfo, UINT* argErr) override {
    const dispatch::Interface* d = DispatchDescription<Dual>::Get();
    if (!d) return E_NOTIMPL;
    return dispatch::Invoke(*d, static_cast<Dual*>(this), dispid, riid, flags, params, result, excepInfo, argErr);
  }

#endif

 protected:
  ~DispatchLayer() = default;
};

}  // namespace detail

template <class... Interfaces>
class Object : public detail::DispatchLayer<typename detail::FirstDual<Interfaces...>::type, Interfaces...> {
  using Dual = typename detail::FirstDual<Interfaces...>::type;
  using Primary = detail::First<Interfaces...>;

 public:
  Object(const Object&) = delete;
  Object& operator=(const Object&) = delete;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    *object = Find(riid);
    if (!*object) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  // This object as its IUnknown (no new reference).
  IUnknown* Unknown() { return static_cast<Primary*>(this); }

 protected:
  struct Uncounted {};
  Object() { Module::ObjectCreated(); }
  // For objects that do not keep the module loaded (cached class factories).
  explicit Object(Uncounted) : counted_(false) {}
  virtual ~Object() {
    if (counted_) Module::ObjectDestroyed();
  }

  // Answers an interface beyond the listed ones; null when there is none.
  virtual void* QueryExtra(REFIID) { return nullptr; }

 private:
  void* Find(REFIID riid) {
    if (riid == IID_IUnknown) return Unknown();
    if constexpr (!std::is_void_v<Dual>) {
      if (riid == IID_IDispatch) return static_cast<IDispatch*>(static_cast<Dual*>(this));
    }
    void* found = nullptr;
    ((!found && riid == InterfaceId<Interfaces>::Get() ? void(found = static_cast<Interfaces*>(this)) : void()), ...);
    return found ? found : QueryExtra(riid);
  }

  std::atomic<ULONG> refs_{0};
  bool counted_ = true;
};

// A new object of class T with one reference held by the result.
template <class T, class... Args>
Ptr<T> MakeObject(Args&&... args) {
  return Ptr<T>(new T(std::forward<Args>(args)...));
}

// A new object of class T queried for `riid` into *object. A constructor
// that throws gives the method boundary's result (E_OUTOFMEMORY when it
// cannot be allocated); the query's result otherwise.
template <class T, class... Args>
HRESULT CreateObject(REFIID riid, void** object, Args&&... args) {
  if (!object) return E_POINTER;
  *object = nullptr;
  T* created = nullptr;
  HRESULT made = Guarded([&] {
    created = new T(std::forward<Args>(args)...);
    return S_OK;
  });
  if (created == nullptr) return FAILED(made) ? made : E_UNEXPECTED;
  created->AddRef();
  HRESULT hr = created->QueryInterface(riid, object);
  created->Release();
  return hr;
}

// Typed form: CreateObject<CFilterImpl>(&filter, ...) with IECFilter* filter.
template <class T, class I, class... Args>
HRESULT CreateObject(I** object, Args&&... args) {
  return CreateObject<T>(__uuidof(I), reinterpret_cast<void**>(object), std::forward<Args>(args)...);
}

}  // namespace com
