// ChooseLogApi: which interface reads a log, from the preferred and the
// fall-back choice and where the log exists.
#include "base/error_report.h"
#include "base/format.h"
#include "base/log_info_entry.h"
#include "base/trace.h"
#include "collect/event_log_list.h"
#include "collect/evt_channels.h"
#include "collect/log_collector.h"
#include "platform/api/kernel.h"
#include "render/evt_api.h"

namespace cmr {
namespace {

// Where the log was looked for and what the looking found.
struct LogPresence {
  bool classicAllowed = false;
  bool vistaAllowed = false;
  bool classicExists = false;
  bool vistaExists = false;
  DWORD classicError = 0;
  DWORD vistaError = 0;
};

void ProbeClassic(const std::u16string& computer, const std::u16string& logName, LogPresence& p) {
  bool exists = false;
  if (EventLogExists(computer.c_str(), logName, exists)) {
    p.classicExists = exists;
  } else {
    p.classicError = GetLastError();
  }
}

void ProbeVista(const std::u16string& computer, const std::u16string& logName, LogPresence& p) {
  EvtApi& api = ProcessEvtApi();
  bool found = false;
  if (api.Load() && ChannelExists(api, computer, logName, &found)) {
    p.vistaExists = found;
  } else {
    p.vistaError = GetLastError();
  }
}

std::u16string ApisTried(const LogPresence& p) {
  std::u16string tried;
  if (p.classicAllowed) tried = u"NT";
  if (p.vistaAllowed) tried += tried.empty() ? u"Vista" : u", Vista";
  return tried;
}

HRESULT ReportMissingLog(const std::u16string& logName, const LogPresence& p) {
  const std::u16string tried = ApisTried(p);
  if (p.classicError == 0 && p.vistaError == 0)
    return ReportError(E_FAIL, FormatString(u"Event log '%s' does not exist (API used: %s)", logName, tried));
  const DWORD code = p.classicError != 0 ? p.classicError : p.vistaError;
  return ReportWin32Error(HresultFromWin32(code), code,
                          FormatString(u"Failed to open log '%s' (API used: %s)", logName, tried));
}

}  // namespace

HRESULT ChooseLogApi(const std::u16string& computer, const std::u16string& logName, int32_t preferredApi,
                     int32_t fallbackApi, int32_t& apiUsed) {
  const bool library = IsEvtApiAvailable();
  apiUsed = kApiNone;
  Trace(30, u"Trying to open log: %s", logName);
  LogPresence p;
  p.classicAllowed = preferredApi == kApiClassic || fallbackApi == kApiClassic;
  p.vistaAllowed = library && (preferredApi == kApiVista || fallbackApi == kApiVista);
  if (p.classicAllowed) ProbeClassic(computer, logName, p);
  if (!p.classicAllowed && !p.vistaAllowed)
    return ReportError(E_FAIL, FormatString(u"Failed to open log '%s': API is not available", logName));
  if (p.vistaAllowed) ProbeVista(computer, logName, p);
  if (!p.classicExists && !p.vistaExists) return ReportMissingLog(logName, p);
  if (preferredApi == kApiClassic) apiUsed = p.classicExists ? kApiClassic : kApiVista;
  if (preferredApi == kApiVista) apiUsed = p.vistaExists ? kApiVista : kApiClassic;
  return S_OK;
}

}  // namespace cmr
