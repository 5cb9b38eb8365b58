// The text of one rendered Windows Event Log value.
#pragma once

#include <string>

#include "platform/api/evt.h"

// The value's text by its type ("NULL", decimal numbers, "0x..." for the hex
// types, upper-case hexadecimal bytes for binary data, GUIDs without braces,
// SIDs in their standard string form, times as ISO texts); "" for array types
// and types above EvtVarTypeHexInt64.
std::u16string VariantToText(const EVT_VARIANT& value);

// Two upper-case hexadecimal digits per byte, no separator.
std::u16string BytesToHexText(const BYTE* bytes, size_t count);
