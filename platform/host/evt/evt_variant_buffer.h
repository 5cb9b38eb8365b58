// EVT_VARIANT values in a caller's buffer, as EvtRender and the property
// functions of Wevtapi.dll return them: an array of 16-byte EVT_VARIANTs,
// then the out-of-line data (strings, SIDs, GUIDs, binary data, arrays) that
// their pointers point to, in the same buffer.
#pragma once

#include <span>
#include <vector>

#include "platform/api/evt.h"
#include "platform/formats/evtx_value.h"
#include "platform/formats/evtx_value_ref.h"

namespace host {

// Bytes that the values need, EVT_VARIANTs and data included.
DWORD VariantBytes(std::span<const formats::EvtxValue* const> values);

// The buffer protocol of the Evt* functions: `*used` = the bytes needed;
// when `bufferSize` is smaller (or the buffer is null) the result is
// ERROR_INSUFFICIENT_BUFFER, else the values are written and the result is 0.
DWORD WriteVariants(std::span<const formats::EvtxValue* const> values, DWORD bufferSize, void* buffer, DWORD* used);
DWORD WriteVariants(std::span<const formats::EvtxValue> values, DWORD bufferSize, void* buffer, DWORD* used);
// The same of values some of which are their stored bytes: the EVT_VARIANTs
// and data written are those of the decoded values.
DWORD WriteVariants(std::span<const formats::EvtxValueRef> values, DWORD bufferSize, void* buffer, DWORD* used);

// One EVT_VARIANT holding a handle (EvtVarTypeEvtHandle), same protocol.
DWORD WriteHandleVariant(EVT_HANDLE handle, DWORD bufferSize, void* buffer, DWORD* used);

}  // namespace host
