// A classic event log that is a Windows Event Log channel: the classic
// functions read the channel's events in their classic view (record number =
// the low 32 bits of the record id), as Windows Vista and later do.
#pragma once

#include <string>

#include "platform/host/classic/classic_log.h"
#include "platform/host/evt/event_channels.h"

namespace host {

class ChannelClassicLog : public ClassicLog {
 public:
  ChannelClassicLog(Computer& computer, EventChannel& channel);

  size_t Size() override { return static_cast<size_t>(log_->size()); }
  uint32_t NumberAt(size_t index) override {
    const EventRecordPtr* r = log_->at(index);
    return r ? static_cast<uint32_t>((*r)->recordId) : 0;
  }
  std::span<const uint8_t> At(size_t index) override;
  bool Full() override;
  uint64_t Generation() override { return log_->generation; }
  // The copy is an .evtx file, as the classic backup of a channel is.
  DWORD WriteBackup(const std::string& linuxPath) override;
  DWORD Clear() override;

 private:
  // The channel when its computer and the channel still exist.
  EventChannel* Channel() const;

  std::u16string computer_;
  std::u16string channel_;
  std::shared_ptr<EventRecordLog> log_;
  EventRecordPtr cached_;  // the record whose classic bytes are in cache_
  std::vector<uint8_t> cache_;
};

}  // namespace host
