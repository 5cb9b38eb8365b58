#include "platform/formats/evtx_value.h"

#include <bit>
#include <charconv>
#include <cstring>

#include "platform/formats/evtx_bytes.h"

namespace formats {

size_t EvtxSidSize(std::span<const uint8_t> d, size_t at) {
  if (!EvtxFits(d, at, 8) || d[at] != 1) return 0;
  size_t size = 8 + 4 * static_cast<size_t>(d[at + 1]);
  return EvtxFits(d, at, size) ? size : 0;
}

namespace {

bool IsSigned(uint8_t t) {
  return t == EvtVarTypeSByte || t == EvtVarTypeInt16 || t == EvtVarTypeInt32 || t == EvtVarTypeInt64;
}

// Decodes one fixed-size scalar of `size` bytes into `v` (bits or bytes).
void DecodeFixedScalar(uint8_t t, const uint8_t* p, size_t size, EvtxValue& v) {
  v.type = t;
  if (t == EvtVarTypeGuid || t == EvtVarTypeSysTime) {
    v.bytes.assign(p, p + size);
    return;
  }
  uint64_t raw = 0;
  std::memcpy(&raw, p, size);
  if (IsSigned(t) && size < 8) {
    unsigned shift = static_cast<unsigned>(64 - size * 8);
    raw = static_cast<uint64_t>(static_cast<int64_t>(raw << shift) >> shift);
  }
  if (t == EvtVarTypeBoolean) raw = raw != 0;
  v.bits = raw;
}

void StripNuls(std::u16string& s) {
  while (!s.empty() && s.back() == 0) s.pop_back();
}

bool DecodeStringArray(std::span<const uint8_t> data, EvtxValue& out) {
  if (data.size() % 2) return false;
  std::u16string all;
  EvtxLoadUtf16(data, 0, data.size() / 2, all);
  if (!all.empty() && all.back() == 0) all.pop_back();
  size_t start = 0;
  while (start <= all.size() && !all.empty()) {
    size_t end = all.find(u'\0', start);
    if (end == std::u16string::npos) end = all.size();
    out.items.push_back(EvtxValue::String(all.substr(start, end - start)));
    start = end + 1;
  }
  return true;
}

bool DecodeAnsiArray(std::span<const uint8_t> data, EvtxValue& out) {
  size_t start = 0, n = data.size();
  if (n && data[n - 1] == 0) --n;
  while (start <= n && data.size()) {
    size_t end = start;
    while (end < n && data[end] != 0) ++end;
    EvtxValue item;
    item.type = EvtVarTypeAnsiString;
    item.bytes.assign(data.begin() + start, data.begin() + end);
    out.items.push_back(std::move(item));
    start = end + 1;
  }
  return true;
}

bool DecodeScalar(uint8_t t, std::span<const uint8_t> data, EvtxValue& out) {
  out.type = t;
  switch (t) {
    case EvtVarTypeNull: return true;
    case EvtVarTypeString:
      if (data.size() % 2) return false;
      EvtxLoadUtf16(data, 0, data.size() / 2, out.text);
      StripNuls(out.text);
      return true;
    case EvtVarTypeAnsiString:
      out.bytes.assign(data.begin(), data.end());
      while (!out.bytes.empty() && out.bytes.back() == 0) out.bytes.pop_back();
      return true;
    case EvtVarTypeBinary:
    case EvtVarTypeEvtXml:
    case kEvtxBinXmlType: out.bytes.assign(data.begin(), data.end()); return true;
    case EvtVarTypeSizeT:
      if (data.size() != 4 && data.size() != 8) return false;
      DecodeFixedScalar(EvtVarTypeUInt64, data.data(), data.size(), out);
      out.type = t;
      return true;
    case EvtVarTypeSid:
      if (EvtxSidSize(data, 0) != data.size()) return false;
      out.bytes.assign(data.begin(), data.end());
      return true;
    default: {
      size_t size = EvtxFixedValueSize(t);
      if (!size || data.size() != size) return false;
      DecodeFixedScalar(t, data.data(), size, out);
      return true;
    }
  }
}

bool DecodeArray(uint8_t t, std::span<const uint8_t> data, EvtxValue& out) {
  out.type = static_cast<uint8_t>(t | EVT_VARIANT_TYPE_ARRAY);
  if (t == EvtVarTypeString) return DecodeStringArray(data, out);
  if (t == EvtVarTypeAnsiString) return DecodeAnsiArray(data, out);
  if (t == EvtVarTypeSid) {
    for (size_t at = 0; at < data.size();) {
      size_t size = EvtxSidSize(data, at);
      if (!size) return false;
      out.items.push_back(EvtxValue::Sid({data.begin() + at, data.begin() + at + size}));
      at += size;
    }
    return true;
  }
  size_t size = t == EvtVarTypeSizeT ? (data.size() % 8 == 0 ? 8 : 4) : EvtxFixedValueSize(t);
  if (!size || data.size() % size) return false;
  out.items.reserve(data.size() / size);
  for (size_t at = 0; at < data.size(); at += size) {
    EvtxValue& item = out.items.emplace_back();
    DecodeFixedScalar(t == EvtVarTypeSizeT ? uint8_t{EvtVarTypeUInt64} : t, data.data() + at, size, item);
    item.type = t;
  }
  return true;
}

}  // namespace

double EvtxValue::asDouble() const {
  if (baseType() == EvtVarTypeSingle) return std::bit_cast<float>(static_cast<uint32_t>(bits));
  if (baseType() == EvtVarTypeDouble) return std::bit_cast<double>(bits);
  return IsSigned(baseType()) ? static_cast<double>(asInt64()) : static_cast<double>(bits);
}

GUID EvtxValue::asGuid() const {
  GUID g{};
  if (bytes.size() == 16) std::memcpy(&g, bytes.data(), 16);
  return g;
}

SYSTEMTIME EvtxValue::asSystemTime() const {
  SYSTEMTIME st{};
  if (bytes.size() == 16) std::memcpy(&st, bytes.data(), 16);
  return st;
}

EvtxValue EvtxValue::String(std::u16string s) {
  EvtxValue v;
  v.type = EvtVarTypeString;
  v.text = std::move(s);
  return v;
}

EvtxValue EvtxValue::Integer(EVT_VARIANT_TYPE t, uint64_t raw) {
  EvtxValue v;
  v.type = static_cast<uint8_t>(t);
  size_t size = t == EvtVarTypeSizeT ? 8 : EvtxFixedValueSize(static_cast<uint8_t>(t));
  if (size && size < 8) {
    unsigned shift = static_cast<unsigned>(64 - size * 8);
    raw =
        IsSigned(v.type) ? static_cast<uint64_t>(static_cast<int64_t>(raw << shift) >> shift) : (raw << shift) >> shift;
  }
  if (t == EvtVarTypeBoolean) raw = raw != 0;
  v.bits = raw;
  return v;
}

EvtxValue EvtxValue::Double(double d) {
  EvtxValue v;
  v.type = EvtVarTypeDouble;
  v.bits = std::bit_cast<uint64_t>(d);
  return v;
}

EvtxValue EvtxValue::Single(float f) {
  EvtxValue v;
  v.type = EvtVarTypeSingle;
  v.bits = std::bit_cast<uint32_t>(f);
  return v;
}

EvtxValue EvtxValue::Boolean(bool b) { return Integer(EvtVarTypeBoolean, b ? 1 : 0); }
EvtxValue EvtxValue::FileTime(uint64_t ft) { return Integer(EvtVarTypeFileTime, ft); }

EvtxValue EvtxValue::Guid(const GUID& g) {
  EvtxValue v;
  v.type = EvtVarTypeGuid;
  v.bytes.resize(16);
  std::memcpy(v.bytes.data(), &g, 16);
  return v;
}

EvtxValue EvtxValue::SystemTime(const SYSTEMTIME& st) {
  EvtxValue v;
  v.type = EvtVarTypeSysTime;
  v.bytes.resize(16);
  std::memcpy(v.bytes.data(), &st, 16);
  return v;
}

EvtxValue EvtxValue::Sid(std::vector<uint8_t> sid) {
  EvtxValue v;
  v.type = EvtVarTypeSid;
  v.bytes = std::move(sid);
  return v;
}

EvtxValue EvtxValue::Binary(std::vector<uint8_t> data) {
  EvtxValue v;
  v.type = EvtVarTypeBinary;
  v.bytes = std::move(data);
  return v;
}

EvtxValue EvtxValue::Array(EVT_VARIANT_TYPE elementType, std::vector<EvtxValue> items) {
  EvtxValue v;
  v.type = static_cast<uint8_t>(elementType | EVT_VARIANT_TYPE_ARRAY);
  v.items = std::move(items);
  return v;
}

bool DecodeEvtxValue(uint8_t binxmlType, std::span<const uint8_t> data, EvtxValue& out) {
  out.type = EvtVarTypeNull;
  out.bits = 0;
  out.text.clear();
  out.bytes.clear();
  out.items.clear();
  uint8_t t = binxmlType & EVT_VARIANT_TYPE_MASK;
  bool ok = (binxmlType & EVT_VARIANT_TYPE_ARRAY) ? DecodeArray(t, data, out) : DecodeScalar(t, data, out);
  if (!ok) out = EvtxValue::Binary({data.begin(), data.end()});
  return ok;
}

void EncodeEvtxValue(const EvtxValue& v, std::vector<uint8_t>& out) {
  if (v.isArray()) {
    for (const EvtxValue& item : v.items) {
      EncodeEvtxValue(item, out);
      if (item.baseType() == EvtVarTypeString) EvtxAppend<uint16_t>(out, 0);
      if (item.baseType() == EvtVarTypeAnsiString) out.push_back(0);
    }
    return;
  }
  switch (v.baseType()) {
    case EvtVarTypeNull: return;
    case EvtVarTypeString: EvtxAppendUtf16(out, v.text); return;
    case EvtVarTypeSizeT: EvtxAppend<uint64_t>(out, v.bits); return;
    default: {
      size_t size = EvtxFixedValueSize(v.baseType());
      if (size && size <= 8) {
        size_t at = out.size();
        out.resize(at + size);
        std::memcpy(out.data() + at, &v.bits, size);
      } else {
        out.insert(out.end(), v.bytes.begin(), v.bytes.end());
      }
    }
  }
}

}  // namespace formats
