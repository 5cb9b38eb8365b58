#include "platform/host/evt/event_channels.h"

namespace host {

std::vector<formats::EvtxRecord> EventRecordLog::copyAll() {
  std::vector<formats::EvtxRecord> all;
  uint64_t count = size();
  all.reserve(static_cast<size_t>(count));
  for (uint64_t i = 0; i < count; ++i)
    if (const EventRecordPtr* r = at(i)) all.push_back(**r);
  return all;
}

void EventRecordLog::materialize() {
  if (!file) return;
  uint64_t count = file->size();
  for (uint64_t i = 0; i < count; ++i)
    if (const EventRecordPtr* r = file->at(i)) records.push_back(*r);
  file.reset();
}

}  // namespace host
