// The Task class: runs one task (ITask::Run) on a computer with a task
// configuration file. A run either collects the configured log, or, when the
// log name is "*", lists the computer's logs; its results are written back
// into the configuration file.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "base/com/object.h"
#include "com/EventCollector_h.h"
#include "filter/event_filter.h"
#include "task/audit_status.h"
#include "task/task_event_log.h"

namespace cmr {

class CTask : public com::Object<ITask, com::ErrorInfoSupport<ITask>> {
 public:
  CTask() = default;

  HRESULT STDMETHODCALLTYPE Run(BSTR bstrManagementComputer, BSTR bstrSavePath, BSTR bstrConfigFile,
                                BSTR strProductName, VARIANT_BOOL process_backups, VARIANT_BOOL ClnAutoBcbLogs,
                                ULONG buf_size) override;
  HRESULT STDMETHODCALLTYPE GetEventLogStatistics(BSTR dcName, LONG* oldest_record_date, LONG* oldest_event_id,
                                                  LONG* newest_record_date, LONG* newest_event_id,
                                                  VARIANT_BOOL* event_log_full) override;

  const cmr::CTaskEventLog& Config() const { return config_; }

  // The configuration's audit policy requirements that the computer does not
  // meet (task/audit_status.h).
  HRESULT GetAuditStatus(const std::u16string& computer, std::vector<cmr::AuditPair>& notMet,
                         std::u16string& errorText) const;
  // The overwrite-loss warning for the configured log (task/overwrite_warning.h).
  std::u16string OverwriteWarning(uint32_t lastCollected, uint32_t firstNew) const;
  const std::u16string& ProductName() const { return productName_; }

  // The folder for a collection's files: the argument, or the configuration's
  // SavePath when it is NULL (an empty argument stays empty).
  static std::u16string SavePathFor(BSTR savePath, const cmr::CTaskEventLog& config);

 private:
  // The run's steps after the configuration is loaded; the run's result.
  HRESULT RunLoaded(BSTR computer, BSTR savePath, bool processBackups, WORD cleanBackups, ULONG bufSize);
  HRESULT ListLogs(BSTR computer);
  HRESULT CollectConfiguredLog(BSTR computer, BSTR savePath, bool processBackups, WORD cleanBackups, ULONG bufSize);
  void ResolveComputerInfo(const std::u16string& computer);

  // Collects the configured log of the computer into the save folder.
  HRESULT CollectLog(const std::u16string& computer, const std::u16string& savePath, DWORD lastRecordNumber,
                     DWORD lastTimeWritten, bool& found, std::u16string& eventFileName, std::u16string& warning,
                     bool processBackups, WORD cleanBackups, DWORD bufSize);

  CEventFilter filter_;
  cmr::CTaskEventLog config_;
  std::u16string productName_;
};

}  // namespace cmr
