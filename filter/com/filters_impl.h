// Filters: a filter file opened with Init, edited through child objects that
// share the set's filters and log entries, and written with Commit.
#pragma once

#include <string>

#include "base/com/object.h"
#include "com/EventCollector_h.h"
#include "filter/event_filter.h"

namespace cmr {

class CFiltersImpl : public com::Object<IECFilters, com::ErrorInfoSupport<IECFilters>> {
 public:
  CFiltersImpl() = default;

  HRESULT STDMETHODCALLTYPE Init(BSTR fileName) override;
  HRESULT STDMETHODCALLTYPE Commit() override;
  HRESULT STDMETHODCALLTYPE AddIncludingFilter(IECFilter** filter) override;
  HRESULT STDMETHODCALLTYPE AddExcludingFilter(IECFilter** filter) override;
  HRESULT STDMETHODCALLTYPE AddIncludingFilterEx(INT priority, IECFilter** filter) override;
  HRESULT STDMETHODCALLTYPE AddExcludingFilterEx(INT priority, IECFilter** filter) override;
  HRESULT STDMETHODCALLTYPE get_IncludingFilters(IECFilterEnum** value) override;
  HRESULT STDMETHODCALLTYPE get_ExcludingFilters(IECFilterEnum** value) override;
  HRESULT STDMETHODCALLTYPE RemoveFilter(BSTR guid) override;
  HRESULT STDMETHODCALLTYPE FindFilter(BSTR guid, IECFilter** filter) override;
  HRESULT STDMETHODCALLTYPE get_UseFilter(VARIANT_BOOL* value) override;
  HRESULT STDMETHODCALLTYPE put_UseFilter(VARIANT_BOOL value) override;
  HRESULT STDMETHODCALLTYPE get_EventLogs(IECEventLogEnum** value) override;
  HRESULT STDMETHODCALLTYPE put_EventLogs(IECEventLogEnum* value) override;
  HRESULT STDMETHODCALLTYPE AddLog(IECEventLog** log) override;
  HRESULT STDMETHODCALLTYPE RemoveLog(BSTR name) override;
  HRESULT STDMETHODCALLTYPE ToString(BSTR* text) override;
  HRESULT STDMETHODCALLTYPE ParseTimeToUTC(BSTR time, ULONG* seconds) override;
  HRESULT STDMETHODCALLTYPE UTCtoTimeString(ULONG seconds, BSTR* time) override;

 private:
  HRESULT AddFilter(bool excluding, INT priority, IECFilter** filter);
  HRESULT Enumerate(const CEventFilter::FilterList& filters, IECFilterEnum** value);

  std::u16string fileName_;
  CEventFilter set_;
};

}  // namespace cmr
