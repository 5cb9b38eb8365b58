// A buffer for the property reads of the Windows Event Log library: a read
// is made with the current buffer and, when the library answers
// ERROR_INSUFFICIENT_BUFFER, once more after growing the buffer to the size
// it asked for.
#pragma once

#include <vector>

#include "platform/api/evt.h"
#include "platform/api/kernel.h"
#include "platform/api/wide.h"

namespace cmr {

class EvtPropertyBuffer {
 public:
  explicit EvtPropertyBuffer(DWORD bytes = 256) { Grow(bytes); }

  // `call(bufferSize, buffer, &used)` is one call of the library.
  template <class Call>
  bool Read(Call call) {
    DWORD used = 0;
    if (call(Size(), Variant(), &used)) return true;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    Grow(used);
    return call(Size(), Variant(), &used);
  }

  PEVT_VARIANT Variant() { return reinterpret_cast<PEVT_VARIANT>(storage_.data()); }
  const EVT_VARIANT& Value() const { return *reinterpret_cast<const EVT_VARIANT*>(storage_.data()); }
  DWORD Size() const { return static_cast<DWORD>(storage_.size() * sizeof(ULONGLONG)); }

 private:
  void Grow(DWORD bytes) {
    size_t words = (bytes + sizeof(ULONGLONG) - 1) / sizeof(ULONGLONG);
    if (words > storage_.size()) storage_.resize(words);
  }
  std::vector<ULONGLONG> storage_;  // 8-byte aligned for the EVT_VARIANTs
};

// The text of a String value, or empty.
inline std::u16string VariantString(const EVT_VARIANT& v) {
  return v.Type == EvtVarTypeString && v.StringVal ? std::u16string(plat::U(v.StringVal)) : std::u16string();
}

}  // namespace cmr
