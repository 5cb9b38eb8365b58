// Any bytes as a .evt file: the reader must not crash or read outside them,
// every record it yields must be well framed, and a log taken over from the
// bytes must stay sound after an append.
#include "fuzz/fuzz_check.h"
#include "platform/formats/evt_log_file.h"
#include "platform/formats/evt_reader.h"

using namespace formats;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const EvtFile file = ReadEvtFile(bytes);
  for (const auto& record : file.records) {
    Check(CheckEvtRecordFrame(record.bytes).empty());
    const EvtRecordView view(record.bytes);
    (void)view.Fields();
    (void)view.Problems();
  }
  (void)file.Report();

  if (size > (1u << 20)) return 0;
  auto log = EvtLogFile::FromImage(std::vector<uint8_t>(bytes.begin(), bytes.end()));
  if (!log) return 0;
  EvtRecordFields fields;
  fields.source = u"Fuzz";
  fields.computer = u"HOST";
  fields.strings = {u"one", u"two"};
  fields.data = {1, 2, 3};
  const auto result = log->Append(fields);
  // The writer's file is sound: the only diagnostics left are about what it
  // took over from the input, problems inside records and gaps in their
  // numbers.
  const EvtFile after = ReadEvtFile(log->Image());
  size_t inherited = 0;
  for (size_t i = 0; i < after.records.size(); ++i) {
    inherited += after.records[i].View().Problems().size();
    if (i > 0) inherited += after.records[i].Number() != after.records[i - 1].Number() + 1;
  }
  Check(after.diagnostics.size() == inherited);
  if (result.status == EvtAppendStatus::Written) {
    Check(!after.records.empty() && after.records.back().Number() == result.recordNumber);
    fields.recordNumber = result.recordNumber;
    Check(after.records.back().View().Fields() == fields);
  }
  return 0;
}
