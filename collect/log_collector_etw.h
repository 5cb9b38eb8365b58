// LogCollectorEtw: the log collector over the Windows Event Log interface.
// Process opens the channel (or the chain of its archived backups, or a
// given event file), positions just after the stored event and reads every
// later event once and in order, through the backups into the live channel,
// repositioning when the log changed under it.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "collect/etw_event_log.h"
#include "collect/log_collector.h"
#include "collect/record_gaps.h"
#include "render/rendered_event.h"

namespace cmr {

class LogCollectorEtw : public LogCollector {
 public:
  // A given event file is read alone: its channel's backups are not
  // followed (ProcessBackups is cleared in the collector's options).
  LogCollectorEtw(const CollectorSettings& config, const CEventFilter& filter, const CollectorOptions& options);

  HRESULT Process(const std::u16string& computer, EventFileWriter& writer, const std::u16string& saveFolder,
                  const LogPosition& stored, LogPosition& first, LogPosition& last, uint8_t& found,
                  std::u16string& warning) override;
  // The message texts of the providers met come from their publisher
  // metadata; until that resolver is part of the collector nothing is
  // written, and the pipeline's description file holds no entry.
  void WriteDescriptions(EventFileWriter& writer) override;

  // Writes one admitted event as a Windows Event Log event entry.
  void DumpRecord(EventFileWriter& writer, const RenderedEvent& event, const CSidCache::SidInfo* user);

  std::u16string ExpandParameters(const std::u16string& source, const std::u16string& text) override;

 private:
  // One Process call's state, with the reader of its log.
  struct Run : ProcessRun {
    ETWEventLog& reader;
    RecordGaps gaps{};
  };

  HRESULT OpenLog(Run& run);
  HRESULT Position(Run& run);
  HRESULT SeekStored(Run& run);
  HRESULT ReadRecords(Run& run);
  HRESULT Reposition(Run& run, DWORD error, std::unique_ptr<RenderedEvent>& event, bool& end);
  void HandleRecord(Run& run, const RenderedEvent& event);
  HRESULT JumpToNextBackup(Run& run, bool& end);
  const std::u16string& Source() const;

};

}  // namespace cmr
