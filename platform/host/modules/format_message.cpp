// FormatMessageW over the system message table, the registered module
// lookup (message resources) and caller strings.
#include <cstdlib>
#include <cstring>

#include "platform/api/kernel.h"
#include "platform/host/faults/faults.h"
#include "platform/host/modules/message_inserts.h"
#include "platform/host/modules/message_modules.h"
#include "platform/host/modules/system_messages.h"

namespace host {
namespace {

ModuleMessageLookup g_moduleLookup = nullptr;

bool IsEnglishOrNeutral(DWORD languageId) {
  WORD primary = PRIMARYLANGID(languageId);
  return languageId == 0 || primary == LANG_NEUTRAL || primary == LANG_ENGLISH;
}

DWORD SystemText(DWORD id, DWORD languageId, std::u16string* text) {
  if (!IsEnglishOrNeutral(languageId)) return ERROR_RESOURCE_LANG_NOT_FOUND;
  const char16_t* found = SystemMessageText(id);
  if (!found) return ERROR_MR_MID_NOT_FOUND;
  *text = found;
  text->append(u"\r\n");
  return 0;
}

DWORD SourceText(DWORD flags, LPCVOID source, DWORD id, DWORD languageId, std::u16string* text) {
  if (flags & FORMAT_MESSAGE_FROM_STRING) {
    if (!source) return ERROR_INVALID_PARAMETER;
    *text = static_cast<const char16_t*>(source);
    return 0;
  }
  DWORD error = ERROR_INVALID_PARAMETER;
  if (flags & FORMAT_MESSAGE_FROM_HMODULE) {
    error = g_moduleLookup ? g_moduleLookup(static_cast<HMODULE>(const_cast<void*>(source)), id, languageId, text)
                           : ERROR_RESOURCE_TYPE_NOT_FOUND;
    if (error == 0) return 0;
  }
  if (flags & FORMAT_MESSAGE_FROM_SYSTEM) error = SystemText(id, languageId, text);
  return error;
}

DWORD Deliver(DWORD flags, const std::u16string& text, LPWSTR buffer, DWORD size) {
  size_t chars = text.size() + 1;
  if (flags & FORMAT_MESSAGE_ALLOCATE_BUFFER) {
    if (!buffer) return ERROR_INVALID_PARAMETER;
    size_t alloc = chars > size ? chars : size;
    auto* p = static_cast<char16_t*>(LocalAlloc(LMEM_FIXED, alloc * sizeof(char16_t)));
    if (!p) return ERROR_NOT_ENOUGH_MEMORY;
    std::memcpy(p, text.c_str(), chars * sizeof(char16_t));
    *reinterpret_cast<LPWSTR*>(buffer) = p;
    return 0;
  }
  if (!buffer) return ERROR_INVALID_PARAMETER;
  if (chars > size) return ERROR_INSUFFICIENT_BUFFER;
  std::memcpy(buffer, text.c_str(), chars * sizeof(char16_t));
  return 0;
}

}  // namespace

void SetModuleMessageLookup(ModuleMessageLookup lookup) { g_moduleLookup = lookup; }
ModuleMessageLookup GetModuleMessageLookup() { return g_moduleLookup; }

}  // namespace host

DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer, DWORD size,
                     va_list* arguments) {
  HOST_FAULT_RETURN("FormatMessageW", 0);
  std::u16string raw;
  if (DWORD e = host::SourceText(flags, source, messageId, languageId, &raw)) {
    SetLastError(e);
    return 0;
  }
  host::InsertArguments args;
  args.ignore = (flags & FORMAT_MESSAGE_IGNORE_INSERTS) != 0;
  if (flags & FORMAT_MESSAGE_ARGUMENT_ARRAY) args.array = reinterpret_cast<const DWORD_PTR*>(arguments);
  else args.list = arguments;
  std::u16string text;
  DWORD e = host::ExpandMessage(raw, args, &text);
  if (!e) e = host::Deliver(flags, text, buffer, size);
  if (e) {
    SetLastError(e);
    return 0;
  }
  return static_cast<DWORD>(text.size());
}

HLOCAL LocalAlloc(UINT flags, SIZE_T bytes) {
  HOST_FAULT_RETURN("LocalAlloc", nullptr);
  void* p = (flags & LMEM_ZEROINIT) ? std::calloc(bytes ? bytes : 1, 1) : std::malloc(bytes ? bytes : 1);
  if (!p) SetLastError(ERROR_NOT_ENOUGH_MEMORY);
  return p;
}

HLOCAL LocalFree(HLOCAL mem) {
  std::free(mem);
  return nullptr;
}
