// The insertion strings of an event entry ("IS01", "IS02", ...) and the
// strings added after them: the account of a string that is a SID, or the
// parameter expansion of a string with %% references.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "render/dump_context.h"
#include "render/event_file_writer.h"

enum class DumpKind { Classic, EventLog };

// Writes strings[0..n) as IS01..ISnn, then every added string as IS(n + i),
// i being the 1-based index of the string it came from. source is the
// event's source (empty when unknown: no parameter expansion).
void WriteInsertionStrings(EventFileWriter& writer, DumpContext& context, const std::vector<std::u16string_view>& strings,
                           const std::u16string& source, DumpKind kind);
