#include "tools/filter_client.h"

#include <filesystem>
#include "base/com/bstr.h"

#include "tools/com_calls.h"
#include "tools/option_values.h"
#include "tools/task_client.h"

namespace tool {
namespace {

using com::Bstr;

// The IDispatch items of an enumerator object's _NewEnum, queried for I.
template <class I, class Enumerator>
bool Items(Enumerator* enumerator, const char* what, std::vector<com::Ptr<I>>* items, std::string* error) {
  Calls call(error);
  com::Ptr<IUnknown> unknown;
  com::Ptr<IEnumVARIANT> walk;
  if (!call(what, enumerator->get__NewEnum(unknown.Receive())) || !call("IEnumVARIANT", unknown.As(walk))) return false;
  for (;;) {
    VARIANT v;
    VariantInit(&v);
    ULONG fetched = 0;
    HRESULT hr = walk->Next(1, &v, &fetched);
    if (!call("IEnumVARIANT::Next", hr) || hr != S_OK || fetched != 1) break;
    com::Ptr<I> item;
    if (v.vt == VT_DISPATCH && v.pdispVal != nullptr) call(what, com::Ptr<IDispatch>(v.pdispVal).As(item));
    VariantClear(&v);
    if (item) items->push_back(item);
  }
  return call.ok();
}

}  // namespace

bool FilterFile::Open(const Component& component, const std::string& path, std::string* error) {
  Calls call(error);
  return call("creating a Filters object", component.Create(CLSID_Filters, filters_)) &&
         call("IECFilters::Init", filters_->Init(Bstr(WidePath(path)).Get()));
}

bool FilterFile::Commit(std::string* error) {
  Calls call(error);
  return call("IECFilters::Commit", filters_->Commit());
}

bool FilterFile::List(bool excluding, std::vector<com::Ptr<IECFilter>>* filters, std::string* error) {
  Calls call(error);
  com::Ptr<IECFilterEnum> list;
  HRESULT hr =
      excluding ? filters_->get_ExcludingFilters(list.Receive()) : filters_->get_IncludingFilters(list.Receive());
  return call(excluding ? "IECFilters::ExcludingFilters" : "IECFilters::IncludingFilters", hr) &&
         Items<IECFilter>(list.Get(), "IECFilterEnum::_NewEnum", filters, error);
}

bool FilterFile::Logs(std::vector<std::u16string>* names, std::string* error) {
  Calls call(error);
  com::Ptr<IECEventLogEnum> list;
  std::vector<com::Ptr<IECEventLog>> logs;
  if (!call("IECFilters::EventLogs", filters_->get_EventLogs(list.Receive())) ||
      !Items<IECEventLog>(list.Get(), "IECEventLogEnum::_NewEnum", &logs, error)) {
    return false;
  }
  for (const auto& log : logs) {
    Bstr name;
    if (!call("IECEventLog::Name", log->get_Name(name.Receive()))) return false;
    names->push_back(name.Text());
  }
  return true;
}

std::u16string FilterFile::TimeText(uint32_t seconds) {
  Bstr text;
  return SUCCEEDED(filters_->UTCtoTimeString(seconds, text.Receive())) ? text.Text() : u"?";
}

bool ReadFilter(IECFilter* f, FilterFields* out, std::string* error) {
  Calls call(error);
  Bstr guid, name, description, log, ids, levels, source, computer, user;
  call("IECFilter::Guid", f->get_Guid(guid.Receive()));
  call("IECFilter::DisplayName", f->get_DisplayName(name.Receive()));
  call("IECFilter::Description", f->get_Description(description.Receive()));
  call("IECFilter::EventLog", f->get_EventLog(log.Receive()));
  call("IECFilter::EventID", f->get_EventID(ids.Receive()));
  call("IECFilter::Level", f->get_Level(levels.Receive()));
  call("IECFilter::EventSource", f->get_EventSource(source.Receive()));
  call("IECFilter::Computer", f->get_Computer(computer.Receive()));
  call("IECFilter::User", f->get_User(user.Receive()));
  call("IECFilter::Flags", f->get_Flags(&out->flags));
  call("IECFilter::EventType", f->get_EventType(&out->eventType));
  call("IECFilter::EventCategory", f->get_EventCategory(&out->category));
  call("IECFilter::DateFrom", f->get_DateFrom(&out->from));
  call("IECFilter::DateTo", f->get_DateTo(&out->to));
  call("IECFilter::Keywords", f->get_Keywords(&out->keywords));
  out->guid = guid.Text();
  out->name = name.Text();
  out->description = description.Text();
  out->eventLog = log.Text();
  out->eventIds = ids.Text();
  out->levels = levels.Text();
  out->source = source.Text();
  out->computer = computer.Text();
  out->user = user.Text();
  com::Ptr<IECFilterISEnum> strings;
  std::vector<com::Ptr<IECFilterIS>> items;
  if (!call("IECFilter::Strings", f->get_Strings(strings.Receive())) ||
      !Items<IECFilterIS>(strings.Get(), "IECFilterISEnum::_NewEnum", &items, error)) {
    return false;
  }
  for (const auto& item : items) {
    ULONG index = 0;
    Bstr text;
    call("IECFilterIS::Index", item->get_Index(&index));
    call("IECFilterIS::String", item->get_String(text.Receive()));
    out->strings.emplace_back(index, text.Text());
  }
  return call.ok();
}

int CheckFilterFile(const std::string& path, bool mustExist, std::string* error) {
  std::error_code ec;
  if (!mustExist && !std::filesystem::exists(path, ec)) return 0;
  return CheckInputFile(path, true, error);
}

}  // namespace tool
