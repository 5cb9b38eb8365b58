// A filter file edited through the component's Filters object (IECFilters)
// and its Filter, EventLog and enumerator objects.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "base/com/ptr.h"
#include "tools/component.h"

namespace tool {

// The criteria bits of IECFilter.Flags: a criterion is tested only when its
// bit is set.
enum FilterFlagBits : uint32_t {
  kFlagFrom = 0x1,
  kFlagTo = 0x2,
  kFlagEventId = 0x4,
  kFlagEventType = 0x8,
  kFlagCategory = 0x10,
  kFlagSource = 0x20,
  kFlagUser = 0x40,
  kFlagComputer = 0x80,
  kFlagStrings = 0x100,
  kFlagEventLog = 0x200,
  kFlagLevel = 0x400,
  kFlagKeywords = 0x800,
};

// What one filter holds, read through IECFilter.
struct FilterFields {
  std::u16string guid, name, description, eventLog, eventIds, levels, source, computer, user;
  uint32_t flags = 0, eventType = 0, category = 0, from = 0, to = 0;
  int64_t keywords = 0;
  std::vector<std::pair<uint32_t, std::u16string>> strings;
};

class FilterFile {
 public:
  // Creates a Filters object and opens the file with Init (a missing file
  // is an empty set). False with `error`.
  bool Open(const Component& component, const std::string& path, std::string* error);
  IECFilters* operator->() const { return filters_.Get(); }

  bool Commit(std::string* error);
  bool List(bool excluding, std::vector<com::Ptr<IECFilter>>* filters, std::string* error);
  bool Logs(std::vector<std::u16string>* names, std::string* error);
  // The text of a time as the filter file writes it; "?" when it has none.
  std::u16string TimeText(uint32_t seconds);

 private:
  com::Ptr<IECFilters> filters_;
};

bool ReadFilter(IECFilter* filter, FilterFields* fields, std::string* error);

// Checks a filter file argument before the component opens it: 0, or the
// exit status with `error` (see CheckInputFile). A missing file is an empty
// set that a command may create, unless `mustExist`.
int CheckFilterFile(const std::string& path, bool mustExist, std::string* error);

}  // namespace tool
