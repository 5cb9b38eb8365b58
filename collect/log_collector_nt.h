// LogCollectorNt: the log collector over the classic event-log interface.
// Process serialises the opening phase with every collector of the machine,
// opens the log or the chain of its backup files, positions just after the
// stored record and reads every later record once and in order, through the
// backups into the live log, repositioning when the log changed under it.
#pragma once

#include <cstdint>
#include <string>

#include "collect/log_collector.h"
#include "collect/nt_event_log.h"
#include "render/origin_resolver.h"
#include "render/record_dump.h"

namespace cmr {

class LogCollectorNt : public LogCollector {
 public:
  LogCollectorNt(const CollectorSettings& config, const CEventFilter& filter, const CollectorOptions& options);

  HRESULT Process(const std::u16string& computer, EventFileWriter& writer, const std::u16string& saveFolder,
                  const LogPosition& stored, LogPosition& first, LogPosition& last, uint8_t& found,
                  std::u16string& warning) override;
  void WriteDescriptions(EventFileWriter& writer) override;

  // Writes one admitted record as a classic event entry, with the origin
  // fields when given, and counts it.
  void DumpRecord(EventFileWriter& writer, const EVENTLOGRECORD* record, const RecordContext& context,
                  const ExtraFields* extra);

  // The record's SIDs resolve through the reader's cache, opened on the
  // computer with every log or backup the reader opens.
  std::shared_ptr<CSidCache::SidInfo> LookupSidText(const std::u16string& text) override;
  std::u16string ExpandParameters(const std::u16string& source, const std::u16string& text) override;

 private:
  using Run = ProcessRun;

  HRESULT OpenUnderMutex(Run& run);
  void OpenLog(Run& run);
  void Position(Run& run);
  void SeekStored(Run& run);
  HRESULT ReadRecords(Run& run);
  void Reposition(Run& run);
  void HandleRecord(Run& run, const EVENTLOGRECORD* record, const RecordContext& context, OriginResolver& origins);
  void JumpToNextBackup(Run& run, bool& end);

  const char16_t* Computer(const Run& run) const { return run.computer.c_str(); }

  NTEventLog reader_;
};

}  // namespace cmr
