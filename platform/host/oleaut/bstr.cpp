// BSTR allocation: a 4-byte byte count, the characters, then a terminating
// null character. The pointer handed out points at the characters.
#include <climits>
#include <cstdlib>
#include <cstring>

#include "platform/api/oleauto.h"
#include "platform/host/faults/faults.h"

namespace {

constexpr size_t kPrefix = sizeof(uint32_t);
constexpr UINT kMaxBytes = UINT_MAX - 2 * sizeof(OLECHAR) - kPrefix;

uint32_t* PrefixOf(BSTR bstr) { return reinterpret_cast<uint32_t*>(reinterpret_cast<char*>(bstr) - kPrefix); }

// A block for `bytes` bytes of text, filled from `data` when given, always
// followed by a null character (two zero bytes, plus one for an odd count).
BSTR AllocateBytes(const void* data, UINT bytes) {
  if (bytes > kMaxBytes) return nullptr;
  size_t total = kPrefix + bytes + 2 * sizeof(OLECHAR);
  auto* block = static_cast<char*>(std::malloc(total));
  if (!block) return nullptr;
  uint32_t count = bytes;
  std::memcpy(block, &count, kPrefix);
  char* text = block + kPrefix;
  if (data) std::memcpy(text, data, bytes);
  else std::memset(text, 0, bytes);
  std::memset(text + bytes, 0, 2 * sizeof(OLECHAR));
  return reinterpret_cast<BSTR>(text);
}

UINT TextLength(const OLECHAR* text) {
  UINT n = 0;
  while (text[n]) ++n;
  return n;
}

}  // namespace

BSTR SysAllocString(const OLECHAR* text) {
  if (!text || HOST_FAULT("SysAllocString")) return nullptr;
  return AllocateBytes(text, TextLength(text) * sizeof(OLECHAR));
}

BSTR SysAllocStringLen(const OLECHAR* text, UINT length) {
  if (HOST_FAULT("SysAllocStringLen")) return nullptr;
  if (length > kMaxBytes / sizeof(OLECHAR)) return nullptr;
  return AllocateBytes(text, length * sizeof(OLECHAR));
}

BSTR SysAllocStringByteLen(LPCSTR bytes, UINT length) {
  if (HOST_FAULT("SysAllocStringByteLen")) return nullptr;
  return AllocateBytes(bytes, length);
}

INT SysReAllocString(BSTR* bstr, const OLECHAR* text) {
  if (!bstr) return FALSE;
  BSTR fresh = text ? AllocateBytes(text, TextLength(text) * sizeof(OLECHAR)) : AllocateBytes(nullptr, 0);
  if (!fresh) return FALSE;
  SysFreeString(*bstr);
  *bstr = fresh;
  return TRUE;
}

INT SysReAllocStringLen(BSTR* bstr, const OLECHAR* text, UINT length) {
  if (!bstr || length > kMaxBytes / sizeof(OLECHAR)) return FALSE;
  BSTR fresh = AllocateBytes(text, length * sizeof(OLECHAR));
  if (!fresh) return FALSE;
  SysFreeString(*bstr);
  *bstr = fresh;
  return TRUE;
}

void SysFreeString(BSTR bstr) {
  if (bstr) std::free(PrefixOf(bstr));
}

UINT SysStringLen(BSTR bstr) { return bstr ? *PrefixOf(bstr) / sizeof(OLECHAR) : 0; }

UINT SysStringByteLen(BSTR bstr) { return bstr ? *PrefixOf(bstr) : 0; }
