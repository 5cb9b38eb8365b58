// ClassicMessageResolver: lookups through the cached modules, the %%n
// expansion and the description entries.
#include "collect/classic_message_resolver.h"

#include "platform/api/kernel.h"
#include "platform/api/wide.h"
#include "render/description_entry.h"
#include "render/parameter_expansion.h"

namespace cmr {
namespace {

constexpr DWORD kLookupFlags =
    FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_IGNORE_INSERTS | FORMAT_MESSAGE_ALLOCATE_BUFFER;

bool IsLanguageError(DWORD error) {
  return error == ERROR_RESOURCE_LANG_NOT_FOUND || (error >= 15100 && error <= 15199);
}

// The raw text of message `id` of one module in `language`.
bool FormatModuleMessage(HMODULE module, DWORD id, DWORD language, std::u16string& text) {
  LPWSTR buffer = nullptr;
  DWORD length = FormatMessageW(kLookupFlags, module, id, language, reinterpret_cast<LPWSTR>(&buffer), 0, nullptr);
  if (length == 0) return false;
  text.assign(plat::U(buffer), length);
  LocalFree(buffer);
  return true;
}

}  // namespace

ClassicMessageResolver::ClassicMessageResolver(std::u16string computer, std::u16string logName)
    : computer_(std::move(computer)), logName_(std::move(logName)) {}

ClassicMessageResolver::~ClassicMessageResolver() {
  for (auto& [source, kinds] : modules_) {
    for (auto& [kind, modules] : kinds) {
      for (HMODULE module : modules) FreeLibrary(module);
    }
  }
}

const ClassicMessageResolver::Modules& ClassicMessageResolver::ModulesFor(const std::u16string& source,
                                                                          MessageFileKind kind) {
  auto& kinds = modules_[source];
  auto it = kinds.find(kind);
  if (it == kinds.end()) it = kinds.emplace(kind, LoadMessageModules(source, kind)).first;
  return it->second;
}

bool ClassicMessageResolver::LookUp(const Modules& modules, DWORD id, std::u16string& text) const {
  for (HMODULE module : modules) {
    if (FormatModuleMessage(module, id, language_, text)) return true;
    if (IsLanguageError(GetLastError()) && FormatModuleMessage(module, id, 0, text)) return true;
  }
  return false;
}

bool ClassicMessageResolver::GetMessageText(const std::u16string& source, MessageFileKind kind, DWORD id,
                                            std::u16string& text) {
  auto& texts = texts_[source];
  auto cached = texts.find(id);
  if (cached == texts.end()) {
    const Modules& modules = ModulesFor(source, kind);
    std::u16string found;
    if (!LookUp(modules, id, found) && kind == MessageFileKind::Event && (id >> 16) != 0) {
      LookUp(modules, id & 0xFFFF, found);
    }
    cached = texts.emplace(id, std::move(found)).first;
  }
  if (cached->second.empty()) {
    SetLastError(ERROR_FILE_NOT_FOUND);
    return false;
  }
  text = cached->second;
  return true;
}

std::u16string ClassicMessageResolver::ExpandParameters(const std::u16string& source, const std::u16string& text) {
  std::u16string expanded = ExpandParameterReferences(text, [&](int32_t n, std::u16string& message) {
    return GetMessageText(source, MessageFileKind::Parameter, static_cast<DWORD>(n), message);
  });
  SetLastError(0);
  return expanded;
}

void ClassicMessageResolver::WriteDescription(EventFileWriter& writer, const std::u16string& source, DWORD eventId) {
  std::u16string text;
  if (GetMessageText(source, MessageFileKind::Event, eventId, text)) text = ExpandParameters(source, text);
  WriteDescriptionEntry(writer, source, FieldForm::AsIs, eventId, text);
}

}  // namespace cmr
