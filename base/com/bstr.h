// com::Bstr: an owned BSTR, for clients that pass texts to COM methods and
// receive texts from them.
#pragma once

#include <string>
#include <string_view>
#include <utility>

#include "platform/api/oleauto.h"
#include "platform/api/wide.h"

namespace com {

class Bstr {
 public:
  Bstr() = default;
  explicit Bstr(std::u16string_view text) : b_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  ~Bstr() { SysFreeString(b_); }
  Bstr(Bstr&& other) noexcept : b_(std::exchange(other.b_, nullptr)) {}
  Bstr& operator=(Bstr&& other) noexcept {
    std::swap(b_, other.b_);
    return *this;
  }
  Bstr(const Bstr&) = delete;
  Bstr& operator=(const Bstr&) = delete;

  BSTR Get() const { return b_; }
  // The address to receive a new BSTR (frees the current one).
  BSTR* Receive() {
    SysFreeString(b_);
    b_ = nullptr;
    return &b_;
  }
  // The text; a null BSTR is the empty text.
  std::u16string Text() const { return b_ ? std::u16string(plat::U(b_), SysStringLen(b_)) : std::u16string(); }

 private:
  BSTR b_ = nullptr;
};

}  // namespace com
