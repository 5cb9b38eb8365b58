// The binding of the Windows Event Log library (Wevtapi.dll). The library is
// not linked: it is loaded at run time, so that the component also runs where
// it is absent. One process-wide table is loaded when the module starts; each
// Windows Event Log reader loads a table of its own.
#pragma once

#include <string>
#include <vector>

#include "platform/api/evt.h"
#include "render/rendered_event.h"

namespace cmr {

// The 24 bound functions, in the library's documented order, then the
// library handle. A function the library does not export stays null.
struct EvtApi {
  PFN_EvtOpenSession EvtOpenSession = nullptr;
  PFN_EvtOpenChannelEnum EvtOpenChannelEnum = nullptr;
  PFN_EvtNextChannelPath EvtNextChannelPath = nullptr;
  PFN_EvtOpenLog EvtOpenLog = nullptr;
  PFN_EvtGetLogInfo EvtGetLogInfo = nullptr;
  PFN_EvtQuery EvtQuery = nullptr;
  PFN_EvtCreateRenderContext EvtCreateRenderContext = nullptr;
  PFN_EvtRender EvtRender = nullptr;
  PFN_EvtNext EvtNext = nullptr;
  PFN_EvtSeek EvtSeek = nullptr;
  PFN_EvtExportLog EvtExportLog = nullptr;
  PFN_EvtClose EvtClose = nullptr;
  PFN_EvtOpenChannelConfig EvtOpenChannelConfig = nullptr;
  PFN_EvtGetChannelConfigProperty EvtGetChannelConfigProperty = nullptr;
  PFN_EvtOpenPublisherMetadata EvtOpenPublisherMetadata = nullptr;
  PFN_EvtGetPublisherMetadataProperty EvtGetPublisherMetadataProperty = nullptr;
  PFN_EvtGetObjectArraySize EvtGetObjectArraySize = nullptr;
  PFN_EvtGetObjectArrayProperty EvtGetObjectArrayProperty = nullptr;
  PFN_EvtFormatMessage EvtFormatMessage = nullptr;
  PFN_EvtOpenEventMetadataEnum EvtOpenEventMetadataEnum = nullptr;
  PFN_EvtNextEventMetadata EvtNextEventMetadata = nullptr;
  PFN_EvtGetEventMetadataProperty EvtGetEventMetadataProperty = nullptr;
  PFN_EvtCreateBookmark EvtCreateBookmark = nullptr;
  PFN_EvtUpdateBookmark EvtUpdateBookmark = nullptr;
  HMODULE Library = nullptr;

  EvtApi() = default;
  EvtApi(const EvtApi&) = delete;
  EvtApi& operator=(const EvtApi&) = delete;
  ~EvtApi() { Unload(); }

  // True when loaded (already, or now); false when LoadLibraryW fails, with
  // no pointer set and the last error of the load.
  bool Load();
  // Frees the library and clears the table.
  void Unload();
  bool IsLoaded() const { return Library != nullptr; }

  // The three functions that rendering needs.
  EvtRenderFunctions RenderFunctions() const { return {EvtCreateRenderContext, EvtRender, EvtClose}; }
};

// The process-wide table (loaded and freed by the module's start and end).
EvtApi& ProcessEvtApi();

// Whether Wevtapi.dll can be loaded: the first call loads and frees it and
// remembers the answer.
bool IsEvtApiAvailable();

// Closes an Evt handle, keeping the thread's last error. Null is ignored.
void CloseEvtHandle(const EvtApi& api, EVT_HANDLE handle);

// Holds an Evt handle and closes it, keeping the last error.
class EvtHandleGuard {
 public:
  EvtHandleGuard(const EvtApi& api, EVT_HANDLE handle) : api_(api), handle_(handle) {}
  ~EvtHandleGuard() { CloseEvtHandle(api_, handle_); }
  EvtHandleGuard(const EvtHandleGuard&) = delete;
  EvtHandleGuard& operator=(const EvtHandleGuard&) = delete;
  EVT_HANDLE get() const { return handle_; }
  explicit operator bool() const { return handle_ != nullptr; }

 private:
  const EvtApi& api_;
  EVT_HANDLE handle_;
};

// A login to the computer (at most 255 characters of its name are used), no
// user, domain or password, default authentication. Null with the last error
// on failure.
EVT_HANDLE OpenSession(const EvtApi& api, const std::u16string& computer);

}  // namespace cmr
