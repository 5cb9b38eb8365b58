#include "render/evt_api.h"

#include <type_traits>

#include "base/exceptions.h"
#include "base/text.h"
#include "platform/api/kernel.h"
#include "platform/api/wide.h"

namespace cmr {

namespace {

// Calls visit(name, pointer member) for each function of the table, in order.
template <class Visit>
void ForEachFunction(EvtApi& a, Visit visit) {
  visit("EvtOpenSession", a.EvtOpenSession);
  visit("EvtOpenChannelEnum", a.EvtOpenChannelEnum);
  visit("EvtNextChannelPath", a.EvtNextChannelPath);
  visit("EvtOpenLog", a.EvtOpenLog);
  visit("EvtGetLogInfo", a.EvtGetLogInfo);
  visit("EvtQuery", a.EvtQuery);
  visit("EvtCreateRenderContext", a.EvtCreateRenderContext);
  visit("EvtRender", a.EvtRender);
  visit("EvtNext", a.EvtNext);
  visit("EvtSeek", a.EvtSeek);
  visit("EvtExportLog", a.EvtExportLog);
  visit("EvtClose", a.EvtClose);
  visit("EvtOpenChannelConfig", a.EvtOpenChannelConfig);
  visit("EvtGetChannelConfigProperty", a.EvtGetChannelConfigProperty);
  visit("EvtOpenPublisherMetadata", a.EvtOpenPublisherMetadata);
  visit("EvtGetPublisherMetadataProperty", a.EvtGetPublisherMetadataProperty);
  visit("EvtGetObjectArraySize", a.EvtGetObjectArraySize);
  visit("EvtGetObjectArrayProperty", a.EvtGetObjectArrayProperty);
  visit("EvtFormatMessage", a.EvtFormatMessage);
  visit("EvtOpenEventMetadataEnum", a.EvtOpenEventMetadataEnum);
  visit("EvtNextEventMetadata", a.EvtNextEventMetadata);
  visit("EvtGetEventMetadataProperty", a.EvtGetEventMetadataProperty);
  visit("EvtCreateBookmark", a.EvtCreateBookmark);
  visit("EvtUpdateBookmark", a.EvtUpdateBookmark);
}

// A function that the library does not export fails as missing.
template <class F>
bool Bound(F pointer) {
  if (pointer) return true;
  SetLastError(ERROR_PROC_NOT_FOUND);
  return false;
}

}  // namespace

bool EvtApi::Load() {
  if (Library) return true;
  HMODULE library = LoadLibraryW(u"Wevtapi.dll");
  if (!library) return false;
  Library = library;
  // A library without one of the functions is not loaded: a null pointer
  // would be called later.
  DWORD missing = 0;
  ForEachFunction(*this, [library, &missing](const char* name, auto& pointer) {
    // Through void*: the system declares FARPROC as a function of no arguments.
    pointer = reinterpret_cast<std::remove_reference_t<decltype(pointer)>>(
        reinterpret_cast<void*>(GetProcAddress(library, name)));
    if (pointer == nullptr && missing == 0) missing = GetLastError() != 0 ? GetLastError() : ERROR_PROC_NOT_FOUND;
  });
  if (missing == 0) return true;
  Unload();
  SetLastError(missing);
  return false;
}

void EvtApi::Unload() {
  if (!Library) return;
  HMODULE library = Library;
  ForEachFunction(*this, [](const char*, auto& pointer) { pointer = nullptr; });
  Library = nullptr;
  FreeLibrary(library);
}

EvtApi& ProcessEvtApi() {
  static EvtApi* api = new EvtApi();  // freed explicitly by the module's end
  return *api;
}

bool IsEvtApiAvailable() {
  static const bool available = [] {
    HMODULE library = LoadLibraryW(u"Wevtapi.dll");
    if (!library) return false;
    FreeLibrary(library);
    return true;
  }();
  return available;
}

void CloseEvtHandle(const EvtApi& api, EVT_HANDLE handle) {
  if (!handle || !api.EvtClose) return;
  DWORD error = GetLastError();
  api.EvtClose(handle);
  SetLastError(error);
}

EVT_HANDLE OpenSession(const EvtApi& api, const std::u16string& computer) {
  if (!Bound(api.EvtOpenSession)) return nullptr;
  WCHAR server[256] = {};
  computer.copy(plat::U(server), 255);
  EVT_RPC_LOGIN login{server, nullptr, nullptr, nullptr, EvtRpcLoginAuthDefault};
  return api.EvtOpenSession(EvtRpcLogin, &login, 0, 0);
}

}  // namespace cmr
