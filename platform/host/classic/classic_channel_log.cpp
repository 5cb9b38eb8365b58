#include "platform/host/classic/classic_channel_log.h"

namespace host {

ChannelClassicLog::ChannelClassicLog(Computer& computer, EventChannel& channel)
    : EvtxClassicLog(channel.Log(), false), computer_(computer.Name()), channel_(channel.config.name) {}

EventChannel* ChannelClassicLog::Channel() const {
  Computer* computer = Host::Get().Find(computer_);
  return computer ? EventLogOf(*computer).FindChannel(channel_) : nullptr;
}

bool ChannelClassicLog::Full() {
  EventChannel* channel = Channel();
  return channel && channel->config.retention && !channel->config.autoBackup &&
         channel->FileSize() >= channel->config.maxSize;
}

DWORD ChannelClassicLog::WriteBackup(const std::string& linuxPath) {
  std::string error;
  return log_->writeTo(linuxPath, error) ? 0 : ERROR_WRITE_FAULT;
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
