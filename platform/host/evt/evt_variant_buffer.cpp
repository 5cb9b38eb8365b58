#include "platform/host/evt/evt_variant_buffer.h"

#include <cstring>

#include "platform/api/errors.h"
#include "platform/formats/evtx_value.h"

namespace host {
namespace {

size_t Align8(size_t n) { return (n + 7) & ~static_cast<size_t>(7); }

// Size of one element inside an array in memory: the file's width for the
// fixed-size types, a pointer's for SizeT, and a pointer slot for the rest.
size_t ElementSize(EVT_VARIANT_TYPE t) {
  if (t == EvtVarTypeSizeT) return sizeof(size_t);
  const size_t fixed = formats::EvtxFixedValueSize(static_cast<uint8_t>(t));
  return fixed != 0 ? fixed : 8;
}

bool IsPointerElement(EVT_VARIANT_TYPE t) {
  return t == EvtVarTypeString || t == EvtVarTypeAnsiString || t == EvtVarTypeSid || t == EvtVarTypeEvtXml;
}

// Out-of-line bytes of a scalar that lives outside the EVT_VARIANT.
size_t ScalarDataBytes(const formats::EvtxValue& v) {
  switch (v.baseType()) {
    case EvtVarTypeString:
    case EvtVarTypeEvtXml: return (v.text.size() + 1) * 2;
    case EvtVarTypeAnsiString: return v.bytes.size() + 1;
    case EvtVarTypeBinary:
    case EvtVarTypeSid: return v.bytes.size();
    case EvtVarTypeGuid:
    case EvtVarTypeSysTime: return 16;
    default: return 0;
  }
}

size_t DataBytes(const formats::EvtxValue& v) {
  if (!v.isArray()) return Align8(ScalarDataBytes(v));
  EVT_VARIANT_TYPE t = v.baseType();
  if (IsPointerElement(t)) {
    size_t n = Align8(v.items.size() * sizeof(void*));
    for (const auto& item : v.items) n += Align8(ScalarDataBytes(item));
    return n;
  }
  return Align8(v.items.size() * ElementSize(t));
}

// Writes the fixed-size representation of a scalar (integers, floats, times).
void WriteInline(const formats::EvtxValue& v, void* target, size_t size) {
  uint64_t bits = v.bits;
  if (v.baseType() == EvtVarTypeBoolean) bits = bits ? 1 : 0;
  std::memcpy(target, &bits, size);  // little-endian: the low bytes
}

// Copies a scalar's out-of-line data to `data` and returns its address.
void* WriteScalarData(const formats::EvtxValue& v, char* data) {
  switch (v.baseType()) {
    case EvtVarTypeString:
    case EvtVarTypeEvtXml:
      std::memcpy(data, v.text.data(), v.text.size() * 2);
      std::memset(data + v.text.size() * 2, 0, 2);
      break;
    case EvtVarTypeAnsiString:
      if (!v.bytes.empty()) std::memcpy(data, v.bytes.data(), v.bytes.size());
      data[v.bytes.size()] = 0;
      break;
    case EvtVarTypeGuid:
    case EvtVarTypeSysTime:
      std::memset(data, 0, 16);
      std::memcpy(data, v.bytes.data(), std::min<size_t>(16, v.bytes.size()));
      break;
    default:
      if (!v.bytes.empty()) std::memcpy(data, v.bytes.data(), v.bytes.size());
      break;
  }
  return data;
}

// Fills `out` and the data it points to; returns the data end.
char* WriteValue(const formats::EvtxValue& v, EVT_VARIANT& out, char* data) {
  std::memset(&out, 0, sizeof out);
  out.Type = v.type;
  EVT_VARIANT_TYPE t = v.baseType();
  if (v.isNull()) return data;
  if (v.isArray()) {
    out.Count = static_cast<DWORD>(v.items.size());
    out.ByteArr = reinterpret_cast<UINT8*>(data);
    if (IsPointerElement(t)) {
      char* next = data + Align8(v.items.size() * sizeof(void*));
      for (size_t i = 0; i < v.items.size(); ++i) {
        void* item = WriteScalarData(v.items[i], next);
        std::memcpy(data + i * sizeof(void*), &item, sizeof item);  // the caller's buffer may be unaligned
        next += Align8(ScalarDataBytes(v.items[i]));
      }
      return next;
    }
    size_t size = ElementSize(t);
    for (size_t i = 0; i < v.items.size(); ++i) {
      if (t == EvtVarTypeGuid || t == EvtVarTypeSysTime) {
        WriteScalarData(v.items[i], data + i * size);
      } else {
        WriteInline(v.items[i], data + i * size, size);
      }
    }
    return data + Align8(v.items.size() * size);
  }
  size_t outOfLine = ScalarDataBytes(v);
  if (outOfLine == 0) {
    WriteInline(v, &out.UInt64Val, ElementSize(t) > 8 ? 8 : ElementSize(t));
    return data;
  }
  out.BinaryVal = reinterpret_cast<PBYTE>(WriteScalarData(v, data));
  if (t == EvtVarTypeBinary || t == EvtVarTypeSid) out.Count = static_cast<DWORD>(v.bytes.size());
  return data + Align8(outOfLine);
}

// The UTF-16 units of a stored String without the NULs that end it.
size_t StoredUnits(std::span<const uint8_t> data) {
  size_t n = data.size() / 2;
  while (n > 0 && data[2 * n - 2] == 0 && data[2 * n - 1] == 0) --n;
  return n;
}

// Out-of-line bytes of a value stored as it is (see EvtxStoredAsIs).
size_t StoredDataBytes(const formats::EvtxValueRef& v) {
  if (v.type == EvtVarTypeString) return Align8((StoredUnits(v.data) + 1) * 2);
  if (v.type == EvtVarTypeGuid || v.type == EvtVarTypeSysTime) return 16;
  return 0;
}

// WriteValue of a value stored as it is: the same bytes as of its decoded value.
char* WriteStored(const formats::EvtxValueRef& v, EVT_VARIANT& out, char* data) {
  std::memset(&out, 0, sizeof out);
  out.Type = v.type;
  if (v.type == EvtVarTypeString) {
    const size_t units = StoredUnits(v.data);
    if (units > 0) std::memcpy(data, v.data.data(), units * 2);  // an empty value may have no bytes at all
    std::memset(data + units * 2, 0, 2);
    out.BinaryVal = reinterpret_cast<PBYTE>(data);
    return data + Align8((units + 1) * 2);
  }
  if (v.type == EvtVarTypeGuid || v.type == EvtVarTypeSysTime) {
    std::memcpy(data, v.data.data(), 16);
    out.BinaryVal = reinterpret_cast<PBYTE>(data);
    return data + 16;
  }
  if (v.type == EvtVarTypeBoolean) {
    uint32_t stored = 0;
    std::memcpy(&stored, v.data.data(), sizeof stored);
    out.UInt32Val = stored != 0 ? 1 : 0;
    return data;
  }
  std::memcpy(&out.UInt64Val, v.data.data(), std::min<size_t>(v.data.size(), 8));  // little-endian: the low bytes
  return data;
}

}  // namespace

DWORD VariantBytes(std::span<const formats::EvtxValue* const> values) {
  size_t n = values.size() * sizeof(EVT_VARIANT);
  for (const auto* v : values) n += DataBytes(*v);
  return static_cast<DWORD>(n);
}

DWORD WriteVariants(std::span<const formats::EvtxValue* const> values, DWORD bufferSize, void* buffer, DWORD* used) {
  DWORD needed = VariantBytes(values);
  if (used) *used = needed;
  if (!buffer || bufferSize < needed) return ERROR_INSUFFICIENT_BUFFER;
  char* data = static_cast<char*>(buffer) + values.size() * sizeof(EVT_VARIANT);
  for (size_t i = 0; i < values.size(); ++i) {
    EVT_VARIANT variant;
    data = WriteValue(*values[i], variant, data);
    std::memcpy(static_cast<char*>(buffer) + i * sizeof(EVT_VARIANT), &variant, sizeof variant);
  }
  return 0;
}

DWORD WriteVariants(std::span<const formats::EvtxValue> values, DWORD bufferSize, void* buffer, DWORD* used) {
  std::vector<const formats::EvtxValue*> pointers;
  pointers.reserve(values.size());
  for (const auto& v : values) pointers.push_back(&v);
  return WriteVariants(pointers, bufferSize, buffer, used);
}

DWORD WriteVariants(std::span<const formats::EvtxValueRef> values, DWORD bufferSize, void* buffer, DWORD* used) {
  size_t needed = values.size() * sizeof(EVT_VARIANT);
  for (const auto& v : values) needed += v.value ? DataBytes(*v.value) : StoredDataBytes(v);
  if (used) *used = static_cast<DWORD>(needed);
  if (!buffer || bufferSize < needed) return ERROR_INSUFFICIENT_BUFFER;
  char* data = static_cast<char*>(buffer) + values.size() * sizeof(EVT_VARIANT);
  for (size_t i = 0; i < values.size(); ++i) {
    EVT_VARIANT variant;
    data = values[i].value ? WriteValue(*values[i].value, variant, data) : WriteStored(values[i], variant, data);
    std::memcpy(static_cast<char*>(buffer) + i * sizeof(EVT_VARIANT), &variant, sizeof variant);
  }
  return 0;
}

DWORD WriteHandleVariant(EVT_HANDLE handle, DWORD bufferSize, void* buffer, DWORD* used) {
  if (used) *used = sizeof(EVT_VARIANT);
  if (!buffer || bufferSize < sizeof(EVT_VARIANT)) return ERROR_INSUFFICIENT_BUFFER;
  EVT_VARIANT v{};
  v.EvtHandleVal = handle;
  v.Type = EvtVarTypeEvtHandle;
  std::memcpy(buffer, &v, sizeof v);
  return 0;
}

}  // namespace host
