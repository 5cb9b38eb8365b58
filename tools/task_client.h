// The task work of the commands, done through the component's interfaces:
// building a configuration document (ITaskConfig), running a task (ITask)
// and reading its results (ITaskResult, ITaskResult2, ILogInfo).
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/component.h"

namespace tool {

// What `config` sets through ITaskConfig; unset fields keep the defaults.
struct ConfigSettings {
  std::optional<std::u16string> log;
  std::optional<std::u16string> savePath;
  std::optional<std::u16string> loadFromEvtFile;
  std::optional<std::u16string> filter;
  std::optional<std::u16string> compactName;
  std::optional<std::pair<uint32_t, uint32_t>> lastPosition;  // record number, time written
  std::optional<int32_t> preferredApi;                        // the ITaskConfig.PreferredAPI choice 0..3
  std::vector<std::pair<int32_t, std::optional<int32_t>>> auditTypes;
  std::optional<bool> seekLastFirstRun;
  bool resolveSids = false;
  bool resolveMacs = false;
  bool resolveComputerName = false;
  bool collectResources = false;
};

// The document of the settings (ITaskConfig::Commit). On failure, `error`
// tells the call and its failure text.
bool BuildConfig(const Component& component, const ConfigSettings& settings, std::u16string* xml, std::string* error);

struct RunSwitches {
  std::optional<std::u16string> savePath;  // none: the configuration's SavePath
  std::optional<std::u16string> product;
  bool processBackups = false;
  uint16_t deleteBackupsAfterHours = 0;
  uint32_t bufferSize = 0x10000;
};

// ITask::Run; its HRESULT, with `error` set from the error object when it failed.
HRESULT RunTask(const Component& component, const std::u16string& computer, const std::u16string& configFile,
                const RunSwitches& switches, std::string* error);
// The same on a task object of the caller's, which keeps the configuration
// of its last run (ITask::GetEventLogStatistics reads its log).
HRESULT RunTask(ITask* task, const std::u16string& computer, const std::u16string& configFile,
                const RunSwitches& switches, std::string* error);

struct LogRow {
  std::u16string name, displayName;
  int32_t api = 0, apiUsed = 0;
  bool enabled = false;
  uint64_t records = 0;
};

struct TaskResults {
  int32_t errorCode = -1;
  std::u16string errorText, warning, eventFileName, eventLog;
  bool lastEventFound = false;
  bool hasComputerInfo = false;
  uint32_t versionMajor = 0, versionMinor = 0, type = 0;
  std::u16string fullName, domain;
  std::vector<LogRow> logs;
};

// The results of a configuration document, read through ITaskResult (and
// ITaskResult2 with its ILogInfo items for the log list).
bool ReadResults(const Component& component, const std::u16string& xml, TaskResults* results, std::string* error);

// An absolute Linux path as the wide text the component and the platform take.
std::u16string WidePath(const std::string& path);

// A UTF-8 file as wide text; false when it cannot be read.
bool ReadTextFile(const std::string& path, std::u16string* text);
// Writes UTF-8 text beside the file and renames it over the file; false with `error`.
bool WriteTextFile(const std::string& path, const std::u16string& text, std::string* error);

}  // namespace tool
