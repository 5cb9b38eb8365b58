#include "filter/event_filter.h"

#include <algorithm>

#include "base/guid_text.h"
#include "base/text.h"
#include "base/xml.h"

namespace cmr {

void CEventFilter::CFilter::Reset() { *this = CFilter(); }

CEventFilter::CEventFilter() { cmr::KeepXmlWhiteSpace(); }

void CEventFilter::BuildMatchOrder() {
  MatchOrder.clear();
  for (const FilterPtr& f : IncludingFilters) MatchOrder.emplace_back(f, false);
  for (const FilterPtr& f : ExcludingFilters) MatchOrder.emplace_back(f, true);
  std::stable_sort(MatchOrder.begin(), MatchOrder.end(), [](const auto& a, const auto& b) {
    if (a.first->Priority != b.first->Priority) return a.first->Priority < b.first->Priority;
    return !a.second && b.second;
  });
}

template <class Test>
bool CEventFilter::Decide(Test accepts) const {
  if (!UseFilter) return true;
  for (auto it = MatchOrder.rbegin(); it != MatchOrder.rend(); ++it)
    if (accepts(*it->first)) return !it->second;
  return IncludingFilters.empty();
}

bool CEventFilter::MatchClassic(const EVENTLOGRECORD* record, const FilterContext& context) const {
  return Decide([&](const CFilter& f) { return f.MatchClassic(record, context); });
}

bool CEventFilter::MatchVista(const VistaRecordView& record, const FilterContext& context) const {
  return Decide([&](const CFilter& f) { return f.MatchVista(record, context); });
}

namespace {

CEventFilter::FilterPtr NewFilter(int32_t priority) {
  auto filter = std::make_shared<CEventFilter::CFilter>(priority);
  filter->GUID = cmr::GuidToText(cmr::NewGuid());
  return filter;
}

template <class List, class Key>
void EraseFirst(List& list, Key key) {
  auto it = std::find_if(list.begin(), list.end(), key);
  if (it != list.end()) list.erase(it);
}

}  // namespace

CEventFilter::FilterPtr CEventFilter::AddIncludingFilter(int32_t priority) {
  return IncludingFilters.emplace_back(NewFilter(priority));
}

CEventFilter::FilterPtr CEventFilter::AddExcludingFilter(int32_t priority) {
  return ExcludingFilters.emplace_back(NewFilter(priority));
}

CEventFilter::EventLogPtr CEventFilter::AddLog() { return EventLogs.emplace_back(std::make_shared<CEventLog>()); }

void CEventFilter::RemoveLog(std::u16string_view name) {
  EraseFirst(EventLogs, [&](const EventLogPtr& log) { return cmr::EqualNoCase(log->Name, name); });
}

void CEventFilter::RemoveFilter(std::u16string_view guid) {
  auto same = [&](const FilterPtr& f) { return cmr::EqualNoCase(f->GUID, guid); };
  if (std::any_of(IncludingFilters.begin(), IncludingFilters.end(), same)) EraseFirst(IncludingFilters, same);
  else EraseFirst(ExcludingFilters, same);
}

CEventFilter::FilterPtr CEventFilter::FindFilter(std::u16string_view guid) const {
  for (const FilterList* list : {&IncludingFilters, &ExcludingFilters})
    for (const FilterPtr& f : *list)
      if (cmr::EqualNoCase(f->GUID, guid)) return f;
  return nullptr;
}

void CEventFilter::Clear() {
  UseFilter = true;
  IncludingFilters.clear();
  ExcludingFilters.clear();
  EventLogs.clear();
}

}  // namespace cmr
