// The event entry of one admitted record: its fields in their fixed order,
// written through the event file writer and ended.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "render/dump_context.h"
#include "render/event_file_writer.h"
#include "render/rendered_event.h"
#include "render/sid_cache.h"

namespace cmr {

// (tag, value) fields the classic collector adds: "FROM", "MAC", "FQDN".
using ExtraFields = std::vector<std::pair<std::u16string, std::u16string>>;

// A classic record (the EVENTLOGRECORD bytes as read, nothing read outside
// them). sid: the entry of the record's user SID or null; extra: the origin
// fields or null. Counts the record in the context.
void DumpClassicRecord(EventFileWriter& writer, std::span<const uint8_t> record, const CSidCache::SidInfo* sid,
                       const ExtraFields* extra, DumpContext& context);

// A Windows Event Log event rendered with its user values. Raises
// cmr::Win32Exception when its time cannot be converted; the entry is then
// left unended.
void DumpRenderedEvent(EventFileWriter& writer, const RenderedEvent& event, const CSidCache::SidInfo* sid,
                       DumpContext& context);

}  // namespace cmr
