#include "platform/host/evt/event_channels.h"

#include <algorithm>

#include <sys/stat.h>

#include "platform/api/errors.h"
#include "platform/formats/evtx_reader.h"
#include "platform/host/files/archive_name.h"
#include "platform/host/files/paths.h"

namespace host {
namespace {

constexpr ULONGLONG kChunkPayload = 65536 - 512;

// The bytes a record takes in a chunk, estimated from its tree: a record
// header, a few bytes per node and the encoded size of each value.
uint64_t EstimateRecordBytes(const formats::EvtxRecord& record) {
  uint64_t bytes = 32 + record.event.nodes.size() * 6;
  for (const auto& v : record.event.values) {
    bytes += 4 + v.text.size() * 2 + v.bytes.size() + (v.items.empty() ? 8 : v.items.size() * 8);
  }
  return bytes;
}

}  // namespace

std::u16string ChannelNameOfLogFile(std::u16string_view fileName) {
  size_t dot = fileName.rfind(u'.');
  if (dot != std::u16string_view::npos) fileName = fileName.substr(0, dot);
  std::u16string name;
  for (size_t i = 0; i < fileName.size(); ++i) {
    if (fileName.substr(i, 2) == u"%4") {
      name += u'/';
      ++i;
    } else {
      name += fileName[i];
    }
  }
  return name;
}

EventChannel::EventChannel(ChannelConfig c) : config(std::move(c)) {}

std::shared_ptr<EventRecordLog> EventChannel::Log() {
  if (!loaded && !backingFile.empty()) {
    // The file holds the whole log: what was held before is replaced. Its
    // events are read when a reader reaches them.
    loaded = true;
    log_ = std::make_shared<EventRecordLog>();
    estimatedBytes_ = 0;
    loadDiagnostics.clear();
    struct stat info {};
    if (stat(backingFile.c_str(), &info) != 0) return log_;  // the file need not exist yet
    std::string error;
    log_->file = EvtxFileRecords::Open(backingFile, &error);
    if (!log_->file) {
      loadDiagnostics.push_back(error);
      return log_;
    }
    loadDiagnostics = log_->file->diagnostics();
    nextRecordId = std::max({nextRecordId, log_->file->newestRecordId() + 1, log_->file->header().nextRecordId});
  }
  return log_;
}

void EventChannel::ReopenFile(uint64_t added) {
  const uint64_t before = log_->size() + added;
  std::string error;
  log_->file = EvtxFileRecords::Open(backingFile, &error);
  loadDiagnostics = log_->file ? log_->file->diagnostics() : std::vector<std::string>{error};
  if (log_->size() < before) log_->removed += before - log_->size();
  if (log_->file)
    nextRecordId = std::max({nextRecordId, log_->file->newestRecordId() + 1, log_->file->header().nextRecordId});
}

ULONGLONG EventChannel::FileSize() {
  Log();
  struct stat info {};
  if (log_->file && stat(backingFile.c_str(), &info) == 0) return static_cast<ULONGLONG>(info.st_size);
  ULONGLONG chunks = std::max<ULONGLONG>(1, (estimatedBytes_ + kChunkPayload - 1) / kChunkPayload);
  return 4096 + chunks * 65536;
}

EventLogService::EventLogService(Computer& computer) : computer_(computer) {}

EventChannel* EventLogService::FindChannel(std::u16string_view name) {
  auto it = channels_.find(name);
  return it == channels_.end() ? nullptr : it->second.get();
}

std::vector<std::u16string> EventLogService::ChannelNames() const {
  std::vector<std::u16string> names;
  for (const auto& [name, channel] : channels_) names.push_back(channel->config.name);
  return names;
}

EventChannel& EventLogService::AddChannel(ChannelConfig config) {
  auto& slot = channels_[config.name];
  if (slot) {
    slot->config = std::move(config);
  } else {
    slot = std::make_unique<EventChannel>(std::move(config));
  }
  return *slot;
}

bool EventLogService::RemoveChannel(std::u16string_view name) {
  auto it = channels_.find(name);
  if (it == channels_.end()) return false;
  channels_.erase(it);
  return true;
}

Publisher* EventLogService::FindPublisher(std::u16string_view name) {
  auto it = publishers_.find(name);
  return it == publishers_.end() ? nullptr : &it->second;
}

Publisher& EventLogService::AddPublisher(Publisher publisher) {
  auto& slot = publishers_[publisher.name];
  slot = std::move(publisher);
  return slot;
}

std::u16string EventLogService::ExpandEnvironment(std::u16string_view text) const {
  std::u16string out;
  size_t i = 0;
  while (i < text.size()) {
    size_t close = text[i] == u'%' ? text.find(u'%', i + 1) : std::u16string_view::npos;
    auto it = close == std::u16string_view::npos ? computer_.Environment().end()
                                                 : computer_.Environment().find(text.substr(i + 1, close - i - 1));
    if (it == computer_.Environment().end()) {
      out += text[i++];
      continue;
    }
    out += it->second;
    i = close + 1;
  }
  return out;
}

DWORD EventLogService::MapComputerPath(std::u16string_view windowsPath, std::string* linuxPath) const {
  std::u16string path = ExpandEnvironment(windowsPath);
  bool drivePath = path.size() >= 2 && path[1] == u':';
  if (drivePath && &computer_ != &Host::Get().Local()) {
    // A drive of a remote computer is reached through its administrative share.
    path = u"\\\\" + computer_.Name() + u"\\" + path.substr(0, 1) + u"$" + path.substr(2);
  }
  return MapPath(path, linuxPath);
}

DWORD EventLogService::MakeRoom(EventChannel& channel, uint64_t bytes) {
  auto fits = [&] {
    ULONGLONG total = channel.estimatedBytes_ + bytes;
    ULONGLONG chunks = std::max<ULONGLONG>(1, (total + kChunkPayload - 1) / kChunkPayload);
    return 4096 + chunks * 65536 <= std::max<ULONGLONG>(channel.config.maxSize, 4096 + 65536);
  };
  if (fits()) return 0;
  if (channel.config.retention) {
    if (!channel.config.autoBackup) return ERROR_LOG_FILE_FULL;
    return Archive(channel);
  }
  auto& log = *channel.log_;
  while (!log.records.empty() && !fits()) {
    channel.estimatedBytes_ -= std::min(channel.estimatedBytes_, EstimateRecordBytes(*log.records.front()));
    log.records.pop_front();
    ++log.removed;
  }
  return 0;
}

DWORD EventLogService::Append(EventChannel& channel, formats::EvtxRecord record) {
  if (!channel.backingFile.empty()) return AppendToFile(channel, record);
  uint64_t bytes = EstimateRecordBytes(record);
  if (DWORD e = MakeRoom(channel, bytes)) return e;
  channel.nextRecordId = std::max(channel.nextRecordId, record.recordId + 1);
  channel.estimatedBytes_ += bytes;
  channel.log_->records.push_back(std::make_shared<const formats::EvtxRecord>(std::move(record)));
  return 0;
}

DWORD EventLogService::Clear(EventChannel& channel, const std::u16string& backupPath) {
  auto& log = *channel.Log();
  if (!backupPath.empty()) {
    std::string target;
    if (DWORD e = MapComputerPath(backupPath, &target)) return e;
    std::string error;
    if (!log.writeTo(target, error)) return ERROR_WRITE_FAULT;
  }
  if (!channel.backingFile.empty()) return ClearFile(channel);
  log.removed += log.records.size();
  log.records.clear();
  ++log.generation;
  channel.estimatedBytes_ = 0;
  channel.nextRecordId = 1;
  return 0;
}

DWORD EventLogService::Archive(EventChannel& channel, std::string* archivePath) {
  std::u16string logPath = channel.config.logFilePath;
  std::u16string base;
  std::u16string folder;
  size_t slash = logPath.find_last_of(u"\\/");
  if (logPath.empty()) {
    folder = u"%SystemRoot%\\System32\\winevt\\Logs";
    for (char16_t c : channel.config.name) c == u'/' ? base += u"%4" : base += c;
  } else {
    folder = slash == std::u16string::npos ? std::u16string() : logPath.substr(0, slash);
    base = slash == std::u16string::npos ? logPath : logPath.substr(slash + 1);
    size_t dot = base.rfind(u'.');
    if (dot != std::u16string::npos) base.resize(dot);
  }
  std::u16string name = folder + u"\\Archive-" + base + u"-" + ArchiveTimeNow() + u".evtx";
  std::string target;
  if (DWORD e = MapComputerPath(name, &target)) return e;
  if (archivePath) *archivePath = target;
  return Clear(channel, name);
}

// ---- Host API ----

EventLogService& EventLogOf(Computer& computer) { return computer.Service<EventLogService>(); }

EventChannel& AddChannel(Computer& computer, ChannelConfig config) {
  Lock lock;
  return EventLogOf(computer).AddChannel(std::move(config));
}

EventChannel& AddFileChannel(Computer& computer, ChannelConfig config, const std::string& evtxPath) {
  Lock lock;
  EventChannel& channel = EventLogOf(computer).AddChannel(std::move(config));
  channel.backingFile = evtxPath;
  channel.loaded = false;
  return channel;
}

uint64_t AppendEvent(Computer& computer, std::u16string_view channelName, const formats::EvtxEventSpec& spec) {
  Lock lock;
  auto& service = EventLogOf(computer);
  EventChannel* channel = service.FindChannel(channelName);
  if (!channel) return 0;
  channel->Log();
  formats::EvtxEventSpec filled = spec;
  filled.recordId = channel->nextRecordId;
  if (filled.channel.empty()) filled.channel = channel->config.name;
  if (filled.computer.empty()) filled.computer = computer.Name();
  if (service.Append(*channel, formats::BuildEvtxRecord(filled)) != 0) return 0;
  return filled.recordId;
}

size_t LoadChannelEvents(Computer& computer, std::u16string_view channelName, const std::string& evtxPath,
                         std::vector<std::string>* diagnostics) {
  Lock lock;
  auto& service = EventLogOf(computer);
  EventChannel* channel = service.FindChannel(channelName);
  if (!channel) return 0;
  auto result = formats::ReadEvtxFile(evtxPath);
  if (diagnostics) *diagnostics = result.diagnostics;
  size_t count = 0;
  for (auto& r : result.records) {
    if (service.Append(*channel, std::move(r)) == 0) ++count;
  }
  return count;
}

}  // namespace host
