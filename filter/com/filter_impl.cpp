#include "filter/com/filter_impl.h"

#include <type_traits>

#include "base/com/method_boundary.h"
#include "filter/com/filter_enums.h"

namespace cmr {

template <class Out, class Body>
HRESULT CFilterImpl::Get(Out* out, Body body) {
  if (!filter_) return E_UNEXPECTED;
  if (out == nullptr) return E_POINTER;
  return com::Guarded([&] { return body(*filter_, out); });
}

template <class Body>
HRESULT CFilterImpl::Put(Body body) {
  if (!filter_) return E_UNEXPECTED;
  return com::Guarded([&] {
    body(*filter_);
    return S_OK;
  });
}

namespace {

using Filter = CEventFilter::CFilter;

template <class T>
auto Number(T Filter::*field) {
  return [field](Filter& f, auto* out) {
    *out = static_cast<std::remove_pointer_t<decltype(out)>>(f.*field);
    return S_OK;
  };
}

auto Text(std::u16string Filter::*field) {
  return [field](Filter& f, BSTR* out) { return com::ReturnBstr(f.*field, out); };
}

auto Ranges(IdRangeList Filter::*field) {
  return [field](Filter& f, BSTR* out) { return com::ReturnBstr(IdRangesToString(f.*field), out); };
}

}  // namespace

HRESULT CFilterImpl::get_DateFrom(ULONG* value) { return Get(value, Number(&Filter::TimeFrom)); }
HRESULT CFilterImpl::put_DateFrom(ULONG value) {
  return Put([&](Filter& f) { f.TimeFrom = value; });
}
HRESULT CFilterImpl::get_DateTo(ULONG* value) { return Get(value, Number(&Filter::TimeTo)); }
HRESULT CFilterImpl::put_DateTo(ULONG value) {
  return Put([&](Filter& f) { f.TimeTo = value; });
}
HRESULT CFilterImpl::get_EventID(BSTR* value) { return Get(value, Ranges(&Filter::EventIDs)); }
HRESULT CFilterImpl::put_EventID(BSTR value) {
  return Put([&](Filter& f) { ParseIdRanges(com::BstrText(value), f.EventIDs); });
}
HRESULT CFilterImpl::get_EventType(ULONG* value) { return Get(value, Number(&Filter::EventType)); }
HRESULT CFilterImpl::put_EventType(ULONG value) {
  return Put([&](Filter& f) { f.EventType = static_cast<uint16_t>(value); });
}
HRESULT CFilterImpl::get_EventCategory(ULONG* value) { return Get(value, Number(&Filter::EventCategory)); }
HRESULT CFilterImpl::put_EventCategory(ULONG value) {
  return Put([&](Filter& f) { f.EventCategory = static_cast<uint16_t>(value); });
}
HRESULT CFilterImpl::get_EventSource(BSTR* value) { return Get(value, Text(&Filter::Source)); }
HRESULT CFilterImpl::put_EventSource(BSTR value) {
  return Put([&](Filter& f) { f.Source = com::BstrText(value); });
}
HRESULT CFilterImpl::get_Computer(BSTR* value) { return Get(value, Text(&Filter::Computer)); }
HRESULT CFilterImpl::put_Computer(BSTR value) {
  return Put([&](Filter& f) { f.Computer = com::BstrText(value); });
}
HRESULT CFilterImpl::get_User(BSTR* value) { return Get(value, Text(&Filter::User)); }
HRESULT CFilterImpl::put_User(BSTR value) {
  return Put([&](Filter& f) { f.User = com::BstrText(value); });
}

HRESULT CFilterImpl::SetString(ULONG index, BSTR text) {
  if (filter_ && index == 0) return E_INVALIDARG;
  return Put([&](Filter& f) { f.InsertionStrings[index] = com::BstrText(text); });
}

HRESULT CFilterImpl::get_Strings(IECFilterISEnum** value) {
  return Get(value, [](Filter& f, IECFilterISEnum** out) {
    return com::CreateObject<CFilterISEnumImpl>(out, f.InsertionStrings);
  });
}

HRESULT CFilterImpl::put_Strings(IECFilterISEnum* value) {
  if (filter_ && value != nullptr) return E_NOTIMPL;
  return Put([](Filter& f) { f.InsertionStrings.clear(); });
}

HRESULT CFilterImpl::get_DisplayName(BSTR* value) { return Get(value, Text(&Filter::Name)); }
HRESULT CFilterImpl::put_DisplayName(BSTR value) {
  return Put([&](Filter& f) { f.Name = com::BstrText(value); });
}
HRESULT CFilterImpl::get_Guid(BSTR* value) { return Get(value, Text(&Filter::GUID)); }
HRESULT CFilterImpl::put_Guid(BSTR value) {
  return Put([&](Filter& f) { f.GUID = com::BstrText(value); });
}
HRESULT CFilterImpl::get_Flags(ULONG* value) { return Get(value, Number(&Filter::FilterFlags)); }
HRESULT CFilterImpl::put_Flags(ULONG value) {
  return Put([&](Filter& f) { f.FilterFlags = value; });
}
HRESULT CFilterImpl::get_Description(BSTR* value) { return Get(value, Text(&Filter::Description)); }
HRESULT CFilterImpl::put_Description(BSTR value) {
  return Put([&](Filter& f) { f.Description = com::BstrText(value); });
}
HRESULT CFilterImpl::get_EventLog(BSTR* value) { return Get(value, Text(&Filter::EventLog)); }
HRESULT CFilterImpl::put_EventLog(BSTR value) {
  return Put([&](Filter& f) { f.EventLog = com::BstrText(value); });
}
HRESULT CFilterImpl::get_Level(BSTR* value) { return Get(value, Ranges(&Filter::Levels)); }
HRESULT CFilterImpl::put_Level(BSTR value) {
  return Put([&](Filter& f) { ParseIdRanges(com::BstrText(value), f.Levels); });
}
HRESULT CFilterImpl::get_Keywords(LONGLONG* value) { return Get(value, Number(&Filter::Keywords)); }
HRESULT CFilterImpl::put_Keywords(LONGLONG value) {
  return Put([&](Filter& f) { f.Keywords = static_cast<uint64_t>(value); });
}

}  // namespace cmr
