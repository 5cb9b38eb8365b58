#include "task/task_event_log.h"

#include "platform/api/kernel.h"

namespace cmr {

// {3B9E6A40-2C75-4F1D-8A63-5E0D91C4B7F2}: fixed once; written as the CLSID of the Task element.
const GUID CTaskEventLog::kClassId = {0x3B9E6A40, 0x2C75, 0x4F1D, {0x8A, 0x63, 0x5E, 0x0D, 0x91, 0xC4, 0xB7, 0xF2}};

CTaskEventLog::CTaskEventLog() { UserLanguage = GetUserDefaultLangID(); }

void CTaskEventLog::ResetDefaults() {
  ResetBaseDefaults();
  PolicyAuditEventTypes.clear();
  LogName.clear();
  LoadFromEvtFile.clear();
  SavePath.clear();
  LastRecordNumber = 0;
  LastTimeWritten = 0xFFFFFFFF;
  Filter.clear();
  SeekLastFirstRun = true;
  CompactLogName.clear();
  CollectEventResources = false;
  ResolveComputerName = false;
  UserLanguage = GetUserDefaultLangID();
  PreferredAPI = kApiClassic;
  FallbackAPI = kApiVista;
  ResolveSIDs = false;
  ResolveMACs = false;
  LogNames.clear();
  LastEventFound = false;
  Warning.clear();
  ErrorStatus = -1;
  ErrorText.clear();
  EventFileName.clear();
}

void CTaskEventLog::GetOutputFiles(std::vector<std::u16string>& files) const {
  files.push_back(EventFileName);
  if (!CollectEventResources) return;
  std::u16string descr = EventFileName;
  const std::u16string from = u".adevt", to = u".descr";
  for (size_t at = descr.find(from); at != std::u16string::npos; at = descr.find(from, at + to.size()))
    descr.replace(at, from.size(), to);
  files.push_back(descr);
}

}  // namespace cmr
