// A classic event log that is a Windows Event Log channel: the classic
// functions read the channel's events in their classic view (record number =
// the low 32 bits of the record id), as Windows Vista and later do.
#pragma once

#include <string>

#include "platform/host/classic/evtx_classic_log.h"

namespace host {

class ChannelClassicLog : public EvtxClassicLog {
 public:
  ChannelClassicLog(Computer& computer, EventChannel& channel);

  bool Full() override;
  // The copy is an .evtx file, as the classic backup of a channel is.
  DWORD WriteBackup(const std::string& linuxPath) override;
  DWORD Clear() override;

 private:
  // The channel when its computer and the channel still exist.
  EventChannel* Channel() const;

  std::u16string computer_;
  std::u16string channel_;
};

}  // namespace host
