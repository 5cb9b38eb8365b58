#include "platform/host/classic/classic_event_logs.h"

#include <sys/stat.h>

#include "platform/host/classic/classic_channel_log.h"
#include "platform/host/classic/classic_evt_log.h"
#include "platform/host/classic/classic_view.h"
#include "platform/host/evt/event_channels.h"
#include "platform/host/files/archive_name.h"
#include "platform/host/kernel/clock.h"
#include "platform/host/registry/registry_values.h"

namespace host {

struct ClassicEventLogService::LogSettings {
  std::u16string name;  // as the registry spells it
  std::u16string file;
  DWORD maxSize = 0x80000;
  DWORD retention = 0;
  DWORD autoBackup = 0;
};

namespace {

bool EndsWithNoCase(std::u16string_view text, std::u16string_view end) {
  return text.size() >= end.size() && EqualNoCase(text.substr(text.size() - end.size()), end);
}

RegistryKey::KeyPtr LogKey(Computer& computer, std::u16string_view name) {
  if (name.empty() || name.find(u'\\') != std::u16string_view::npos) return nullptr;
  auto machine = computer.Service<Registry>().Root(HKEY_LOCAL_MACHINE);
  auto key = Registry::Find(machine, std::u16string(kEventLogKeyPath) + u"\\" + std::u16string(name));
  return key && !key->Deleted() ? key : nullptr;
}

std::u16string FolderOf(std::u16string_view path) {
  size_t slash = path.find_last_of(u"\\/");
  return slash == std::u16string_view::npos ? std::u16string() : std::u16string(path.substr(0, slash));
}

DWORD AppendStatusError(formats::EvtAppendStatus status) {
  switch (status) {
    case formats::EvtAppendStatus::Written: return 0;
    case formats::EvtAppendStatus::LogFull: return ERROR_LOG_FILE_FULL;
    default: return ERROR_INVALID_PARAMETER;
  }
}

}  // namespace

bool ClassicEventLogService::ReadSettings(std::u16string_view name, LogSettings* s) const {
  auto key = LogKey(computer_, name);
  if (!key) return false;
  s->name = key->Name();
  ReadStringValue(*key, u"File", &s->file);
  ReadDwordValue(*key, u"MaxSize", &s->maxSize);
  ReadDwordValue(*key, u"Retention", &s->retention);
  ReadDwordValue(*key, u"AutoBackupLogFiles", &s->autoBackup);
  return true;
}

DWORD ClassicEventLogService::MapComputerPath(std::u16string_view windowsPath, std::string* linuxPath) const {
  return EventLogOf(computer_).MapComputerPath(windowsPath, linuxPath);
}

std::shared_ptr<ClassicLog> ClassicEventLogService::ChannelLog(const LogSettings& s, DWORD* error) {
  auto& channels = EventLogOf(computer_);
  EventChannel* channel = channels.FindChannel(s.name);
  if (!channel) {
    ChannelConfig config;
    config.name = s.name;
    config.classic = true;
    config.logFilePath = s.file;
    config.maxSize = s.maxSize;
    config.retention = s.retention != 0;
    config.autoBackup = s.autoBackup != 0;
    std::string path;
    DWORD e = s.file.empty() ? ERROR_PATH_NOT_FOUND : MapComputerPath(s.file, &path);
    if (e && !computer_.Root().empty() && !s.file.empty()) {
      *error = e;
      return nullptr;
    }
    channel = &channels.AddChannel(config);
    channel->backingFile = e ? std::string() : path;
    channel->loaded = false;
  }
  return std::make_shared<ChannelClassicLog>(computer_, *channel);
}

std::shared_ptr<EvtClassicLog> ClassicEventLogService::EvtLog(const LogSettings& s, DWORD* error) {
  std::string path;
  if (!s.file.empty()) {
    // A computer without drives keeps its logs in memory.
    DWORD e = MapComputerPath(s.file, &path);
    if (e && !computer_.Root().empty()) {
      *error = e;
      return nullptr;
    }
    if (e) path.clear();
  }
  auto& slot = evtLogs_[s.name];
  if (slot && slot->Path() == path) {
    slot->Refresh();
    slot->SetLimits(s.maxSize, s.retention);
  } else {
    slot = std::make_shared<EvtClassicLog>(path, s.maxSize, s.retention);
  }
  if (DWORD e = slot->LoadError()) {
    *error = e;
    return nullptr;
  }
  return slot;
}

std::shared_ptr<ClassicLog> ClassicEventLogService::Find(std::u16string_view name, DWORD* error) {
  *error = 0;
  LogSettings s;
  if (!ReadSettings(name, &s)) return nullptr;
  bool channel = EndsWithNoCase(s.file, u".evtx") || (s.file.empty() && EventLogOf(computer_).FindChannel(s.name));
  if (channel) return ChannelLog(s, error);
  return EvtLog(s, error);
}

DWORD ClassicEventLogService::Append(std::u16string_view name, const formats::EvtRecordFields& fields,
                                     uint32_t* number) {
  DWORD error = 0;
  std::shared_ptr<ClassicLog> log = Find(name, &error);
  if (!log) return error ? error : ERROR_FILE_NOT_FOUND;
  LogSettings s;
  ReadSettings(name, &s);
  if (dynamic_cast<ChannelClassicLog*>(log.get())) {
    EventChannel* channel = EventLogOf(computer_).FindChannel(s.name);
    formats::EvtRecordFields numbered = fields;
    numbered.recordNumber = static_cast<uint32_t>(channel->nextRecordId);
    formats::EvtxRecord record = EventOfClassicRecord(numbered);
    record.recordId = channel->nextRecordId;
    *number = numbered.recordNumber;
    return EventLogOf(computer_).Append(*channel, std::move(record));
  }
  auto* evt = static_cast<EvtClassicLog*>(log.get());
  std::vector<uint8_t> bytes = formats::BuildEvtRecord(fields);
  if (bytes.empty()) return ERROR_INVALID_PARAMETER;
  DWORD saveError = 0;
  formats::EvtAppendResult result = evt->Append(bytes, &saveError);
  if (result.status == formats::EvtAppendStatus::LogFull && s.autoBackup && s.retention != 0) {
    if (DWORD e = Archive(s.name, nullptr)) return e;
    result = evt->Append(bytes, &saveError);
  }
  if (DWORD e = AppendStatusError(result.status)) return e;
  if (saveError) return saveError;
  *number = result.recordNumber;
  return 0;
}

DWORD ClassicEventLogService::Archive(std::u16string_view name, std::string* archivePath) {
  DWORD error = 0;
  std::shared_ptr<ClassicLog> log = Find(name, &error);
  if (!log) return error ? error : ERROR_FILE_NOT_FOUND;
  LogSettings s;
  ReadSettings(name, &s);
  std::u16string folder = s.file.empty() ? u"%SystemRoot%\\System32\\config" : FolderOf(s.file);
  bool channel = dynamic_cast<ChannelClassicLog*>(log.get()) != nullptr;
  std::u16string file = folder + u"\\Archive-" + s.name + u"-" + ArchiveTimeNow() + (channel ? u".evtx" : u".evt");
  std::string target;
  if (DWORD e = MapComputerPath(file, &target)) return e;
  struct stat info {};
  if (stat(target.c_str(), &info) == 0) return ERROR_ALREADY_EXISTS;
  if (DWORD e = log->WriteBackup(target)) return e;
  if (archivePath) *archivePath = target;
  return log->Clear();
}

void ClassicEventLogService::SetAccessDenied(std::u16string_view name, bool denied) {
  if (denied) {
    denied_.insert(std::u16string(name));
  } else {
    denied_.erase(std::u16string(name));
  }
}

// ---- Host API ----

ClassicEventLogService& ClassicLogsOf(Computer& computer) { return computer.Service<ClassicEventLogService>(); }

void CreateClassicLog(Computer& computer, const ClassicLogConfig& config) {
  Lock lock;
  auto machine = computer.Service<Registry>().Root(HKEY_LOCAL_MACHINE);
  bool created = false;
  auto key = Registry::Create(machine, std::u16string(kEventLogKeyPath) + u"\\" + config.name, &created);
  if (!config.file.empty()) SetStringValue(*key, u"File", config.file, REG_EXPAND_SZ);
  SetDwordValue(*key, u"MaxSize", config.maxSize);
  SetDwordValue(*key, u"Retention", config.retention);
  if (config.autoBackup) SetDwordValue(*key, u"AutoBackupLogFiles", 1);
  if (!config.displayNameFile.empty()) {
    SetStringValue(*key, u"DisplayNameFile", config.displayNameFile, REG_EXPAND_SZ);
    SetDwordValue(*key, u"DisplayNameID", config.displayNameId);
  }
  std::vector<std::u16string> sourceNames;
  for (const auto& source : config.sources) {
    sourceNames.push_back(source.name);
    auto sub = key->CreateSubkey(source.name, &created);
    auto setFile = [&](std::u16string_view value, const std::u16string& path) {
      if (!path.empty()) SetStringValue(*sub, value, path, REG_EXPAND_SZ);
    };
    setFile(u"EventMessageFile", source.eventMessageFile);
    setFile(u"CategoryMessageFile", source.categoryMessageFile);
    setFile(u"ParameterMessageFile", source.parameterMessageFile);
    if (source.categoryCount) SetDwordValue(*sub, u"CategoryCount", source.categoryCount);
    SetDwordValue(*sub, u"TypesSupported", source.typesSupported);
  }
  sourceNames.push_back(config.name);
  SetMultiStringValue(*key, u"Sources", sourceNames);
}

uint32_t AppendClassicRecord(Computer& computer, std::u16string_view log, formats::EvtRecordFields fields) {
  Lock lock;
  if (fields.computer.empty()) fields.computer = computer.Name();
  if (fields.timeWritten == 0)
    fields.timeWritten = static_cast<uint32_t>((NowFileTime() - kUnixEpochAsFileTime) / 10000000ULL);
  if (fields.timeGenerated == 0) fields.timeGenerated = fields.timeWritten;
  uint32_t number = 0;
  return ClassicLogsOf(computer).Append(log, fields, &number) == 0 ? number : 0;
}

DWORD SetClassicLogLimits(Computer& computer, std::u16string_view log, DWORD maxSize, DWORD retention) {
  Lock lock;
  auto key = LogKey(computer, log);
  if (!key) return ERROR_FILE_NOT_FOUND;
  SetDwordValue(*key, u"MaxSize", maxSize);
  SetDwordValue(*key, u"Retention", retention);
  DWORD error = 0;
  ClassicLogsOf(computer).Find(log, &error);  // applies the limits
  return error;
}

DWORD ClearClassicLog(Computer& computer, std::u16string_view log) {
  Lock lock;
  DWORD error = 0;
  auto found = ClassicLogsOf(computer).Find(log, &error);
  if (!found) return error ? error : ERROR_FILE_NOT_FOUND;
  return found->Clear();
}

DWORD ArchiveClassicLog(Computer& computer, std::u16string_view log, std::string* archivePath) {
  Lock lock;
  return ClassicLogsOf(computer).Archive(log, archivePath);
}

void SetClassicLogAccessDenied(Computer& computer, std::u16string_view log, bool denied) {
  Lock lock;
  ClassicLogsOf(computer).SetAccessDenied(log, denied);
}

}  // namespace host
