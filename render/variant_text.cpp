#include "render/variant_text.h"

#include <vector>

#include "base/format.h"
#include "base/trace.h"
#include "platform/api/kernel.h"
#include "base/exceptions.h"
#include "render/sid_cache.h"
#include "render/time_text.h"

namespace {

std::u16string TextOrEmpty(LPCWSTR text) { return text != nullptr ? std::u16string(text) : std::u16string(); }

std::u16string AnsiText(LPCSTR text) {
  if (text == nullptr) return {};
  int chars = MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
  if (chars <= 0) return {};
  std::vector<WCHAR> buffer(static_cast<size_t>(chars));
  chars = MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, buffer.data(), chars);
  if (chars <= 0) return {};
  return std::u16string(buffer.data());
}

std::u16string GuidText(const GUID* g) {
  if (g == nullptr) return {};
  return FormatString(u"%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", g->Data1, g->Data2, g->Data3, g->Data4[0],
                      g->Data4[1], g->Data4[2], g->Data4[3], g->Data4[4], g->Data4[5], g->Data4[6], g->Data4[7]);
}

std::u16string SystemTimeText(const SYSTEMTIME* st) {
  FILETIME ft;
  if (st == nullptr || !SystemTimeToFileTime(st, &ft)) return {};
  return FileTimeToIsoText((static_cast<uint64_t>(ft.dwHighDateTime) << 32) | ft.dwLowDateTime);
}

std::u16string SidText(const EVT_VARIANT& value) {
  try {
    if (value.SidVal != nullptr) return SidToText(value.SidVal);
    SetLastError(ERROR_INVALID_SID);
  } catch (const cmr::Win32Exception&) {
  }
  DWORD error = GetLastError();
  std::u16string bytes = BytesToHexText(static_cast<const BYTE*>(value.SidVal), value.Count);
  Trace(10, u"invalid SID: %s, error %d", bytes, error);
  return bytes;
}

}  // namespace

std::u16string BytesToHexText(const BYTE* bytes, size_t count) {
  static constexpr char16_t kDigits[] = u"0123456789ABCDEF";
  std::u16string text;
  if (bytes == nullptr) return text;
  text.reserve(count * 2);
  for (size_t i = 0; i < count; ++i) {
    text.push_back(kDigits[bytes[i] >> 4]);
    text.push_back(kDigits[bytes[i] & 0xF]);
  }
  return text;
}

std::u16string VariantToText(const EVT_VARIANT& value) {
  switch (value.Type) {
    case EvtVarTypeNull: return u"NULL";
    case EvtVarTypeString: return TextOrEmpty(value.StringVal);
    case EvtVarTypeAnsiString: return AnsiText(value.AnsiStringVal);
    case EvtVarTypeSByte: return FormatString(u"%d", static_cast<int>(value.SByteVal));
    case EvtVarTypeInt16: return FormatString(u"%d", static_cast<int>(value.Int16Val));
    case EvtVarTypeByte: return FormatString(u"%d", static_cast<int>(value.ByteVal));
    case EvtVarTypeUInt16: return FormatString(u"%d", static_cast<int>(value.UInt16Val));
    case EvtVarTypeInt32: return FormatString(u"%I32d", value.Int32Val);
    case EvtVarTypeUInt32: return FormatString(u"%I32u", value.UInt32Val);
    case EvtVarTypeInt64: return FormatString(u"%I64d", value.Int64Val);
    case EvtVarTypeUInt64: return FormatString(u"%I64u", value.UInt64Val);
    case EvtVarTypeSingle: return FormatString(u"%f", static_cast<double>(value.SingleVal));
    case EvtVarTypeDouble: return FormatString(u"%f", value.DoubleVal);
    case EvtVarTypeBoolean: return FormatString(u"%d", static_cast<int32_t>(value.BooleanVal));
    case EvtVarTypeBinary: return BytesToHexText(value.BinaryVal, value.Count);
    case EvtVarTypeGuid: return GuidText(value.GuidVal);
    case EvtVarTypeSizeT: return FormatString(u"%x", static_cast<uint32_t>(value.SizeTVal));
    case EvtVarTypeFileTime: return FileTimeToIsoText(value.FileTimeVal);
    case EvtVarTypeSysTime: return SystemTimeText(value.SysTimeVal);
    case EvtVarTypeSid: return SidText(value);
    case EvtVarTypeHexInt32: return FormatString(u"0x%I32x", value.UInt32Val);
    case EvtVarTypeHexInt64: return FormatString(u"0x%I64x", value.UInt64Val);
    default: return {};
  }
}
