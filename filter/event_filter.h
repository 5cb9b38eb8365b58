// The filter set: a switch, including and excluding filters with priorities,
// and a list of event-log names that travels with the set. The collectors ask
// it once per record whether to keep the record.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "filter/filter_record.h"
#include "filter/id_ranges.h"
#include "platform/api/eventlog.h"
#include "platform/api/types.h"

class TiXmlDocument;
class TiXmlElement;
class TiXmlNode;

namespace cmr {

// FilterFlags bits: a criterion is tested only when its bit is set.
enum FilterFlag : uint32_t {
  kFilterTimeFrom = 0x1,
  kFilterTimeTo = 0x2,
  kFilterEventIDs = 0x4,
  kFilterEventType = 0x8,
  kFilterEventCategory = 0x10,
  kFilterSource = 0x20,
  kFilterUser = 0x40,
  kFilterComputer = 0x80,
  kFilterInsertionStrings = 0x100,
  kFilterEventLog = 0x200,  // marks the pattern as given; the log name is always tested
  kFilterLevels = 0x400,
  kFilterKeywords = 0x800,
};

class CEventFilter {
 public:
  class CFilter {
   public:
    explicit CFilter(int32_t priority = 0) : Priority(priority) {}

    // Every field back to its reset value, Priority 0.
    void Reset();

    bool MatchClassic(const EVENTLOGRECORD* record, const FilterContext& context) const;
    bool MatchVista(const VistaRecordView& record, const FilterContext& context) const;

    // Reads the filter from the elements starting at `first` (the filter
    // element's first child); writes one "Filter" element under `parent`.
    void Load(const TiXmlElement* first);
    void Save(TiXmlNode* parent) const;

    uint32_t FilterFlags = 0;
    int32_t Priority = 0;
    std::u16string Name = u"<filter>";
    std::u16string Description;
    std::u16string GUID;
    uint32_t TimeFrom = 0;
    uint32_t TimeTo = 0;
    IdRangeList EventIDs;
    uint16_t EventType = 0;
    uint16_t EventCategory = 0;
    std::u16string Source = u"*";
    std::u16string Computer = u"*";
    std::u16string User = u"*\\*";  // any account of any domain
    std::u16string EventLog = u"*";
    std::map<uint32_t, std::u16string> InsertionStrings;
    IdRangeList Levels;
    uint64_t Keywords = 0;
  };

  class CEventLog {
   public:
    std::u16string Name;
  };

  using FilterPtr = std::shared_ptr<CFilter>;
  using EventLogPtr = std::shared_ptr<CEventLog>;
  using FilterList = std::vector<FilterPtr>;
  using EventLogList = std::vector<EventLogPtr>;

  // Also turns off TinyXML's process-wide white-space condensing.
  CEventFilter();

  // The decision for one record: keep (true) or drop.
  bool MatchClassic(const EVENTLOGRECORD* record, const FilterContext& context) const;
  bool MatchVista(const VistaRecordView& record, const FilterContext& context) const;

  // Rebuilds MatchOrder from both lists: ascending priority, at equal
  // priority including before excluding. Called at the end of every load.
  void BuildMatchOrder();

  // Editing (none of these touches MatchOrder).
  FilterPtr AddIncludingFilter(int32_t priority);
  FilterPtr AddExcludingFilter(int32_t priority);
  EventLogPtr AddLog();
  void RemoveLog(std::u16string_view name);
  void RemoveFilter(std::u16string_view guid);
  // The first filter with that GUID ignoring case, including list first; null when none.
  FilterPtr FindFilter(std::u16string_view guid) const;
  // UseFilter true, both filter lists and the log list emptied.
  void Clear();

  // XML. Failures throw std::runtime_error with the texts of the file format.
  void LoadFromString(const char* text);
  void LoadFromFile(const std::u16string& path);
  void SaveToFile(const std::u16string& path) const;
  std::u16string ToString() const;
  void Load(const TiXmlDocument& document);
  void Save(TiXmlNode* parent) const;

  // "d.m.yyyy h:m:s" (UTC) <-> seconds since 1970.
  static bool ParseTimeToUTC(const char* text, uint32_t& seconds);
  static bool UTCtoTimeString(uint32_t seconds, std::string& text);

  bool UseFilter = true;
  FilterList IncludingFilters;
  FilterList ExcludingFilters;
  EventLogList EventLogs;
  std::vector<std::pair<FilterPtr, bool>> MatchOrder;  // (filter, is excluding)

 private:
  template <class Test>
  bool Decide(Test accepts) const;
};

}  // namespace cmr
