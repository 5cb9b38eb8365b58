// The classic view of Windows Event Log events: how the classic event-log
// functions show a channel-backed log or an .evtx file, one EVENTLOGRECORD
// per event, as Windows Vista and later do.
//   record number  = the low 32 bits of the record id
//   source         = the provider's event source name, else its name
//   EventID        = (Qualifiers << 16) | EventID
//   event type     = audit success / failure from the keywords, else from the level
//   category       = the task
//   strings        = the EventData values as text (UserData leaves likewise)
//   data           = the EventData Binary element
//   times          = TimeCreated and the record's written time, in seconds
#pragma once

#include <cstdint>
#include <vector>

#include "platform/formats/evt_record.h"
#include "platform/formats/evtx_model.h"

namespace host {

formats::EvtRecordFields ClassicFieldsOf(const formats::EvtxRecord& record);
std::vector<uint8_t> ClassicRecordOf(const formats::EvtxRecord& record);

// The other way, as the Windows Event Log functions read a classic .evt file:
// provider = source, EventID and Qualifiers from the event id, level from the
// event type (audits as keywords), task = category, EventData = the strings.
// The record's binary data is not carried over.
formats::EvtxRecord EventOfClassicRecord(const formats::EvtRecordFields& fields);

}  // namespace host
