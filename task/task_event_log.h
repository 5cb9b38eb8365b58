// The configuration of an event-log task: its inputs (log, save path, last
// stored position, filter, switches) and, after a run, its results. Stored
// as the "Task" XML document.
#pragma once

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "base/log_info_entry.h"
#include "task/computer_info_record.h"
#include "task/task_config.h"

namespace cmr {

class CTaskEventLog : public CTaskConfig {
 public:
  CTaskEventLog();

  static const GUID kClassId;

  const GUID& GetClassId() const override { return kClassId; }
  TiXmlElement* SaveToXml(TiXmlNode* parent) const override;
  void LoadFromFile(const std::u16string& path) override;
  void SaveToFile(const std::u16string& path) const override;
  void LoadFromString(const std::u16string& text) override;
  std::u16string SaveToString() const override;
  bool Succeeded() const override { return ErrorStatus == 0; }
  void GetOutputFiles(std::vector<std::u16string>& files) const override;
  std::u16string GetSavePath() const override { return SavePath; }

  void ResetDefaults();
  void LoadFromElement(const TiXmlElement* task);
  void SetComputerInfo(std::unique_ptr<ComputerInfoRecord> record) { ComputerInfo = std::move(record); }
  void AddLogInfo(const LogInfoEntry& entry) { LogInfoList.push_back(entry); }

  std::vector<std::pair<int32_t, int32_t>> PolicyAuditEventTypes;
  std::u16string LogName;
  std::u16string LoadFromEvtFile;
  std::u16string SavePath;
  uint32_t LastRecordNumber = 0;
  uint32_t LastTimeWritten = 0xFFFFFFFF;
  std::u16string Filter;
  bool SeekLastFirstRun = true;
  std::u16string CompactLogName;
  bool CollectEventResources = false;
  bool ResolveComputerName = false;
  uint16_t UserLanguage = 0;
  int32_t PreferredAPI = kApiClassic;
  int32_t FallbackAPI = kApiVista;
  bool ResolveSIDs = false;
  bool ResolveMACs = false;
  std::vector<std::u16string> LogNames;
  std::vector<LogInfoEntry> LogInfoList;
  bool LastEventFound = false;
  std::u16string Warning;
  int32_t ErrorStatus = -1;
  std::u16string ErrorText;
  std::u16string EventFileName;
  std::unique_ptr<ComputerInfoRecord> ComputerInfo;
};

}  // namespace cmr
