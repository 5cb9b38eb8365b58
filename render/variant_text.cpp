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
void AppendGuidText(std::u16string& text, const GUID* g) {
  if (g == nullptr) return;
  AppendHexDigits(text, g->Data1, 8);
  text.push_back(u'-');
  AppendHexDigits(text, g->Data2, 4);
  text.push_back(u'-');
  AppendHexDigits(text, g->Data3, 4);
  for (int i = 0; i < 8; ++i) {
    if (i == 0 || i == 2) text.push_back(u'-');
    AppendHexDigits(text, g->Data4[i], 2);
  }
}

void AppendPrefixedHex(std::u16string& text, uint64_t value) {
  text.append(u"0x");
  AppendHex(text, value);
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
  std::u16string scratch;
  std::u16string_view text = VariantTextView(value, scratch);
  return value.Type == EvtVarTypeString ? std::u16string(text) : scratch;
}

std::u16string_view VariantTextView(const EVT_VARIANT& value, std::u16string& scratch) {
  if (value.Type == EvtVarTypeString) {
    return value.StringVal != nullptr ? std::u16string_view(value.StringVal) : std::u16string_view();
  }
  scratch.clear();
  switch (value.Type) {
    case EvtVarTypeNull: scratch.append(u"NULL"); break;
    case EvtVarTypeAnsiString: scratch.append(AnsiText(value.AnsiStringVal)); break;
    case EvtVarTypeSByte: AppendSigned(scratch, value.SByteVal); break;
    case EvtVarTypeInt16: AppendSigned(scratch, value.Int16Val); break;
    case EvtVarTypeByte: AppendUnsigned(scratch, value.ByteVal); break;
    case EvtVarTypeUInt16: AppendUnsigned(scratch, value.UInt16Val); break;
    case EvtVarTypeInt32: AppendSigned(scratch, value.Int32Val); break;
    case EvtVarTypeUInt32: AppendUnsigned(scratch, value.UInt32Val); break;
    case EvtVarTypeInt64: AppendSigned(scratch, value.Int64Val); break;
    case EvtVarTypeUInt64: AppendUnsigned(scratch, value.UInt64Val); break;
    case EvtVarTypeSingle: scratch.append(FormatString(u"%f", static_cast<double>(value.SingleVal))); break;
    case EvtVarTypeDouble: scratch.append(FormatString(u"%f", value.DoubleVal)); break;
    case EvtVarTypeBoolean: AppendSigned(scratch, value.BooleanVal); break;
    case EvtVarTypeBinary: scratch.append(BytesToHexText(value.BinaryVal, value.Count)); break;
    case EvtVarTypeGuid: AppendGuidText(scratch, value.GuidVal); break;
    case EvtVarTypeSizeT: AppendHex(scratch, static_cast<uint32_t>(value.SizeTVal)); break;
    case EvtVarTypeFileTime: scratch.append(FileTimeToIsoText(value.FileTimeVal)); break;
    case EvtVarTypeSysTime: scratch.append(SystemTimeText(value.SysTimeVal)); break;
    case EvtVarTypeSid: scratch.append(SidText(value)); break;
    case EvtVarTypeHexInt32: AppendPrefixedHex(scratch, value.UInt32Val); break;
    case EvtVarTypeHexInt64: AppendPrefixedHex(scratch, value.UInt64Val); break;
    default: break;
  }
  return scratch;
}
