// The text of one rendered Windows Event Log value.
#pragma once

#include <string>
#include <string_view>

#include "platform/api/evt.h"

// The value's text by its type ("NULL", decimal numbers, "0x..." for the hex
// types, upper-case hexadecimal bytes for binary data, GUIDs without braces,
// SIDs in their standard string form, times as ISO texts); "" for array types
// and types above EvtVarTypeHexInt64.
std::u16string VariantToText(const EVT_VARIANT& value);

// The same text without a copy where it can be had: a string value's own
// characters, any other text made in `scratch` (its storage reused). Valid
// while the value and scratch are.
std::u16string_view VariantTextView(const EVT_VARIANT& value, std::u16string& scratch);

// Two upper-case hexadecimal digits per byte, no separator.
std::u16string BytesToHexText(const BYTE* bytes, size_t count);
