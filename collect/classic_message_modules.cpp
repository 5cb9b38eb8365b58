// ClassicMessageResolver: the message files of a source, found through the
// computer's registry and loaded as data files.
#include <string_view>

#include "base/error_report.h"
#include "base/exceptions.h"
#include "base/text.h"
#include "base/trace.h"
#include "collect/classic_message_resolver.h"
#include "collect/event_log_key.h"
#include "collect/log_display_name.h"
#include "collect/registry_text.h"
#include "platform/api/kernel.h"

namespace cmr {
namespace {

constexpr char16_t kPublishersPath[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WINEVT\\Publishers\\";
constexpr REGSAM kPublisherAccess = KEY_QUERY_VALUE | KEY_ENUMERATE_SUB_KEYS;

const char16_t* SourceValueName(MessageFileKind kind) {
  switch (kind) {
    case MessageFileKind::Category: return u"CategoryMessageFile";
    case MessageFileKind::Parameter: return u"ParameterMessageFile";
    default: return u"EventMessageFile";
  }
}

const char16_t* PublisherValueName(MessageFileKind kind) {
  switch (kind) {
    case MessageFileKind::Category: return u"ResourceFileName";
    case MessageFileKind::Parameter: return u"ParameterFileName";
    default: return u"MessageFileName";
  }
}

// The string value, or false when the key has no such value.
bool ReadOptionalString(HKEY key, const char16_t* name, std::u16string& text) {
  try {
    text = ReadRegistryString(key, name);
    return true;
  } catch (const Win32Exception& e) {
    if (e.Code() != ERROR_FILE_NOT_FOUND) throw;
    return false;
  }
}

std::vector<std::u16string> SplitPaths(const std::u16string& value) {
  std::vector<std::u16string> paths;
  size_t start = 0;
  for (;;) {
    size_t end = value.find(u';', start);
    std::u16string path = value.substr(start, end == std::u16string::npos ? end : end - start);
    if (!path.empty()) paths.push_back(std::move(path));
    if (end == std::u16string::npos) return paths;
    start = end + 1;
  }
}

}  // namespace

std::u16string ClassicMessageResolver::MessageFilesValue(const std::u16string& source, MessageFileKind kind) {
  HKEY sourceKey = nullptr;
  ThrowIfError(
      OpenComputerKey(computer_.c_str(), kEventLogRegistryPath + logName_ + u"\\" + source, KEY_READ, &sourceKey));
  KeyGuard sourceGuard(sourceKey);
  std::u16string value;
  if (ReadOptionalString(sourceKey, SourceValueName(kind), value)) return value;
  std::u16string guid;
  if (!ReadOptionalString(sourceKey, u"ProviderGuid", guid)) {
    throw Win32Exception(ERROR_FILE_NOT_FOUND, u"Getting resource path from registry");
  }
  HKEY publisherKey = nullptr;
  LONG status = OpenComputerKey(computer_.c_str(), kPublishersPath + guid, kPublisherAccess, &publisherKey);
  if (status == ERROR_FILE_NOT_FOUND) {
    status =
        OpenComputerKey(computer_.c_str(), kPublishersPath + guid, kPublisherAccess | KEY_WOW64_64KEY, &publisherKey);
  }
  ThrowIfError(status);
  KeyGuard publisherGuard(publisherKey);
  return ReadRegistryString(publisherKey, PublisherValueName(kind));
}

// Loads one message file: through the computer's administrative share, then
// as written, then as written with the file-system redirection off. Null
// when every attempt fails (the last error is the load's).
HMODULE ClassicMessageResolver::LoadModule(const std::u16string& path) {
  std::u16string converted;
  ThrowIfError(MapPathToComputer(computer_.empty(), computer_.c_str(), path, converted));
  SetErrorMode(SEM_FAILCRITICALERRORS);
  HMODULE module = LoadLibraryExW(converted.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  if (!module) {
    PVOID redirection = nullptr;
    bool disabled = Wow64DisableWow64FsRedirection(&redirection) != FALSE;
    module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    DWORD error = GetLastError();
    if (disabled) Wow64RevertWow64FsRedirection(redirection);
    SetLastError(error);
  }
  return module;
}

ClassicMessageResolver::Modules ClassicMessageResolver::LoadMessageModules(const std::u16string& source,
                                                                           MessageFileKind kind) {
  Modules modules;
  try {
    for (const std::u16string& path : SplitPaths(MessageFilesValue(source, kind))) {
      HMODULE module = LoadModule(path);
      if (module) {
        modules.push_back(module);
      } else if (Tracer::Instance().WouldWrite(20)) {
        Trace(20, u"Failed to load resource library '%s': %s", path, Win32ErrorText(GetLastError()));
      }
    }
  } catch (const Win32Exception& e) {
    for (HMODULE module : modules) FreeLibrary(module);
    modules.clear();
    if (Tracer::Instance().WouldWrite(20)) {
      Trace(20, u"Failed to get resource handle for '%s': %s", source, e.FullText());
    }
    SetLastError(static_cast<DWORD>(e.Code()));
  }
  return modules;
}

}  // namespace cmr
