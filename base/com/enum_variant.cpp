#include "base/com/enum_variant.h"

#include <vector>

#include "base/com/method_boundary.h"

namespace com {
namespace {

// Items copied for an enumerator, cleared when the last clone goes.
struct CopiedItems {
  std::vector<VARIANT> items;
  ~CopiedItems() {
    for (auto& v : items) VariantClear(&v);
  }
};

HRESULT Publish(EnumVariant* created, IEnumVARIANT** result) {
  *result = created;
  created->AddRef();
  return S_OK;
}

}  // namespace

HRESULT EnumVariant::Copy(const VARIANT* items, size_t count, IEnumVARIANT** result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  return Guarded([&]() -> HRESULT {
    auto copied = std::make_shared<CopiedItems>();
    copied->items.reserve(count);
    for (size_t i = 0; i < count; ++i) {
      copied->items.emplace_back();
      VariantInit(&copied->items.back());
      HRESULT hr = VariantCopy(&copied->items.back(), &items[i]);
      if (FAILED(hr)) return hr;
    }
    const VARIANT* data = copied->items.data();
    return Publish(new EnumVariant(data, count, std::move(copied)), result);
  });
}

HRESULT EnumVariant::Share(const VARIANT* items, size_t count, IUnknown* owner, IEnumVARIANT** result) {
  if (!result) return E_POINTER;
  *result = nullptr;
  return Guarded([&]() -> HRESULT {
    std::shared_ptr<const void> hold;
    if (owner) {
      owner->AddRef();
      hold = std::shared_ptr<const void>(
          owner, [](const void* p) { static_cast<IUnknown*>(const_cast<void*>(p))->Release(); });
    }
    return Publish(new EnumVariant(items, count, std::move(hold)), result);
  });
}

HRESULT EnumVariant::Next(ULONG count, VARIANT* items, ULONG* fetched) {
  if (fetched) *fetched = 0;
  if (count == 0) return S_OK;
  if (!items || (count > 1 && !fetched)) return E_POINTER;
  ULONG done = 0;
  while (done < count && position_ < count_) {
    VariantInit(&items[done]);
    HRESULT hr = VariantCopy(&items[done], &items_[position_]);
    if (FAILED(hr)) {
      for (ULONG i = 0; i < done; ++i) VariantClear(&items[i]);
      position_ -= done;
      return hr;
    }
    ++done;
    ++position_;
  }
  if (fetched) *fetched = done;
  return done == count ? S_OK : S_FALSE;
}

HRESULT EnumVariant::Skip(ULONG count) {
  size_t left = count_ - position_;
  if (count > left) {
    position_ = count_;
    return S_FALSE;
  }
  position_ += count;
  return S_OK;
}

HRESULT EnumVariant::Reset() {
  position_ = 0;
  return S_OK;
}

HRESULT EnumVariant::Clone(IEnumVARIANT** copy) {
  if (!copy) return E_POINTER;
  *copy = nullptr;
  return Guarded([&]() -> HRESULT { return Publish(new EnumVariant(items_, count_, keepAlive_, position_), copy); });
}

}  // namespace com
