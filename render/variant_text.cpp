#include "render/variant_text.h"

#include <vector>

#include "base/format.h"
#include "base/trace.h"
#include "platform/api/kernel.h"
#include "base/exceptions.h"
#include "render/sid_cache.h"
#include "render/number_text.h"
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

// "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", no braces.
std::u16string GuidText(const GUID* g) {
  if (g == nullptr) return {};
  std::u16string text;
  text.reserve(36);
  AppendHexDigits(text, g->Data1, 8);
  text.push_back(u'-');
  AppendHexDigits(text, g->Data2, 4);
  text.push_back(u'-');
  AppendHexDigits(text, g->Data3, 4);
  for (int i = 0; i < 8; ++i) {
    if (i == 0 || i == 2) text.push_back(u'-');
    AppendHexDigits(text, g->Data4[i], 2);
  }
  return text;
}

std::u16string Signed(int64_t value) {
  std::u16string text;
  AppendSigned(text, value);
  return text;
}

std::u16string Unsigned(uint64_t value) {
  std::u16string text;
  AppendUnsigned(text, value);
  return text;
}

std::u16string Hex(const char16_t* prefix, uint64_t value) {
  std::u16string text(prefix);
  AppendHex(text, value);
  return text;
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
    case EvtVarTypeSByte: return Signed(value.SByteVal);
    case EvtVarTypeInt16: return Signed(value.Int16Val);
    case EvtVarTypeByte: return Unsigned(value.ByteVal);
    case EvtVarTypeUInt16: return Unsigned(value.UInt16Val);
    case EvtVarTypeInt32: return Signed(value.Int32Val);
    case EvtVarTypeUInt32: return Unsigned(value.UInt32Val);
    case EvtVarTypeInt64: return Signed(value.Int64Val);
    case EvtVarTypeUInt64: return Unsigned(value.UInt64Val);
    case EvtVarTypeSingle: return FormatString(u"%f", static_cast<double>(value.SingleVal));
    case EvtVarTypeDouble: return FormatString(u"%f", value.DoubleVal);
    case EvtVarTypeBoolean: return Signed(value.BooleanVal);
    case EvtVarTypeBinary: return BytesToHexText(value.BinaryVal, value.Count);
    case EvtVarTypeGuid: return GuidText(value.GuidVal);
    case EvtVarTypeSizeT: return Hex(u"", static_cast<uint32_t>(value.SizeTVal));
    case EvtVarTypeFileTime: return FileTimeToIsoText(value.FileTimeVal);
    case EvtVarTypeSysTime: return SystemTimeText(value.SysTimeVal);
    case EvtVarTypeSid: return SidText(value);
    case EvtVarTypeHexInt32: return Hex(u"0x", value.UInt32Val);
    case EvtVarTypeHexInt64: return Hex(u"0x", value.UInt64Val);
    default: return {};
  }
}
