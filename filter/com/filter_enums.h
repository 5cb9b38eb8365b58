// The enumerator objects behind IncludingFilters, ExcludingFilters, Strings
// and EventLogs. Each answers _NewEnum with an IEnumVARIANT of VT_DISPATCH
// items. Filter and insertion-string enumerators are snapshots that make
// fresh item objects on every _NewEnum; the event-log enumerator makes its
// items once, when it is created, and shares them with every IEnumVARIANT.
#pragma once

#include <map>
#include <string>
#include <vector>

#include "base/com/object.h"
#include "com/EventCollector_h.h"
#include "filter/event_filter.h"

namespace cmr {

class CFilterEnumImpl : public com::Object<IECFilterEnum, com::ErrorInfoSupport<IECFilterEnum>> {
 public:
  // Made by a class factory: no list; _NewEnum answers E_UNEXPECTED.
  CFilterEnumImpl() = default;
  explicit CFilterEnumImpl(CEventFilter::FilterList filters) : attached_(true), filters_(std::move(filters)) {}

  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** value) override;

 private:
  bool attached_ = false;
  CEventFilter::FilterList filters_;
};

class CFilterISEnumImpl : public com::Object<IECFilterISEnum, com::ErrorInfoSupport<IECFilterISEnum>> {
 public:
  CFilterISEnumImpl() = default;
  explicit CFilterISEnumImpl(std::map<uint32_t, std::u16string> strings)
      : attached_(true), strings_(std::move(strings)) {}

  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** value) override;

 private:
  bool attached_ = false;
  std::map<uint32_t, std::u16string> strings_;
};

class CEventLogEnumImpl : public com::Object<IECEventLogEnum, com::ErrorInfoSupport<IECEventLogEnum>> {
 public:
  CEventLogEnumImpl() = default;
  ~CEventLogEnumImpl() override;

  // A new enumerator with one EventLog object per entry of `logs`.
  static HRESULT Create(const CEventFilter::EventLogList& logs, IECEventLogEnum** result);

  HRESULT STDMETHODCALLTYPE get__NewEnum(IUnknown** value) override;

 private:
  bool attached_ = false;
  std::vector<VARIANT> items_;
};

}  // namespace cmr
