// The insertion strings of an event entry ("IS01", "IS02", ...) and the
// strings added after them: the account of a string that is a SID, or the
// parameter expansion of a string with %% references.
#pragma once

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "render/detail_trace.h"
#include "render/dump_context.h"
#include "render/event_file_writer.h"

namespace cmr {

enum class DumpKind { Classic, EventLog };

// Writes the strings handed to it as IS01..ISnn, then every added string as
// IS(n + i), i being the 1-based index of the string it came from.
class InsertionStringWriter {
 public:
  // source is the event's source (empty when unknown: no parameter
  // expansion). Writer, context and source must outlive this object; the
  // context's switches are read once, here.
  InsertionStringWriter(EventFileWriter& writer, DumpContext& context, std::u16string_view source, DumpKind kind,
                        DetailTrace trace)
      : writer_(writer),
        context_(context),
        source_(source),
        classic_(kind == DumpKind::Classic),
        resolveSids_(context.ResolveSids()),
        expandParameters_(context.CollectEventResources() && !source.empty()),
        trace_(trace) {}

  // The next insertion string; the text need not outlive the call.
  void Write(std::u16string_view text);
  // The added strings, after the last insertion string.
  void WriteAdded();

 private:
  void AddFor(int i, std::u16string_view text);

  EventFileWriter& writer_;
  DumpContext& context_;
  std::u16string_view source_;
  bool classic_;
  bool resolveSids_;
  bool expandParameters_;
  DetailTrace trace_;
  int count_ = 0;
  std::vector<std::pair<int, std::u16string>> added_;  // by ascending index
};

}  // namespace cmr
