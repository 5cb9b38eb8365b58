// The Task element of a configuration document: writing every field in its
// order, and reading the children by name.
#include <cstring>
#include <functional>
#include <map>
#include <string>

#include "base/guid_text.h"
#include "base/text.h"
#include "base/xml.h"
#include "task/task_event_log.h"

namespace cmr {
namespace {

std::u16string Decimal(int64_t value) { return ToText(value); }
std::u16string Flag(bool value) { return value ? u"1" : u"0"; }
int32_t Atoi(const std::optional<std::u16string>& text) { return text ? ParseInt32(*text) : 0; }

void AddText(TiXmlElement* parent, const char* name, const std::u16string& text) {
  AppendTextElement(parent, name, text);
}

void SaveLogInfo(TiXmlElement* list, const LogInfoEntry& entry) {
  TiXmlElement* info = list->InsertEndChild(TiXmlElement("LogInfo"))->ToElement();
  AddText(info, "LogEnabled", Flag(entry.Enabled != 0));
  AddText(info, "LogApi", Decimal(entry.API));
  AddText(info, "ApiUsed", Decimal(entry.APIUsed));
  AddText(info, "LogName", entry.Name);
  AddText(info, "LogDisplayName", entry.DisplayName);
  AddText(info, "NumberOfRecords", ToTextUnsigned(entry.NumOfRecords));
}

void SaveComputerInfo(TiXmlElement* task, const ComputerInfoRecord& record) {
  TiXmlElement* info = task->InsertEndChild(TiXmlElement("ComputerInfo"))->ToElement();
  AddText(info, "VersionMajor", Decimal(static_cast<int32_t>(record.VersionMajor)));
  AddText(info, "VersionMinor", Decimal(static_cast<int32_t>(record.VersionMinor)));
  AddText(info, "Type", Decimal(static_cast<int32_t>(record.Type)));
  AddText(info, "FullName", record.FullName);
  AddText(info, "Domain", record.Domain);
}

LogInfoEntry LoadLogInfo(const TiXmlElement* info) {
  LogInfoEntry entry;
  for (const TiXmlElement* c = info->FirstChildElement(); c; c = c->NextSiblingElement()) {
    std::string name = c->Value();
    auto text = ElementText(c);
    if (name == "LogApi") entry.API = Atoi(text);
    else if (name == "ApiUsed") entry.APIUsed = Atoi(text);
    else if (name == "LogEnabled") entry.Enabled = Atoi(text) == 1 ? 1 : 0;
    else if (name == "LogName" && text) entry.Name = *text;
    else if (name == "LogDisplayName" && text) entry.DisplayName = *text;
    else if (name == "NumberOfRecords") entry.NumOfRecords = text ? static_cast<uint64_t>(ParseInt64(*text)) : 0;
  }
  return entry;
}

std::unique_ptr<ComputerInfoRecord> LoadComputerInfo(const TiXmlElement* element) {
  auto record = std::make_unique<ComputerInfoRecord>();
  for (const TiXmlElement* c = element->FirstChildElement(); c; c = c->NextSiblingElement()) {
    std::string name = c->Value();
    auto text = ElementText(c);
    if (name == "VersionMajor") record->VersionMajor = static_cast<uint32_t>(Atoi(text));
    else if (name == "VersionMinor") record->VersionMinor = static_cast<uint32_t>(Atoi(text));
    else if (name == "Type") record->Type = static_cast<uint32_t>(Atoi(text));
    else if (name == "FullName" && text) record->FullName = *text;
    else if (name == "Domain" && text) record->Domain = *text;
  }
  return record;
}

std::pair<int32_t, int32_t> ParseAuditPair(const std::u16string& text) {
  size_t comma = text.find(u',');
  if (comma == std::u16string::npos) return {ParseInt32(text), ParseInt32(text)};
  return {ParseInt32(text.substr(0, comma)), ParseInt32(text.substr(comma + 1))};
}

void LoadModules(const TiXmlElement* modules, std::vector<std::u16string>& list) {
  list.clear();
  for (const TiXmlElement* m = modules->FirstChildElement("Module"); m; m = m->NextSiblingElement())
    if (auto file = AttributeText(m, "file")) list.push_back(*file);
}

}  // namespace

TiXmlElement* CTaskEventLog::SaveToXml(TiXmlNode* parent) const {
  TiXmlElement* task = parent->InsertEndChild(TiXmlElement("Task"))->ToElement();
  task->SetAttribute("CLSID", GuidToTextA(GetClassId()));
  AddText(task, "GUID", GuidToText(InstanceId));
  if (LogNames.empty()) AddText(task, "LogName", LogName);
  for (const auto& name : LogNames) AddText(task, "LogName", name);
  AddText(task, "CompactLogName", CompactLogName);
  AddText(task, "LoadFromEvtFile", LoadFromEvtFile);
  AddText(task, "ResolveSIDs", Flag(ResolveSIDs));
  AddText(task, "ResolveMACs", Flag(ResolveMACs));
  for (const auto& [first, second] : PolicyAuditEventTypes)
    AddText(task, "PolicyAuditEventType", Decimal(first) + u"," + Decimal(second));
  AddText(task, "SavePath", SavePath);
  AddText(task, "LastRecordNumber", Decimal(static_cast<int32_t>(LastRecordNumber)));
  AddText(task, "LastTimeWritten", Decimal(static_cast<int32_t>(LastTimeWritten)));
  TiXmlElement* modules = task->InsertEndChild(TiXmlElement("Modules"))->ToElement();
  for (const auto& module : Modules) {
    TiXmlElement* m = modules->InsertEndChild(TiXmlElement("Module"))->ToElement();
    SetAttributeText(m, "file", module);
  }
  AddText(task, "Filter", Filter);
  AddText(task, "SeekLastFirstRun", Flag(SeekLastFirstRun));
  AddText(task, "LastEventFound", Flag(LastEventFound));
  AddText(task, "CollectEventResources", Flag(CollectEventResources));
  AddText(task, "ResolveComputerName", Flag(ResolveComputerName));
  AddText(task, "UserLanguage", ToTextUnsigned(UserLanguage));
  AddText(task, "PreferredAPI", Decimal(PreferredAPI));
  AddText(task, "FallbackAPI", Decimal(FallbackAPI));
  AddText(task, "Warning", Warning);
  AddText(task, "ErrorStatus", Decimal(ErrorStatus));
  AddText(task, "ErrorText", ErrorText);
  AddText(task, "EventFileName", EventFileName);
  TiXmlElement* list = task->InsertEndChild(TiXmlElement("LogInfoList"))->ToElement();
  for (const auto& entry : LogInfoList) SaveLogInfo(list, entry);
  if (ComputerInfo) SaveComputerInfo(task, *ComputerInfo);
  return task;
}

void CTaskEventLog::LoadFromElement(const TiXmlElement* task) {
  ResetDefaults();
  if (task->FirstChild() != nullptr) UserLanguage = 0;
  using Reader = std::function<void(const TiXmlElement*, const std::optional<std::u16string>&)>;
  auto text = [](std::u16string& field) {
    return Reader([&field](const TiXmlElement*, const std::optional<std::u16string>& t) {
      if (t) field = *t;
    });
  };
  auto textOrEmpty = [](std::u16string& field) {
    return Reader([&field](const TiXmlElement*, const std::optional<std::u16string>& t) { field = t.value_or(u""); });
  };
  auto flag = [](bool& field) {
    return Reader([&field](const TiXmlElement*, const std::optional<std::u16string>& t) {
      if (t) field = ParseInt32(*t) != 0;
    });
  };
  auto number = [](auto& field) {
    return Reader([&field](const TiXmlElement*, const std::optional<std::u16string>& t) {
      if (t) field = static_cast<std::remove_reference_t<decltype(field)>>(ParseInt32(*t));
    });
  };
  const std::map<std::string, Reader> readers = {
      {"GUID",
       [this](const TiXmlElement*, const std::optional<std::u16string>& t) {
         if (t) InstanceId = TextToGuid(*t);
       }},
      {"LogName",
       [this](const TiXmlElement*, const std::optional<std::u16string>& t) {
         if (!t) return;
         LogNames.push_back(*t);
         LogName = *t;
       }},
      {"CompactLogName", text(CompactLogName)},
      {"LoadFromEvtFile", text(LoadFromEvtFile)},
      {"SavePath", text(SavePath)},
      {"Filter", text(Filter)},
      {"PolicyAuditEventType",
       [this](const TiXmlElement*, const std::optional<std::u16string>& t) {
         if (t) PolicyAuditEventTypes.push_back(ParseAuditPair(*t));
       }},
      {"LastRecordNumber", number(LastRecordNumber)},
      {"LastTimeWritten", number(LastTimeWritten)},
      {"PreferredAPI", number(PreferredAPI)},
      {"FallbackAPI", number(FallbackAPI)},
      {"UserLanguage", number(UserLanguage)},
      {"SeekLastFirstRun", flag(SeekLastFirstRun)},
      {"LastEventFound", flag(LastEventFound)},
      {"CollectEventResources", flag(CollectEventResources)},
      {"ResolveComputerName", flag(ResolveComputerName)},
      {"ResolveSIDs", flag(ResolveSIDs)},
      {"ResolveMACs", flag(ResolveMACs)},
      {"Warning", textOrEmpty(Warning)},
      {"ErrorText", textOrEmpty(ErrorText)},
      {"EventFileName", textOrEmpty(EventFileName)},
      {"ErrorStatus",
       [this](const TiXmlElement*, const std::optional<std::u16string>& t) { ErrorStatus = t ? ParseInt32(*t) : 0; }},
      {"ComputerInfo",
       [this](const TiXmlElement* e, const std::optional<std::u16string>&) { ComputerInfo = LoadComputerInfo(e); }},
      {"Modules", [this](const TiXmlElement* e, const std::optional<std::u16string>&) { LoadModules(e, Modules); }},
      {"LogInfoList",
       [this](const TiXmlElement* e, const std::optional<std::u16string>&) {
         for (const TiXmlElement* i = e->FirstChildElement("LogInfo"); i; i = i->NextSiblingElement("LogInfo"))
           LogInfoList.push_back(LoadLogInfo(i));
       }},
  };
  for (const TiXmlElement* child = task->FirstChildElement(); child; child = child->NextSiblingElement()) {
    auto it = readers.find(child->Value());
    if (it != readers.end()) it->second(child, ElementText(child));
  }
}

}  // namespace cmr
