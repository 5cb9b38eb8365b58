// ITask::Run: load the configuration and the filters, note the computer's
// facts, list the logs ("*") or collect the configured one, and write the
// results back into the configuration file.
#include <memory>
#include <vector>

#include "base/com/method_boundary.h"
#include "base/error_report.h"
#include "base/text.h"
#include "base/trace.h"
#include "platform/api/kernel.h"
#include "platform/api/wide.h"
#include "task/computer_info.h"
#include "task/existing_event_logs.h"
#include "task/task.h"

namespace cmr {

namespace {

// Log entries that a "*" run leaves out: analytic and debug channels.
bool IsSkippedChannel(const cmr::LogInfoEntry& entry) {
  return entry.APIUsed == cmr::kApiVista && (entry.ChannelType == 2 || entry.ChannelType == 3);
}

std::u16string Text(BSTR text) { return std::u16string(com::BstrText(text)); }

}  // namespace

HRESULT CTask::Run(BSTR bstrManagementComputer, BSTR bstrSavePath, BSTR bstrConfigFile, BSTR strProductName,
                   VARIANT_BOOL process_backups, VARIANT_BOOL ClnAutoBcbLogs, ULONG buf_size) {
  return com::Guarded(
      [&] {
        Trace(30, u"CollectEvents started for: %s", Text(bstrManagementComputer));
        if (strProductName != nullptr) productName_ = Text(strProductName);
        config_.LoadFromFile(Text(bstrConfigFile));
        filter_.LoadFromString(cmr::Utf16ToUtf8(config_.Filter).c_str());
        config_.LogNames.clear();
        HRESULT result = RunLoaded(bstrManagementComputer, bstrSavePath, process_backups != 0,
                                   static_cast<WORD>(ClnAutoBcbLogs), buf_size);
        config_.SaveToFile(Text(bstrConfigFile));
        Trace(30, u"CollectEvents - finished");
        return result;
      },
      &cmr::ReportTaskError);
}

HRESULT CTask::RunLoaded(BSTR computer, BSTR savePath, bool processBackups, WORD cleanBackups, ULONG bufSize) {
  Trace(30, u"ThreadLcid: %d", GetThreadLocale());
  Trace(30, u"UserLcid: %d", GetUserDefaultLCID());
  Trace(30, u"SystemLcid: %d", GetSystemDefaultLCID());
  Trace(30, u"ProductUserLang: %d", config_.UserLanguage);
  ResolveComputerInfo(Text(computer));
  if (config_.LogName == u"*") return ListLogs(computer);
  return CollectConfiguredLog(computer, savePath, processBackups, cleanBackups, bufSize);
}

void CTask::ResolveComputerInfo(const std::u16string& computer) {
  cmr::ComputerInfoRecord record;
  HRESULT hr = cmr::GetComputerInfo(computer, record);
  if (hr == 0) {
    config_.SetComputerInfo(std::make_unique<cmr::ComputerInfoRecord>(record));
  } else {
    Trace(10, u"Computer info failed to resolve: 0x%08X", hr);
  }
}

HRESULT CTask::ListLogs(BSTR computer) {
  Trace(30, u"Getting event logs list...");
  std::vector<cmr::LogInfoEntry> logs;
  if (!cmr::GetExistingEventLogs(plat::U(computer), config_.UserLanguage, logs)) {
    DWORD e = GetLastError();
    Trace(10, u"GetExistingEventLogs failed - %d", e);
    config_.ErrorStatus = cmr::HresultFromWin32(e);
    config_.ErrorText = cmr::Win32ErrorText(e);
    return config_.ErrorStatus;
  }
  int count = 0;
  for (const cmr::LogInfoEntry& entry : logs) {
    ++count;
    if (IsSkippedChannel(entry)) continue;
    Trace(40, u"  Log: %s", entry.Name);
    config_.AddLogInfo(entry);
  }
  config_.ErrorStatus = 0;
  config_.ErrorText = cmr::Win32ErrorText(0);
  Trace(10, u"GetExistingEventLogs succeeded: %d logs enumerated", count);
  return S_OK;
}

std::u16string CTask::SavePathFor(BSTR savePath, const cmr::CTaskEventLog& config) {
  return savePath != nullptr ? Text(savePath) : config.GetSavePath();
}

HRESULT CTask::CollectConfiguredLog(BSTR computer, BSTR savePath, bool processBackups, WORD cleanBackups,
                                    ULONG bufSize) {
  std::u16string folder = SavePathFor(savePath, config_);
  bool found = false;
  std::u16string eventFileName, warning;
  HRESULT hr = CollectLog(Text(computer), folder, config_.LastRecordNumber, config_.LastTimeWritten, found,
                          eventFileName, warning, processBackups, cleanBackups, bufSize);
  if (FAILED(hr)) {
    config_.ErrorStatus = hr;
    config_.ErrorText = cmr::GetErrorText(hr);
    return hr;
  }
  if (!found && config_.LastRecordNumber != 0) warning += u" Cannot find last stored event.";
  config_.ErrorStatus = 0;
  config_.ErrorText = cmr::Win32ErrorText(0);
  config_.LastEventFound = found;
  config_.EventFileName = eventFileName;
  config_.Warning = warning;
  return hr;
}

}  // namespace cmr
