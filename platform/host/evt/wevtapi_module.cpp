// The host's Wevtapi.dll: a built-in module whose exports are the Evt*
// functions, loadable with LoadLibraryW("Wevtapi.dll").
#include "platform/host/evt/wevtapi.h"
#include "platform/host/modules/module_table.h"

namespace host {
namespace {

template <class F>
FARPROC Export(F* function) {
  return reinterpret_cast<FARPROC>(function);
}

ModuleExports WevtapiExports() {
  return {
      {"EvtOpenSession", Export(&EvtOpenSession)},
      {"EvtClose", Export(&EvtClose)},
      {"EvtOpenChannelEnum", Export(&EvtOpenChannelEnum)},
      {"EvtNextChannelPath", Export(&EvtNextChannelPath)},
      {"EvtOpenLog", Export(&EvtOpenLog)},
      {"EvtGetLogInfo", Export(&EvtGetLogInfo)},
      {"EvtQuery", Export(&EvtQuery)},
      {"EvtNext", Export(&EvtNext)},
      {"EvtSeek", Export(&EvtSeek)},
      {"EvtCreateRenderContext", Export(&EvtCreateRenderContext)},
      {"EvtRender", Export(&EvtRender)},
      {"EvtExportLog", Export(&EvtExportLog)},
      {"EvtOpenChannelConfig", Export(&EvtOpenChannelConfig)},
      {"EvtGetChannelConfigProperty", Export(&EvtGetChannelConfigProperty)},
      {"EvtOpenPublisherMetadata", Export(&EvtOpenPublisherMetadata)},
      {"EvtGetPublisherMetadataProperty", Export(&EvtGetPublisherMetadataProperty)},
      {"EvtGetObjectArraySize", Export(&EvtGetObjectArraySize)},
      {"EvtGetObjectArrayProperty", Export(&EvtGetObjectArrayProperty)},
      {"EvtFormatMessage", Export(&EvtFormatMessage)},
      {"EvtOpenEventMetadataEnum", Export(&EvtOpenEventMetadataEnum)},
      {"EvtNextEventMetadata", Export(&EvtNextEventMetadata)},
      {"EvtGetEventMetadataProperty", Export(&EvtGetEventMetadataProperty)},
      {"EvtCreateBookmark", Export(&EvtCreateBookmark)},
      {"EvtUpdateBookmark", Export(&EvtUpdateBookmark)},
  };
}

const bool registered = [] {
  RegisterBuiltinModule(u"wevtapi.dll", WevtapiExports());
  return true;
}();

}  // namespace

void SetWevtapiAvailable(bool available) { SetBuiltinModuleAbsent(u"wevtapi.dll", !available); }

}  // namespace host
