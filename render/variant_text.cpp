#include "render/variant_text.h"

#include <vector>

#include "base/exceptions.h"
#include "base/format.h"
#include "base/trace.h"
#include "platform/api/kernel.h"
#include "platform/api/wide.h"
#include "render/number_text.h"
#include "render/sid_cache.h"
#include "render/time_text.h"

namespace cmr {

namespace {

std::u16string AnsiText(LPCSTR text) {
  if (text == nullptr) return {};
  int chars = MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, nullptr, 0);
  if (chars <= 0) return {};
  std::vector<WCHAR> buffer(static_cast<size_t>(chars));
  chars = MultiByteToWideChar(CP_THREAD_ACP, 0, text, -1, buffer.data(), chars);
  if (chars <= 0) return {};
  return std::u16string(plat::U(buffer.data()));
}

// "%08X-%04X-%04X-%02X%02X-%02X%02X%02X%02X%02X%02X", no braces.
char16_t* PutGuidText(char16_t* out, const GUID* g) {
  if (g == nullptr) return out;
  out = PutHexDigits(out, g->Data1, 8);
  *out++ = u'-';
  out = PutHexDigits(out, g->Data2, 4);
  *out++ = u'-';
  out = PutHexDigits(out, g->Data3, 4);
  for (int i = 0; i < 8; ++i) {
    if (i == 0 || i == 2) *out++ = u'-';
    out = PutHexDigits(out, g->Data4[i], 2);
  }
  return out;
}

char16_t* PutPrefixedHex(char16_t* out, uint64_t value) {
  *out++ = u'0';
  *out++ = u'x';
  return PutHex(out, value);
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
  VariantTextScratch scratch;
  std::u16string_view text = VariantTextView(value, scratch);
  if (text.data() == scratch.text.data()) return std::move(scratch.text);
  return std::u16string(text);
}

std::u16string_view VariantTextView(const EVT_VARIANT& value, VariantTextScratch& scratch) {
  char16_t* units = scratch.units;
  auto made = [units](const char16_t* end) { return std::u16string_view(units, static_cast<size_t>(end - units)); };
  auto text = [&scratch](std::u16string made) -> std::u16string_view { return scratch.text = std::move(made); };
  switch (value.Type) {
    case EvtVarTypeString:
      return value.StringVal != nullptr ? std::u16string_view(plat::U(value.StringVal)) : std::u16string_view();
    case EvtVarTypeNull: return u"NULL";
    case EvtVarTypeAnsiString: return text(AnsiText(value.AnsiStringVal));
    case EvtVarTypeSByte: return made(PutSigned(units, value.SByteVal));
    case EvtVarTypeInt16: return made(PutSigned(units, value.Int16Val));
    case EvtVarTypeByte: return made(PutUnsigned(units, value.ByteVal));
    case EvtVarTypeUInt16: return made(PutUnsigned(units, value.UInt16Val));
    case EvtVarTypeInt32: return made(PutSigned(units, value.Int32Val));
    case EvtVarTypeUInt32: return made(PutUnsigned(units, value.UInt32Val));
    case EvtVarTypeInt64: return made(PutSigned(units, value.Int64Val));
    case EvtVarTypeUInt64: return made(PutUnsigned(units, value.UInt64Val));
    case EvtVarTypeSingle: return text(FormatString(u"%f", static_cast<double>(value.SingleVal)));
    case EvtVarTypeDouble: return text(FormatString(u"%f", value.DoubleVal));
    case EvtVarTypeBoolean: return made(PutSigned(units, value.BooleanVal));
    case EvtVarTypeBinary: return text(BytesToHexText(value.BinaryVal, value.Count));
    case EvtVarTypeGuid: return made(PutGuidText(units, value.GuidVal));
    case EvtVarTypeSizeT: return made(PutHex(units, static_cast<uint32_t>(value.SizeTVal)));
    case EvtVarTypeFileTime: return text(FileTimeToIsoText(value.FileTimeVal));
    case EvtVarTypeSysTime: return text(SystemTimeText(value.SysTimeVal));
    case EvtVarTypeSid: return text(SidText(value));
    case EvtVarTypeHexInt32: return made(PutPrefixedHex(units, value.UInt32Val));
    case EvtVarTypeHexInt64: return made(PutPrefixedHex(units, value.UInt64Val));
    default: return {};
  }
}

}  // namespace cmr
