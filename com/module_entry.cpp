// The library's start and end in a process: tracing is configured from the
// registry and the version traced when it is loaded; the trace file gets its
// closing line and the Windows Event Log binding is freed when it unloads.
#include "base/trace.h"
#include "ec_version.h"
#include "render/evt_api.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// The module's version text, traced at start: the project's version.
constexpr char kModuleVersion[] = EC_VERSION_TEXT;

void ModuleStarted() {
  cmr::Tracer::Instance().ConfigureTracingFromRegistry(u"EventCollector", 500, 10);
  Trace(30, u"EventCollector version %S", kModuleVersion);
  cmr::ProcessEvtApi().Load();
}

void ModuleEnding() {
  cmr::ProcessEvtApi().Unload();
  cmr::Tracer::Instance().Shutdown();
}

}  // namespace

#ifdef _WIN32
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) ModuleStarted();
  if (reason == DLL_PROCESS_DETACH) ModuleEnding();
  return TRUE;
}
#else
__attribute__((constructor)) static void OnLibraryLoaded() { ModuleStarted(); }
__attribute__((destructor)) static void OnLibraryUnloaded() { ModuleEnding(); }
#endif
