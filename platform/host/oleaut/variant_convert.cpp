// VariantChangeType: the conversions between empty, numbers, VT_BOOL, VT_BSTR
// and interfaces that Automation clients and the dispatcher rely on.
// Floating-point values round half to even when they become integers; a
// value outside the target's range gives DISP_E_OVERFLOW, text that is no
// number DISP_E_TYPEMISMATCH.
#include <cerrno>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>

#include "platform/api/oleauto.h"
#include "platform/api/utf.h"
#include "platform/host/faults/faults.h"
#include "platform/host/oleaut/variant_types.h"

namespace {

// A number on its way between types.
struct Number {
  bool isFloat = false;
  bool negative = false;  // for integers: the value is -magnitude
  uint64_t magnitude = 0;
  double real = 0;

  static Number Signed(int64_t v) {
    Number n;
    n.negative = v < 0;
    n.magnitude = v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
    return n;
  }
  static Number Unsigned(uint64_t v) {
    Number n;
    n.magnitude = v;
    return n;
  }
  static Number Real(double v) {
    Number n;
    n.isFloat = true;
    n.real = v;
    return n;
  }
  double AsDouble() const {
    if (isFloat) return real;
    double d = static_cast<double>(magnitude);
    return negative ? -d : d;
  }
  bool IsZero() const { return isFloat ? real == 0 : magnitude == 0; }
};

struct Range {
  int64_t min;
  uint64_t max;
};

bool IntegerRange(VARTYPE vt, Range& r) {
  switch (vt) {
    case VT_I1: r = {INT8_MIN, INT8_MAX}; return true;
    case VT_UI1: r = {0, UINT8_MAX}; return true;
    case VT_I2: r = {INT16_MIN, INT16_MAX}; return true;
    case VT_UI2: r = {0, UINT16_MAX}; return true;
    case VT_I4:
    case VT_INT: r = {INT32_MIN, INT32_MAX}; return true;
    case VT_UI4:
    case VT_UINT: r = {0, UINT32_MAX}; return true;
    case VT_I8: r = {INT64_MIN, INT64_MAX}; return true;
    case VT_UI8: r = {0, UINT64_MAX}; return true;
    default: return false;
  }
}

// The integer value of a number if it fits the range (as a two's-complement
// 64-bit pattern).
HRESULT FitInteger(const Number& n, const Range& r, uint64_t& bits) {
  if (n.isFloat) {
    if (!std::isfinite(n.real)) return DISP_E_OVERFLOW;
    double rounded = std::nearbyint(n.real);  // half to even
    if (rounded < static_cast<double>(r.min) || rounded >= static_cast<double>(r.max) + 1.0) return DISP_E_OVERFLOW;
    if (rounded < 0) {
      bits = static_cast<uint64_t>(static_cast<int64_t>(rounded));
    } else {
      bits = static_cast<uint64_t>(rounded);
      if (bits > r.max) return DISP_E_OVERFLOW;
    }
    return S_OK;
  }
  if (n.negative) {
    uint64_t limit = 0 - static_cast<uint64_t>(r.min);  // magnitude of the minimum
    if (r.min == 0 || n.magnitude > limit) return DISP_E_OVERFLOW;
    bits = 0 - n.magnitude;
    return S_OK;
  }
  if (n.magnitude > r.max) return DISP_E_OVERFLOW;
  bits = n.magnitude;
  return S_OK;
}

void StoreInteger(VARIANT& v, VARTYPE vt, uint64_t bits) {
  v.vt = vt;
  switch (host::ValueSize(vt)) {
    case 1: v.bVal = static_cast<BYTE>(bits); break;
    case 2: v.uiVal = static_cast<USHORT>(bits); break;
    case 4: v.ulVal = static_cast<ULONG>(bits); break;
    default: v.ullVal = bits; break;
  }
}

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; }

bool EqualsAsciiNoCase(const std::u16string& text, const char* word) {
  size_t n = std::strlen(word);
  if (text.size() != n) return false;
  for (size_t i = 0; i < n; ++i) {
    char16_t c = text[i];
    if (c >= u'A' && c <= u'Z') c = static_cast<char16_t>(c - u'A' + u'a');
    if (c != static_cast<char16_t>(word[i])) return false;
  }
  return true;
}

// "&Hxx" or "&Oxx" as a 32-bit pattern, as Automation reads them.
bool ParseRadix(const std::u16string& t, Number& out) {
  if (t.size() < 3 || t[0] != u'&') return false;
  int base = (t[1] == u'H' || t[1] == u'h') ? 16 : (t[1] == u'O' || t[1] == u'o') ? 8 : 0;
  if (!base) return false;
  uint64_t value = 0;
  for (size_t i = 2; i < t.size(); ++i) {
    char16_t c = t[i];
    int d = (c >= u'0' && c <= u'9')   ? c - u'0'
            : (c >= u'a' && c <= u'f') ? c - u'a' + 10
            : (c >= u'A' && c <= u'F') ? c - u'A' + 10
                                       : 99;
    if (d >= base) return false;
    value = value * base + d;
    if (value > UINT32_MAX) return false;
  }
  out = value > INT32_MAX ? Number::Signed(static_cast<int32_t>(value)) : Number::Unsigned(value);
  return true;
}

// A number from text: blanks around, an optional sign, digits with an
// optional fraction and exponent; or &H / &O.
HRESULT ParseNumber(BSTR text, Number& out) {
  std::u16string t(text ? text : u"", SysStringLen(text));
  size_t b = 0, e = t.size();
  while (b < e && IsBlank(t[b])) ++b;
  while (e > b && IsBlank(t[e - 1])) --e;
  t = t.substr(b, e - b);
  if (ParseRadix(t, out)) return S_OK;
  std::string narrow;
  bool isFloat = false, digits = false;
  for (size_t i = 0; i < t.size(); ++i) {
    char16_t c = t[i];
    if (c >= u'0' && c <= u'9') {
      digits = true;
    } else if (c == u'.' || c == u'e' || c == u'E') {
      isFloat = true;
    } else if (!((c == u'+' || c == u'-') && (i == 0 || t[i - 1] == u'e' || t[i - 1] == u'E'))) {
      return DISP_E_TYPEMISMATCH;
    }
    narrow += static_cast<char>(c);
  }
  if (!digits) return DISP_E_TYPEMISMATCH;
  char* end = nullptr;
  errno = 0;
  if (isFloat) {
    double d = std::strtod(narrow.c_str(), &end);
    if (*end) return DISP_E_TYPEMISMATCH;
    if (errno == ERANGE && std::isinf(d)) return DISP_E_OVERFLOW;
    out = Number::Real(d);
    return S_OK;
  }
  bool negative = narrow[0] == '-';
  const char* start = narrow.c_str() + ((narrow[0] == '-' || narrow[0] == '+') ? 1 : 0);
  uint64_t magnitude = std::strtoull(start, &end, 10);
  if (*end || end == start) return DISP_E_TYPEMISMATCH;
  if (errno == ERANGE) return DISP_E_OVERFLOW;
  out = Number::Unsigned(magnitude);
  out.negative = negative && magnitude != 0;
  return S_OK;
}

HRESULT NewBstr(VARIANT& v, const std::u16string& text) {
  v.vt = VT_BSTR;
  v.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return v.bstrVal ? S_OK : E_OUTOFMEMORY;
}

std::u16string NumberText(const Number& n) {
  char buffer[64];
  if (n.isFloat) {
    std::snprintf(buffer, sizeof buffer, "%.15G", n.real);
  } else {
    std::snprintf(buffer, sizeof buffer, "%s%llu", n.negative ? "-" : "", static_cast<unsigned long long>(n.magnitude));
  }
  return plat::Utf8ToUtf16(buffer);
}

// The value of a non-reference, non-array VARIANT as a number.
HRESULT ToNumber(const VARIANT& v, Number& n) {
  switch (v.vt) {
    case VT_EMPTY: n = Number::Unsigned(0); return S_OK;
    case VT_I1: n = Number::Signed(v.cVal); return S_OK;
    case VT_UI1: n = Number::Unsigned(v.bVal); return S_OK;
    case VT_I2: n = Number::Signed(v.iVal); return S_OK;
    case VT_UI2: n = Number::Unsigned(v.uiVal); return S_OK;
    case VT_BOOL: n = Number::Signed(v.boolVal); return S_OK;
    case VT_I4:
    case VT_INT: n = Number::Signed(v.lVal); return S_OK;
    case VT_UI4:
    case VT_UINT: n = Number::Unsigned(v.ulVal); return S_OK;
    case VT_I8: n = Number::Signed(v.llVal); return S_OK;
    case VT_UI8: n = Number::Unsigned(v.ullVal); return S_OK;
    case VT_R4: n = Number::Real(v.fltVal); return S_OK;
    case VT_R8:
    case VT_DATE: n = Number::Real(v.dblVal); return S_OK;
    case VT_CY: n = Number::Real(static_cast<double>(v.cyVal.int64) / 10000.0); return S_OK;
    case VT_BSTR: return ParseNumber(v.bstrVal, n);
    default: return DISP_E_TYPEMISMATCH;
  }
}

HRESULT ToBool(const VARIANT& v, VARIANT& out) {
  out.vt = VT_BOOL;
  if (v.vt == VT_BSTR) {
    std::u16string t(v.bstrVal ? v.bstrVal : u"", SysStringLen(v.bstrVal));
    size_t b = 0, e = t.size();
    while (b < e && IsBlank(t[b])) ++b;
    while (e > b && IsBlank(t[e - 1])) --e;
    t = t.substr(b, e - b);
    if (EqualsAsciiNoCase(t, "true") || EqualsAsciiNoCase(t, "#true#")) {
      out.boolVal = VARIANT_TRUE;
      return S_OK;
    }
    if (EqualsAsciiNoCase(t, "false") || EqualsAsciiNoCase(t, "#false#")) {
      out.boolVal = VARIANT_FALSE;
      return S_OK;
    }
  }
  Number n;
  HRESULT hr = ToNumber(v, n);
  if (FAILED(hr)) return hr;
  out.boolVal = n.IsZero() ? VARIANT_FALSE : VARIANT_TRUE;
  return S_OK;
}

HRESULT ToText(const VARIANT& v, USHORT flags, VARIANT& out) {
  if (v.vt == VT_EMPTY) return NewBstr(out, u"");
  if (v.vt == VT_BOOL && (flags & (VARIANT_ALPHABOOL | VARIANT_LOCALBOOL)))
    return NewBstr(out, v.boolVal ? u"True" : u"False");
  Number n;
  HRESULT hr = ToNumber(v, n);
  if (FAILED(hr)) return hr;
  return NewBstr(out, NumberText(n));
}

HRESULT ToReal(const VARIANT& v, VARTYPE vt, VARIANT& out) {
  Number n;
  HRESULT hr = ToNumber(v, n);
  if (FAILED(hr)) return hr;
  double d = n.AsDouble();
  out.vt = vt;
  if (vt == VT_R4) {
    if (std::isfinite(d) && std::fabs(d) > FLT_MAX) return DISP_E_OVERFLOW;
    out.fltVal = static_cast<float>(d);
  } else {
    out.dblVal = d;
  }
  return S_OK;
}

HRESULT ToInterface(const VARIANT& v, VARTYPE vt, VARIANT& out) {
  out.vt = vt;
  out.punkVal = nullptr;
  if (v.vt == VT_EMPTY) return S_OK;
  if (v.vt != VT_DISPATCH && v.vt != VT_UNKNOWN) return DISP_E_TYPEMISMATCH;
  if (!v.punkVal) return S_OK;
  const IID& iid = vt == VT_DISPATCH ? IID_IDispatch : IID_IUnknown;
  HRESULT hr = v.punkVal->QueryInterface(iid, reinterpret_cast<void**>(&out.punkVal));
  return hr == E_NOINTERFACE ? DISP_E_TYPEMISMATCH : hr;
}

// An object's default value (DISPID_VALUE property), for conversion to a scalar.
HRESULT DefaultValue(const VARIANT& v, VARIANT& value) {
  VariantInit(&value);
  if (!v.pdispVal) return DISP_E_TYPEMISMATCH;
  DISPPARAMS none = {nullptr, nullptr, 0, 0};
  HRESULT hr = v.pdispVal->Invoke(DISPID_VALUE, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_PROPERTYGET, &none, &value,
                                  nullptr, nullptr);
  if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
  if (value.vt == VT_DISPATCH || value.vt == VT_UNKNOWN) {
    VariantClear(&value);
    return DISP_E_TYPEMISMATCH;
  }
  return S_OK;
}

HRESULT Convert(const VARIANT& v, USHORT flags, VARTYPE vt, VARIANT& out);

HRESULT ConvertScalar(const VARIANT& v, USHORT flags, VARTYPE vt, VARIANT& out) {
  if (v.vt == VT_DISPATCH && vt != VT_UNKNOWN) {
    if (flags & VARIANT_NOVALUEPROP) return DISP_E_TYPEMISMATCH;
    VARIANT value;
    HRESULT hr = DefaultValue(v, value);
    if (FAILED(hr)) return hr;
    hr = Convert(value, flags, vt, out);
    VariantClear(&value);
    return hr;
  }
  if (v.vt == VT_UNKNOWN || v.vt == VT_NULL || v.vt == VT_ERROR) return DISP_E_TYPEMISMATCH;
  Range range;
  if (IntegerRange(vt, range)) {
    Number n;
    HRESULT hr = ToNumber(v, n);
    if (FAILED(hr)) return hr;
    uint64_t bits = 0;
    hr = FitInteger(n, range, bits);
    if (FAILED(hr)) return hr;
    StoreInteger(out, vt, bits);
    return S_OK;
  }
  switch (vt) {
    case VT_BOOL: return ToBool(v, out);
    case VT_BSTR: return ToText(v, flags, out);
    case VT_R4:
    case VT_R8:
    case VT_DATE: return ToReal(v, vt, out);
    default: return DISP_E_TYPEMISMATCH;
  }
}

HRESULT Convert(const VARIANT& v, USHORT flags, VARTYPE vt, VARIANT& out) {
  VariantInit(&out);
  if (v.vt == vt) return VariantCopy(&out, &v);
  if ((v.vt | vt) & VT_ARRAY) return DISP_E_TYPEMISMATCH;
  switch (vt) {
    case VT_EMPTY: return v.vt == VT_NULL ? DISP_E_TYPEMISMATCH : (VariantInit(&out), S_OK);
    case VT_NULL: return DISP_E_TYPEMISMATCH;
    case VT_DISPATCH:
    case VT_UNKNOWN: return ToInterface(v, vt, out);
    default: return ConvertScalar(v, flags, vt, out);
  }
}

}  // namespace

HRESULT VariantChangeTypeEx(VARIANTARG* dest, const VARIANTARG* source, LCID, USHORT flags, VARTYPE vt) {
  if (DWORD e = HOST_FAULT("VariantChangeTypeEx")) return host::FaultHResult(e);
  if (!dest || !source) return E_INVALIDARG;
  if (!host::IsValidVariantType(source->vt) || !host::IsValidVariantType(vt) || (vt & VT_BYREF) || vt == VT_VARIANT)
    return DISP_E_BADVARTYPE;
  VARIANT value;
  VariantInit(&value);
  HRESULT hr = VariantCopyInd(&value, source);
  if (FAILED(hr)) return hr;
  VARIANT result;
  hr = Convert(value, flags, vt, result);
  VariantClear(&value);
  if (FAILED(hr)) {
    VariantClear(&result);
    return hr;
  }
  hr = VariantClear(dest);
  if (FAILED(hr)) {
    VariantClear(&result);
    return hr;
  }
  *dest = result;
  return S_OK;
}

HRESULT VariantChangeType(VARIANTARG* dest, const VARIANTARG* source, USHORT flags, VARTYPE vt) {
  return VariantChangeTypeEx(dest, source, LOCALE_USER_DEFAULT, flags, vt);
}
