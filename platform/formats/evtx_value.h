// A typed value of a Windows XML event: the value of a substitution or of a
// literal text in Binary XML, tagged with its EVT_VARIANT_TYPE so that the
// Evt* layer can build EVT_VARIANTs with the real types.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/api/evt.h"

namespace formats {

// Binary XML value types that have no EVT_VARIANT_TYPE counterpart.
inline constexpr uint8_t kEvtxBinXmlType = 0x21;  // an embedded Binary XML fragment

struct EvtxValue {
  // EVT_VARIANT_TYPE of the value, with EVT_VARIANT_TYPE_ARRAY set for arrays.
  uint8_t type = EvtVarTypeNull;
  // Integers (signed ones sign-extended), Boolean (0/1), FileTime, SizeT,
  // HexInt32/64; Single and Double as their IEEE bit patterns.
  uint64_t bits = 0;
  // String.
  std::u16string text;
  // Binary, Sid (the SID structure), Guid (16 bytes as stored, little-endian
  // fields), SysTime (the 16-byte SYSTEMTIME), AnsiString (its bytes, no NUL).
  std::vector<uint8_t> bytes;
  // Array elements, each a scalar of (type & EVT_VARIANT_TYPE_MASK).
  std::vector<EvtxValue> items;

  EVT_VARIANT_TYPE baseType() const { return static_cast<EVT_VARIANT_TYPE>(type & EVT_VARIANT_TYPE_MASK); }
  bool isArray() const { return (type & EVT_VARIANT_TYPE_ARRAY) != 0; }
  bool isNull() const { return type == EvtVarTypeNull; }

  int64_t asInt64() const { return static_cast<int64_t>(bits); }
  uint64_t asUInt64() const { return bits; }
  double asDouble() const;  // Single or Double
  GUID asGuid() const;      // Guid; zero GUID otherwise
  SYSTEMTIME asSystemTime() const;
  std::string_view asAnsi() const { return {reinterpret_cast<const char*>(bytes.data()), bytes.size()}; }

  static EvtxValue Null() { return {}; }
  static EvtxValue String(std::u16string s);
  static EvtxValue Integer(EVT_VARIANT_TYPE t, uint64_t v);  // any integer-like type
  static EvtxValue Double(double v);
  static EvtxValue Single(float v);
  static EvtxValue Boolean(bool v);
  static EvtxValue FileTime(uint64_t ft);
  static EvtxValue Guid(const GUID& g);
  static EvtxValue SystemTime(const SYSTEMTIME& st);
  static EvtxValue Sid(std::vector<uint8_t> sid);
  static EvtxValue Binary(std::vector<uint8_t> data);
  static EvtxValue Array(EVT_VARIANT_TYPE elementType, std::vector<EvtxValue> items);

  bool operator==(const EvtxValue&) const = default;
};

// Decodes the value data of a substitution of Binary XML type `binxmlType`
// (the EVT_VARIANT_TYPE numbering, 0x80 for arrays). Returns false when the
// data does not fit the type (the value is then a Binary of the raw bytes).
bool DecodeEvtxValue(uint8_t binxmlType, std::span<const uint8_t> data, EvtxValue& out);

// The size of one value of a fixed-size type (1 to 16 bytes), 0 for the
// types whose values vary in size (strings, Binary, Sid, SizeT, arrays).
constexpr size_t EvtxFixedValueSize(uint8_t type) {
  switch (type) {
    case EvtVarTypeSByte:
    case EvtVarTypeByte: return 1;
    case EvtVarTypeInt16:
    case EvtVarTypeUInt16: return 2;
    case EvtVarTypeInt32:
    case EvtVarTypeUInt32:
    case EvtVarTypeSingle:
    case EvtVarTypeBoolean:
    case EvtVarTypeHexInt32: return 4;
    case EvtVarTypeInt64:
    case EvtVarTypeUInt64:
    case EvtVarTypeDouble:
    case EvtVarTypeFileTime:
    case EvtVarTypeHexInt64: return 8;
    case EvtVarTypeGuid:
    case EvtVarTypeSysTime: return 16;
    default: return 0;
  }
}
// The size of the SID structure at `at`, 0 when none fits there.
size_t EvtxSidSize(std::span<const uint8_t> data, size_t at);

// Encodes a value as Binary XML value data (the inverse of DecodeEvtxValue).
void EncodeEvtxValue(const EvtxValue& value, std::vector<uint8_t>& out);

// The value as the text the Windows Event Log renders in event XML
// (unescaped): decimal integers, "0x%x" for hex types, "{GUID}" in upper
// case, "S-1-5-18" for SIDs, ISO 8601 UTC for FILETIME/SYSTEMTIME, upper-case
// hex for Binary, "true"/"false". Array elements are not joined; render each.
std::u16string EvtxValueText(const EvtxValue& value);
void AppendEvtxValueText(const EvtxValue& value, std::u16string& out);

// Helpers shared by the renderer and the tests.
std::u16string EvtxSidText(std::span<const uint8_t> sid);  // "S-1-5-18"; empty if malformed
bool ParseEvtxSid(std::u16string_view text, std::vector<uint8_t>& sid);
std::u16string EvtxGuidText(const GUID& g);             // "{XXXXXXXX-XXXX-...}"
bool ParseEvtxGuid(std::u16string_view text, GUID& g);  // with or without braces
std::u16string EvtxFileTimeText(uint64_t filetime);     // "2013-10-23T16:22:39.9735000Z"

// Converts a value to `target` the way EvtRender delivers System properties
// (for instance the text "4624" to UInt16). Null stays Null; a value that
// cannot be converted yields Null.
EvtxValue ConvertEvtxValue(const EvtxValue& value, EVT_VARIANT_TYPE target);

}  // namespace formats
