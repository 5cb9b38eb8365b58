// com::Ptr<I>: an owning interface pointer (AddRef on copy, Release on
// destruction), for code that holds COM objects.
#pragma once

#include <utility>

#include "platform/api/com.h"

namespace com {

template <class I>
class Ptr {
 public:
  Ptr() = default;
  // Takes a new reference to p.
  Ptr(I* p) : p_(p) {  // NOLINT: implicit like an interface pointer
    if (p_) p_->AddRef();
  }
  Ptr(const Ptr& other) : Ptr(other.p_) {}
  Ptr(Ptr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ~Ptr() { Reset(); }

  Ptr& operator=(Ptr other) noexcept {
    std::swap(p_, other.p_);
    return *this;
  }

  // Adopts a reference the caller already owns.
  static Ptr Attach(I* p) {
    Ptr result;
    result.p_ = p;
    return result;
  }
  // Gives up the reference without releasing it.
  I* Detach() { return std::exchange(p_, nullptr); }

  void Reset() {
    if (I* p = std::exchange(p_, nullptr)) p->Release();
  }

  // The address to receive a new reference (releases the current one).
  I** Receive() {
    Reset();
    return &p_;
  }

  I* Get() const { return p_; }
  I* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // Queries the object for another interface.
  template <class Q>
  HRESULT As(Ptr<Q>& out) const {
    if (!p_) return E_POINTER;
    return p_->QueryInterface(__uuidof(Q), reinterpret_cast<void**>(out.Receive()));
  }

 private:
  I* p_ = nullptr;
};

}  // namespace com
