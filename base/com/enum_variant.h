// The standard VARIANT enumerator (IEnumVARIANT). It either copies the items
// it is given or shares an array that another object owns, keeping that
// owner alive. Clones share the items and move independently.
#pragma once

#include <memory>

#include "base/com/object.h"

namespace com {

class EnumVariant final : public Object<IEnumVARIANT> {
 public:
  // An enumerator over copies of items[0..count). E_OUTOFMEMORY or a
  // VariantCopy failure leaves *result null.
  static HRESULT Copy(const VARIANT* items, size_t count, IEnumVARIANT** result);
  // An enumerator over items[0..count) owned by `owner`, which stays alive
  // (AddRef) until the enumerator and its clones are gone.
  static HRESULT Share(const VARIANT* items, size_t count, IUnknown* owner, IEnumVARIANT** result);

  HRESULT STDMETHODCALLTYPE Next(ULONG count, VARIANT* items, ULONG* fetched) override;
  HRESULT STDMETHODCALLTYPE Skip(ULONG count) override;
  HRESULT STDMETHODCALLTYPE Reset() override;
  HRESULT STDMETHODCALLTYPE Clone(IEnumVARIANT** copy) override;

  EnumVariant(const VARIANT* items, size_t count, std::shared_ptr<const void> keepAlive, size_t position = 0)
      : items_(items), count_(count), keepAlive_(std::move(keepAlive)), position_(position) {}

 private:
  const VARIANT* items_;
  size_t count_;
  std::shared_ptr<const void> keepAlive_;  // the copied items, or the owner's reference
  size_t position_;
};

}  // namespace com
