#include "platform/host/evt/event_channels.h"

namespace host {

bool EventRecordLog::writeTo(const std::string& path, std::string& error) {
  formats::EvtxFileWriter writer;
  if (!writer.Open(path, error)) return false;
  const uint64_t count = size();
  for (uint64_t i = 0; i < count; ++i) {
    const EventRecordPtr* r = at(i);
    if (r && !writer.Add(**r, error)) return false;
  }
  return writer.Finish(error);
}

}  // namespace host
