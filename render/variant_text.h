// The text of one rendered Windows Event Log value.
#pragma once

#include <string>
#include <string_view>

#include "platform/api/evt.h"

namespace cmr {

// The value's text by its type ("NULL", decimal numbers, "0x..." for the hex
// types, upper-case hexadecimal bytes for binary data, GUIDs without braces,
// SIDs in their standard string form, times as ISO texts); "" for array types
// and types above EvtVarTypeHexInt64.
std::u16string VariantToText(const EVT_VARIANT& value);

// Where VariantTextView makes texts: short ones (numbers, GUIDs) in place,
// longer ones in a string whose storage is reused.
struct VariantTextScratch {
  char16_t units[40];
  std::u16string text;
};

// The same text without a copy where it can be had: a string value's own
// characters, any other text made in `scratch`. Valid while the value and
// scratch are (until scratch is used again).
std::u16string_view VariantTextView(const EVT_VARIANT& value, VariantTextScratch& scratch);

// Two upper-case hexadecimal digits per byte, no separator.
std::u16string BytesToHexText(const BYTE* bytes, size_t count);

}  // namespace cmr
