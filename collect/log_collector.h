// LogCollector: reads one event log of one computer from just after the last
// stored position and appends every admitted record to an open event file.
// The classic collector (LogCollectorNt) and the Windows Event Log collector
// derive from it; the per-log pipeline creates one with CreateLogCollector
// and destroys it through this base.
//
// The contract of Process, for every collector:
// - both out positions are 0:0 before the first record is read;
// - every record read after the seek, admitted or not, becomes the last
//   position; the first such record the first position (a first record
//   number of 0 means that nothing new was read);
// - with SeekLastFirstRun and nothing stored, both positions become the
//   newest record (1:1 for an empty log) before reading;
// - the found flag is set by the seek (1 found, 0 not found) and keeps the
//   caller's value when no seek takes place;
// - warnings that do not stop collection are appended to the warning text;
// - failures come back as HRESULTs with the error object set; no exception
//   leaves Process.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <new>
#include <set>
#include <string>

#include "base/error_report.h"
#include "base/exceptions.h"
#include "collect/collector_options.h"
#include "collect/host_name_cache.h"
#include "collect/log_position.h"
#include "filter/event_filter.h"
#include "platform/api/types.h"
#include "render/dump_context.h"
#include "render/event_file_writer.h"
#include "render/sid_cache.h"

namespace cmr {

class LogCollector : public DumpContext {
 public:
  // `config` and `filter` are borrowed and must outlive the collector.
  LogCollector(const CollectorSettings& config, const CEventFilter& filter, const CollectorOptions& options);
  ~LogCollector() override;
  LogCollector(const LogCollector&) = delete;
  LogCollector& operator=(const LogCollector&) = delete;

  // Collects the log into `writer` (see the contract above). `saveFolder`
  // is the pipeline's folder; the collectors do not read it.
  virtual HRESULT Process(const std::u16string& computer, EventFileWriter& writer, const std::u16string& saveFolder,
                          const LogPosition& stored, LogPosition& first, LogPosition& last, uint8_t& found,
                          std::u16string& warning) = 0;

  // One description entry per (source, event identifier) met while
  // collecting with CollectEventResources, sources in order, identifiers
  // ascending.
  virtual void WriteDescriptions(EventFileWriter& writer) = 0;

  // What the record dumps ask of the collector.
  bool ResolveSids() const override { return m_config.ResolveSIDs; }
  bool CollectEventResources() const override { return m_config.CollectEventResources; }
  bool ResolveComputerName() const override { return m_config.ResolveComputerName; }
  std::shared_ptr<CSidCache::SidInfo> LookupSidText(const std::u16string& text) override;
  std::u16string ResolveHostName(const std::u16string& name) override;
  void CountWrittenRecord() override { ++storedCount_; }
  uint32_t StoredCount() const { return storedCount_; }

  // The sources and event identifiers met, for the description file.
  const std::map<std::u16string, std::set<uint32_t>>& DescriptionSources() const { return m_descriptionSources; }

 protected:
  // One Process call's arguments and state, handed from step to step.
  struct ProcessRun {
    const std::u16string& computer;
    EventFileWriter& writer;
    const LogPosition& stored;
    LogPosition& first;
    LogPosition& last;
    uint8_t& found;
    std::u16string& warning;
    bool backups = false;
  };

  void NoteDescriptionSource(const std::u16string& source, uint32_t eventId);

  // Whether a collection from `stored` walks the backups: when asked, unless
  // a first run starts at the end or the log was empty at the last run.
  bool ReadsBackups(const LogPosition& stored) const {
    return m_options.ProcessBackups && !(m_config.SeekLastFirstRun && stored.RecordNumber == 0) && !IsSpecial(stored);
  }

  // Runs the steps of a collection; a failure they raise becomes the
  // collection's HRESULT with the error object set.
  template <class Steps>
  static HRESULT RunSteps(Steps steps) {
    try {
      return steps();
    } catch (const BaseException& e) {
      return ReportError(E_FAIL, e.FullText());
    } catch (const std::bad_alloc&) {
      return ReportError(E_OUTOFMEMORY, Win32ErrorText(ERROR_OUTOFMEMORY));
    }
  }

  const CollectorSettings& m_config;
  const CEventFilter& m_filter;
  CollectorOptions m_options;
  HostNameCache m_hostCache;
  CSidCache m_sidCache;
  std::map<std::u16string, std::set<uint32_t>> m_descriptionSources;
  uint32_t storedCount_ = 0;
};

// Chooses the interface of the log (ChooseLogApi, unless LoadFromEvtFile is
// set: then PreferredAPI as configured) and creates its collector. A failure
// is returned as its HRESULT with the error object set, and nothing is made.
HRESULT CreateLogCollector(const std::u16string& computer, const CollectorOptions& options,
                           const CollectorSettings& config, const CEventFilter& filter,
                           std::unique_ptr<LogCollector>& collector);

// The interface to read the log with: 1 classic, 2 Windows Event Log, 0 when
// the preferred choice is neither. Fails (error object set) when no allowed
// interface is available or the log exists under none of them.
HRESULT ChooseLogApi(const std::u16string& computer, const std::u16string& logName, int32_t preferredApi,
                     int32_t fallbackApi, int32_t& apiUsed);

}  // namespace cmr
