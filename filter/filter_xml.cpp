// The filter document: reading a set and its filters from parsed XML, and
// writing them back element by element.
#include <string>

#include "base/text.h"
#include "base/xml.h"
#include "filter/event_filter.h"

namespace cmr {

namespace {

int32_t Atoi(const std::u16string& text) { return cmr::ParseInt32(text); }

std::u16string Decimal(int64_t value) { return cmr::ToText(value); }

// The first child of `e` when it is an element, else null.
const TiXmlElement* FirstChildIfElement(const TiXmlElement* e) {
  const TiXmlNode* child = e->FirstChild();
  return child != nullptr ? child->ToElement() : nullptr;
}

// The elements from `first` on: the first named one and every later sibling.
template <class Visit>
void ForEachFrom(const TiXmlElement* first, Visit visit) {
  for (const TiXmlElement* e = first; e != nullptr; e = e->NextSiblingElement()) visit(e);
}

std::u16string LogName(const TiXmlElement* entry) {
  std::u16string name;
  ForEachFrom(FirstChildIfElement(entry), [&](const TiXmlElement* e) {
    if (e->ValueStr() != "Name") return;
    if (auto text = cmr::ElementText(e)) name = *text;
  });
  return name;
}

// Applies the time bound of an attribute when it parses; true when it did.
bool LoadTime(const TiXmlElement* e, const char* attribute, uint32_t& field) {
  const char* text = e->Attribute(attribute);
  uint32_t seconds = 0;
  if (text == nullptr || !CEventFilter::ParseTimeToUTC(text, seconds)) return false;
  field = seconds;
  return true;
}

void SaveTime(TiXmlElement* e, const char* attribute, uint32_t seconds) {
  std::string text;
  if (CEventFilter::UTCtoTimeString(seconds, text)) e->SetAttribute(attribute, text);
}

}  // namespace

void CEventFilter::CFilter::Load(const TiXmlElement* first) {
  Reset();
  uint32_t derived = 0;
  ForEachFrom(first, [&](const TiXmlElement* e) {
    const std::string& name = e->ValueStr();
    if (name == "TimeWritten") {
      if (LoadTime(e, "From", TimeFrom)) derived |= kFilterTimeFrom;
      if (LoadTime(e, "To", TimeTo)) derived |= kFilterTimeTo;
      return;
    }
    if (name == "InsertionString") {
      const char* number = e->Attribute("number");
      if (number == nullptr || Atoi(cmr::WidenC(number)) == 0) return;
      InsertionStrings[static_cast<uint32_t>(Atoi(cmr::WidenC(number)))] = cmr::ElementText(e).value_or(u"");
      derived |= kFilterInsertionStrings;
      return;
    }
    std::optional<std::u16string> text = cmr::ElementText(e);
    if (!text) return;
    if (name == "GUID") GUID = *text;
    else if (name == "Name") Name = *text;
    else if (name == "Description") Description = *text;
    else if (name == "EventLog") EventLog = *text, derived |= kFilterEventLog;
    else if (name == "Flags") FilterFlags = static_cast<uint32_t>(Atoi(*text));
    else if (name == "EventID") ParseIdRanges(*text, EventIDs), derived |= kFilterEventIDs;
    else if (name == "EventType") EventType = static_cast<uint16_t>(Atoi(*text)), derived |= kFilterEventType;
    else if (name == "EventCategory")
      EventCategory = static_cast<uint16_t>(Atoi(*text)), derived |= kFilterEventCategory;
    else if (name == "Source") Source = *text, derived |= kFilterSource;
    else if (name == "User") User = *text, derived |= kFilterUser;
    else if (name == "Computer") Computer = *text, derived |= kFilterComputer;
    else if (name == "Priority") Priority = Atoi(*text);
    else if (name == "Level") ParseIdRanges(*text, Levels), derived |= kFilterLevels;
    else if (name == "Keywords") Keywords = static_cast<uint64_t>(cmr::ParseInt64(*text)), derived |= kFilterKeywords;
  });
  if (FilterFlags == 0) FilterFlags = derived;
}

void CEventFilter::CFilter::Save(TiXmlNode* parent) const {
  TiXmlElement* f = cmr::AppendTextElement(parent, "Filter", u"");
  cmr::AppendTextElement(f, "GUID", GUID);
  cmr::AppendTextElement(f, "Name", Name);
  cmr::AppendTextElement(f, "Description", Description);
  cmr::AppendTextElement(f, "EventLog", EventLog);
  cmr::AppendTextElement(f, "Flags", Decimal(static_cast<int32_t>(FilterFlags | kFilterEventLog)));
  TiXmlElement* time = cmr::AppendTextElement(f, "TimeWritten", u"");
  if (FilterFlags & kFilterTimeFrom) SaveTime(time, "From", TimeFrom);
  if (FilterFlags & kFilterTimeTo) SaveTime(time, "To", TimeTo);
  cmr::AppendTextElement(f, "EventID", IdRangesToString(EventIDs));
  cmr::AppendTextElement(f, "EventType", Decimal(EventType));
  cmr::AppendTextElement(f, "EventCategory", Decimal(EventCategory));
  cmr::AppendTextElement(f, "Source", Source);
  cmr::AppendTextElement(f, "User", User);
  cmr::AppendTextElement(f, "Computer", Computer);
  for (const auto& [number, text] : InsertionStrings)
    cmr::AppendTextElement(f, "InsertionString", text)->SetAttribute("number", static_cast<int>(number));
  cmr::AppendTextElement(f, "Level", IdRangesToString(Levels));
  cmr::AppendTextElement(f, "Keywords", Decimal(static_cast<int64_t>(Keywords)));
  cmr::AppendTextElement(f, "Priority", Decimal(Priority));
}

namespace {

void LoadFilters(const TiXmlElement* list, CEventFilter::FilterList& filters) {
  filters.clear();
  if (list == nullptr) return;
  ForEachFrom(list->FirstChildElement("Filter"), [&](const TiXmlElement* e) {
    const TiXmlElement* first = FirstChildIfElement(e);
    if (first == nullptr) return;
    auto filter = std::make_shared<CEventFilter::CFilter>(0);
    filter->Load(first);
    filters.push_back(filter);
  });
}

}  // namespace

void CEventFilter::Load(const TiXmlDocument& document) {
  UseFilter = true;
  const TiXmlElement* root = document.FirstChildElement();
  if (root == nullptr) {
    IncludingFilters.clear();
    ExcludingFilters.clear();
    return;
  }
  if (auto text = cmr::ElementText(root->FirstChildElement("UseFilter"))) UseFilter = Atoi(*text) != 0;
  if (const TiXmlElement* logs = root->FirstChildElement("EventLogs")) {
    ForEachFrom(logs->FirstChildElement("EventLog"), [&](const TiXmlElement* e) {
      if (e->FirstChild() == nullptr) return;
      AddLog()->Name = LogName(e);
    });
  }
  LoadFilters(root->FirstChildElement("IncludingFilters"), IncludingFilters);
  LoadFilters(root->FirstChildElement("ExcludingFilters"), ExcludingFilters);
}

void CEventFilter::Save(TiXmlNode* parent) const {
  TiXmlElement* root = cmr::AppendTextElement(parent, "Filters", u"");
  cmr::AppendTextElement(root, "UseFilter", UseFilter ? u"1" : u"0");
  TiXmlElement* logs = cmr::AppendTextElement(root, "EventLogs", u"");
  for (const EventLogPtr& log : EventLogs)
    cmr::AppendTextElement(cmr::AppendTextElement(logs, "EventLog", u""), "Name", log->Name);
  TiXmlElement* including = cmr::AppendTextElement(root, "IncludingFilters", u"");
  for (const FilterPtr& f : IncludingFilters) f->Save(including);
  TiXmlElement* excluding = cmr::AppendTextElement(root, "ExcludingFilters", u"");
  for (const FilterPtr& f : ExcludingFilters) f->Save(excluding);
}

}  // namespace cmr
