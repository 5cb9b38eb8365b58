// CollectLog: one log of a computer collected into an event file named
// after the first and last positions read.
#include <memory>

#include "base/error_report.h"
#include "base/exceptions.h"
#include "base/trace.h"
#include "collect/log_collector.h"
#include "platform/api/kernel.h"
#include "platform/api/registry.h"
#include "task/audit_warning.h"
#include "task/event_file_names.h"
#include "task/overwrite_warning.h"
#include "task/save_folder.h"
#include "task/task.h"

namespace cmr {

namespace {

constexpr DWORD kDefaultAttempts = 10;
constexpr uint32_t kReaderParameter = 100;

// "OpenLogAttemptCount" under the product's key; 10 without a product or value.
DWORD OpenLogAttempts(const std::u16string& product) {
  if (product.empty()) return kDefaultAttempts;
  const std::u16string path = u"Software\\Calomar Overseer\\" + product;
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
    return kDefaultAttempts;
  DWORD attempts = 0, size = sizeof attempts, type = 0;
  if (RegQueryValueExW(key, u"OpenLogAttemptCount", nullptr, &type, reinterpret_cast<BYTE*>(&attempts), &size) !=
      ERROR_SUCCESS)
    attempts = kDefaultAttempts;
  RegCloseKey(key);
  return attempts;
}

cmr::CollectorSettings SettingsOf(const cmr::CTaskEventLog& c) {
  cmr::CollectorSettings s;
  s.LogName = c.LogName;
  s.LoadFromEvtFile = c.LoadFromEvtFile;
  s.SeekLastFirstRun = c.SeekLastFirstRun;
  s.CollectEventResources = c.CollectEventResources;
  s.ResolveComputerName = c.ResolveComputerName;
  s.UserLanguage = c.UserLanguage;
  s.PreferredAPI = c.PreferredAPI;
  s.FallbackAPI = c.FallbackAPI;
  s.ResolveSIDs = c.ResolveSIDs;
  s.ResolveMACs = c.ResolveMACs;
  return s;
}

// Finishes the work file. A failure to finish it (a full disk, say) deletes
// it: the records it should hold are not on disk, and the run must fail so
// that the stored position does not move past them.
HRESULT CloseWorkFile(EventFileWriter& writer, const std::u16string& workFile) {
  try {
    writer.Close();
  } catch (const cmr::BaseException& e) {
    Trace(10, u"Failed to close output file %s: %s", workFile, e.FullText());
    DeleteFileW(workFile.c_str());
    return cmr::ReportTaskError(E_FAIL, e.FullText());
  }
  return S_OK;
}

HRESULT RenameWorkFile(const std::u16string& workFile, const std::u16string& fullPath) {
  Trace(30, u"New name is: %s, renaming", fullPath);
  DeleteFileW(fullPath.c_str());
  if (MoveFileW(workFile.c_str(), fullPath.c_str())) return S_OK;
  const DWORD e = GetLastError();
  Trace(10, u"Failed to rename working file from %s to %s: %d (%s)", workFile, fullPath, e, cmr::Win32ErrorText(e));
  return cmr::ReportWin32Error(E_FAIL, e, u"Failed to rename working file");
}

// The description file beside the event file; one that cannot be created
// is skipped.
HRESULT WriteDescriptionFile(cmr::LogCollector& collector, const std::u16string& eventFilePath) {
  Trace(30, u"Creating descr file...");
  const std::u16string path = cmr::DescriptionFilePath(eventFilePath);
  EventFileWriter writer;
  try {
    if (writer.Open(path)) {
      collector.WriteDescriptions(writer);
      writer.Close();
    }
  } catch (const cmr::BaseException& e) {
    DeleteFileW(path.c_str());
    cmr::TraceException(cmr::Tracer::Instance(), 20, u"Failed to dump event descriptions", e);
    return cmr::ReportTaskError(E_FAIL, e.FullText());
  }
  return S_OK;
}

}  // namespace

HRESULT CTask::CollectLog(const std::u16string& computer, const std::u16string& savePath, DWORD lastRecordNumber,
                          DWORD lastTimeWritten, bool& found, std::u16string& eventFileName, std::u16string& warning,
                          bool processBackups, WORD cleanBackups, DWORD bufSize) {
  eventFileName.clear();
  warning.clear();
  Trace(30, u"Event log buffer size=%d", bufSize);
  config_.RunStarted = true;
  const cmr::CollectorOptions options{processBackups ? uint8_t{1} : uint8_t{0}, cleanBackups, bufSize,
                                      OpenLogAttempts(productName_), kReaderParameter};
  const cmr::CollectorSettings settings = SettingsOf(config_);
  Trace(30, u"Creating LogCollector...");
  std::unique_ptr<cmr::LogCollector> collector;
  HRESULT hr = cmr::CreateLogCollector(computer, options, settings, filter_, collector);
  if (FAILED(hr)) return hr;
  Trace(30, u"Creating save path...");
  if (DWORD e = cmr::EnsureFolderExists(savePath))
    return cmr::ReportWin32Error(E_FAIL, e, u"Failed to create save path " + savePath);
  const cmr::EventFileNaming naming{savePath, computer, config_.LogName, config_.CompactLogName};
  const std::u16string workFile = cmr::WorkFilePath(naming);
  Trace(30, u"Creating work file: %s", workFile);
  cmr::LogPosition first, last;
  EventFileWriter writer;
  if (!writer.Open(workFile)) return cmr::ReportCrtError(E_FAIL, errno, u"Failed to create output file");
  uint8_t foundFlag = 1;
  Trace(30, u"Processing log");
  hr = collector->Process(computer, writer, savePath, {lastRecordNumber, lastTimeWritten}, first, last, foundFlag,
                          warning);
  found = foundFlag != 0;
  if (hr != S_OK) return hr;  // the writer closes the work file; the next run truncates it
  Trace(30, u"Done processing records, closing output file");
  if (FAILED(hr = CloseWorkFile(writer, workFile))) return hr;
  Trace(30, u"Output file closed - success");
  if (first.RecordNumber != 0) {
    Trace(30, u"Renaming work file");
    const std::u16string name = cmr::EventFileName(naming, first, last);
    const std::u16string fullPath = savePath + u"\\" + name;
    if (FAILED(hr = RenameWorkFile(workFile, fullPath))) return hr;
    eventFileName = name;
    if (config_.CollectEventResources && FAILED(hr = WriteDescriptionFile(*collector, fullPath))) return hr;
  } else {
    Trace(30, u"No new records detected");
    if (!DeleteFileW(workFile.c_str())) Trace(20, u"Cannot delete empty output file: %d", GetLastError());
  }
  Trace(30, u"Generating last event information...");
  if (!found) warning += cmr::OverwriteWarning(config_.LogName, lastTimeWritten, first.TimeWritten);
  if (!config_.PolicyAuditEventTypes.empty()) cmr::AppendAuditWarning(computer, config_, warning);
  Trace(30, u"Done");
  return S_OK;
}

}  // namespace cmr
