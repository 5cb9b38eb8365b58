// The COM error object and the calling thread's error object slot.
#include <atomic>
#include <new>
#include <optional>
#include <string>

#include "platform/api/oleauto.h"
#include "platform/host/faults/faults.h"

namespace {

class ErrorObject final : public ICreateErrorInfo, public IErrorInfo {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) override {
    if (!object) return E_POINTER;
    if (riid == IID_IUnknown || riid == IID_ICreateErrorInfo) {
      *object = static_cast<ICreateErrorInfo*>(this);
    } else if (riid == IID_IErrorInfo) {
      *object = static_cast<IErrorInfo*>(this);
    } else {
      *object = nullptr;
      return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++refs_; }
  ULONG STDMETHODCALLTYPE Release() override {
    ULONG left = --refs_;
    if (left == 0) delete this;
    return left;
  }

  // ICreateErrorInfo
  HRESULT STDMETHODCALLTYPE SetGUID(REFGUID guid) override {
    guid_ = guid;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE SetSource(LPOLESTR source) override { return Store(source_, source); }
  HRESULT STDMETHODCALLTYPE SetDescription(LPOLESTR description) override { return Store(description_, description); }
  HRESULT STDMETHODCALLTYPE SetHelpFile(LPOLESTR helpFile) override { return Store(helpFile_, helpFile); }
  HRESULT STDMETHODCALLTYPE SetHelpContext(DWORD helpContext) override {
    helpContext_ = helpContext;
    return S_OK;
  }

  // IErrorInfo
  HRESULT STDMETHODCALLTYPE GetGUID(GUID* guid) override {
    if (!guid) return E_INVALIDARG;
    *guid = guid_;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetSource(BSTR* source) override { return Fetch(source_, source); }
  HRESULT STDMETHODCALLTYPE GetDescription(BSTR* description) override { return Fetch(description_, description); }
  HRESULT STDMETHODCALLTYPE GetHelpFile(BSTR* helpFile) override { return Fetch(helpFile_, helpFile); }
  HRESULT STDMETHODCALLTYPE GetHelpContext(DWORD* helpContext) override {
    if (!helpContext) return E_INVALIDARG;
    *helpContext = helpContext_;
    return S_OK;
  }

 private:
  using Text = std::optional<std::u16string>;

  static HRESULT Store(Text& field, LPOLESTR text) {
    try {
      if (text) field = std::u16string(text);
      else field.reset();
      return S_OK;
    } catch (const std::bad_alloc&) {
      return E_OUTOFMEMORY;
    }
  }

  // A new BSTR copy of the field, or null when it was never set.
  static HRESULT Fetch(const Text& field, BSTR* out) {
    if (!out) return E_INVALIDARG;
    *out = nullptr;
    if (!field) return S_OK;
    *out = SysAllocStringLen(field->data(), static_cast<UINT>(field->size()));
    return *out ? S_OK : E_OUTOFMEMORY;
  }

  ~ErrorObject() = default;

  std::atomic<ULONG> refs_{1};
  GUID guid_ = GUID_NULL;
  Text source_;
  Text description_;
  Text helpFile_;
  DWORD helpContext_ = 0;
};

// The calling thread's error object; released when the thread ends.
struct ThreadErrorSlot {
  IErrorInfo* info = nullptr;
  ~ThreadErrorSlot() {
    if (info) info->Release();
  }
};
thread_local ThreadErrorSlot threadError;

}  // namespace

HRESULT CreateErrorInfo(ICreateErrorInfo** info) {
  if (!info) return E_INVALIDARG;
  *info = nullptr;
  if (DWORD error = HOST_FAULT("CreateErrorInfo")) return HRESULT_FROM_WIN32(error);
  auto* object = new (std::nothrow) ErrorObject();
  if (!object) return E_OUTOFMEMORY;
  *info = object;
  return S_OK;
}

HRESULT SetErrorInfo(ULONG reserved, IErrorInfo* info) {
  if (reserved != 0) return E_INVALIDARG;
  if (info) info->AddRef();
  IErrorInfo* old = threadError.info;
  threadError.info = info;
  if (old) old->Release();
  return S_OK;
}

HRESULT GetErrorInfo(ULONG reserved, IErrorInfo** info) {
  if (reserved != 0 || !info) return E_INVALIDARG;
  *info = threadError.info;
  threadError.info = nullptr;
  return *info ? S_OK : S_FALSE;
}
