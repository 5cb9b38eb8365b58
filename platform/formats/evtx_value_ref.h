// A value handed on to the Evt* layer without a copy: a value made already,
// or the bytes of a substitution value as they stand in a chunk, for the
// types whose stored bytes are the value itself.
#pragma once

#include <cstdint>
#include <span>

#include "platform/formats/evtx_value.h"

namespace formats {

struct EvtxValueRef {
  const EvtxValue* value = nullptr;  // when set, this value; else `type` and `data`
  uint8_t type = EvtVarTypeNull;     // a type that EvtxStoredAsIs accepts for `data`
  std::span<const uint8_t> data;

  static EvtxValueRef Of(const EvtxValue* v) {
    EvtxValueRef ref;
    ref.value = v;
    return ref;
  }
  // The value itself: `value`, or `data` decoded into `scratch`.
  const EvtxValue& get(EvtxValue& scratch) const {
    if (value) return *value;
    DecodeEvtxValue(type, data, scratch);
    return scratch;
  }
};

// Whether substitution data of this type and size is its value as it is: a
// String of whole UTF-16 units (the NULs that end it are not part of it), or
// a scalar of a fixed size that is its exact size. Such data always decodes.
inline bool EvtxStoredAsIs(uint8_t type, size_t size) {
  if (type == EvtVarTypeString) return size % 2 == 0;
  const size_t fixed = EvtxFixedValueSize(type);
  return fixed != 0 && fixed == size;
}

}  // namespace formats
