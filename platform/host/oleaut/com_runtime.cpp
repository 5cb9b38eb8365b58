// COM runtime services: task memory, GUID text, ProgID lookup and apartment
// set-up (every thread may use COM without initialising it).
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/api/com.h"
#include "platform/api/kernel.h"
#include "platform/api/registry.h"
#include "platform/formats/hex_digit.h"
#include "platform/host/faults/faults.h"

namespace {

constexpr int kGuidChars = 38;  // "{8-4-4-4-12}" without the terminating null

const char16_t kHex[] = u"0123456789ABCDEF";

void PutHex(char16_t*& out, uint64_t value, int digits) {
  for (int i = digits - 1; i >= 0; --i) *out++ = kHex[(value >> (4 * i)) & 0xF];
}

bool ReadHex(const char16_t*& in, int digits, uint64_t& value) {
  value = 0;
  for (int i = 0; i < digits; ++i) {
    int d = formats::HexDigit(*in++);
    if (d < 0) return false;
    value = (value << 4) | static_cast<uint64_t>(d);
  }
  return true;
}

// Parses exactly "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" (either case).
bool ParseGuid(const char16_t* text, GUID& guid) {
  if (!text) return false;
  size_t n = 0;
  while (text[n] && n <= kGuidChars) ++n;
  if (n != kGuidChars) return false;
  const char16_t* in = text;
  uint64_t d1, d2, d3, d4, d5;
  if (*in++ != u'{' || !ReadHex(in, 8, d1) || *in++ != u'-' || !ReadHex(in, 4, d2) || *in++ != u'-' ||
      !ReadHex(in, 4, d3) || *in++ != u'-' || !ReadHex(in, 4, d4) || *in++ != u'-' || !ReadHex(in, 12, d5) ||
      *in != u'}')
    return false;
  guid.Data1 = static_cast<uint32_t>(d1);
  guid.Data2 = static_cast<uint16_t>(d2);
  guid.Data3 = static_cast<uint16_t>(d3);
  guid.Data4[0] = static_cast<uint8_t>(d4 >> 8);
  guid.Data4[1] = static_cast<uint8_t>(d4);
  for (int i = 0; i < 6; ++i) guid.Data4[2 + i] = static_cast<uint8_t>(d5 >> (8 * (5 - i)));
  return true;
}

HRESULT GuidToTaskMemText(REFGUID guid, LPWSTR* text) {
  if (!text) return E_INVALIDARG;
  *text = static_cast<LPWSTR>(CoTaskMemAlloc((kGuidChars + 1) * sizeof(WCHAR)));
  if (!*text) return E_OUTOFMEMORY;
  StringFromGUID2(guid, *text, kGuidChars + 1);
  return S_OK;
}

// HKEY_CLASSES_ROOT\<progId>\CLSID's default value.
HRESULT ClsidFromProgId(LPCWSTR progId, CLSID* clsid) {
  std::u16string path(progId);
  path += u"\\CLSID";
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return CO_E_CLASSSTRING;
  WCHAR buffer[kGuidChars + 8] = {};
  DWORD size = sizeof(buffer) - sizeof(WCHAR);
  DWORD type = 0;
  LONG status = RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<LPBYTE>(buffer), &size);
  RegCloseKey(key);
  if (status != ERROR_SUCCESS || type != REG_SZ || !ParseGuid(buffer, *clsid)) return CO_E_CLASSSTRING;
  return S_OK;
}

}  // namespace

LPVOID CoTaskMemAlloc(SIZE_T bytes) {
  if (HOST_FAULT("CoTaskMemAlloc")) return nullptr;
  return std::malloc(bytes ? bytes : 1);
}

LPVOID CoTaskMemRealloc(LPVOID memory, SIZE_T bytes) { return std::realloc(memory, bytes ? bytes : 1); }

void CoTaskMemFree(LPVOID memory) { std::free(memory); }

int StringFromGUID2(REFGUID guid, LPWSTR buffer, int size) {
  if (!buffer || size < kGuidChars + 1) return 0;
  char16_t* out = buffer;
  *out++ = u'{';
  PutHex(out, guid.Data1, 8);
  *out++ = u'-';
  PutHex(out, guid.Data2, 4);
  *out++ = u'-';
  PutHex(out, guid.Data3, 4);
  *out++ = u'-';
  for (int i = 0; i < 8; ++i) {
    if (i == 2) *out++ = u'-';
    PutHex(out, guid.Data4[i], 2);
  }
  *out++ = u'}';
  *out = 0;
  return kGuidChars + 1;
}

HRESULT StringFromCLSID(REFCLSID clsid, LPWSTR* text) { return GuidToTaskMemText(clsid, text); }

HRESULT StringFromIID(REFIID iid, LPWSTR* text) { return GuidToTaskMemText(iid, text); }

HRESULT CLSIDFromString(LPCWSTR text, CLSID* clsid) {
  if (!clsid) return E_INVALIDARG;
  if (!text || !*text) {
    *clsid = GUID_NULL;
    return S_OK;
  }
  if (ParseGuid(text, *clsid)) return S_OK;
  if (text[0] == u'{') return CO_E_CLASSSTRING;
  return ClsidFromProgId(text, clsid);
}

HRESULT CLSIDFromProgID(const WCHAR* progId, CLSID* clsid) {
  if (!progId || !clsid) return E_INVALIDARG;
  return ClsidFromProgId(progId, clsid);
}

HRESULT IIDFromString(LPCWSTR text, IID* iid) {
  if (!iid) return E_INVALIDARG;
  if (!text) {
    *iid = GUID_NULL;
    return S_OK;
  }
  return ParseGuid(text, *iid) ? S_OK : E_INVALIDARG;
}

HRESULT CoCreateGuid(GUID* guid) {
  if (DWORD e = HOST_FAULT("CoCreateGuid")) return host::FaultHResult(e);
  if (!guid) return E_INVALIDARG;
  return UuidCreate(guid) == 0 ? S_OK : E_FAIL;
}

HRESULT CoInitialize(LPVOID) { return S_OK; }

HRESULT CoInitializeEx(LPVOID, DWORD) { return S_OK; }

void CoUninitialize() {}
