#include "platform/host/classic/classic_channel_log.h"

#include "platform/formats/evtx_writer.h"
#include "platform/host/classic/classic_view.h"

namespace host {

ChannelClassicLog::ChannelClassicLog(Computer& computer, EventChannel& channel)
    : computer_(computer.Name()), channel_(channel.config.name), log_(channel.Log()) {}

EventChannel* ChannelClassicLog::Channel() const {
  Computer* computer = Host::Get().Find(computer_);
  return computer ? EventLogOf(*computer).FindChannel(channel_) : nullptr;
}

std::span<const uint8_t> ChannelClassicLog::At(size_t index) {
  const EventRecordPtr* found = log_->at(index);
  static const EventRecordPtr none = std::make_shared<const formats::EvtxRecord>();
  const EventRecordPtr& record = found ? *found : none;
  if (record != cached_) {
    cache_ = ClassicRecordOf(*record);
    cached_ = record;
  }
  return cache_;
}

bool ChannelClassicLog::Full() {
  EventChannel* channel = Channel();
  return channel && channel->config.retention && !channel->config.autoBackup &&
         channel->FileSize() >= channel->config.maxSize;
}

DWORD ChannelClassicLog::WriteBackup(const std::string& linuxPath) {
  std::string error;
  return formats::WriteEvtxFile(linuxPath, log_->copyAll(), error) ? 0 : ERROR_WRITE_FAULT;
}

DWORD ChannelClassicLog::Clear() {
  EventChannel* channel = Channel();
  if (!channel) return ERROR_INVALID_HANDLE;
  Computer* computer = Host::Get().Find(computer_);
  DWORD error = EventLogOf(*computer).Clear(*channel);
  log_ = channel->Log();
  return error;
}

}  // namespace host
