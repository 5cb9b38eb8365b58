// Filter: one filter of a set, shared with the set, edited through IECFilter.
// Setters leave FilterFlags as it is; a client that wants a criterion tested
// sets Flags too.
#pragma once

#include "base/com/object.h"
#include "com/EventCollector_h.h"
#include "filter/event_filter.h"

namespace cmr {

class CFilterImpl : public com::Object<IECFilter, com::ErrorInfoSupport<IECFilter>> {
 public:
  // Made by a class factory: attached to no filter; every member answers E_UNEXPECTED.
  CFilterImpl() = default;
  explicit CFilterImpl(CEventFilter::FilterPtr filter) : filter_(std::move(filter)) {}

  HRESULT STDMETHODCALLTYPE get_DateFrom(ULONG* value) override;
  HRESULT STDMETHODCALLTYPE put_DateFrom(ULONG value) override;
  HRESULT STDMETHODCALLTYPE get_DateTo(ULONG* value) override;
  HRESULT STDMETHODCALLTYPE put_DateTo(ULONG value) override;
  HRESULT STDMETHODCALLTYPE get_EventID(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_EventID(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_EventType(ULONG* value) override;
  HRESULT STDMETHODCALLTYPE put_EventType(ULONG value) override;
  HRESULT STDMETHODCALLTYPE get_EventCategory(ULONG* value) override;
  HRESULT STDMETHODCALLTYPE put_EventCategory(ULONG value) override;
  HRESULT STDMETHODCALLTYPE get_EventSource(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_EventSource(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Computer(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Computer(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_User(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_User(BSTR value) override;
  HRESULT STDMETHODCALLTYPE SetString(ULONG index, BSTR text) override;
  HRESULT STDMETHODCALLTYPE get_Strings(IECFilterISEnum** value) override;
  HRESULT STDMETHODCALLTYPE put_Strings(IECFilterISEnum* value) override;
  HRESULT STDMETHODCALLTYPE get_DisplayName(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_DisplayName(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Guid(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Guid(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Flags(ULONG* value) override;
  HRESULT STDMETHODCALLTYPE put_Flags(ULONG value) override;
  HRESULT STDMETHODCALLTYPE get_Description(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Description(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_EventLog(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_EventLog(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Level(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Level(BSTR value) override;
  HRESULT STDMETHODCALLTYPE get_Keywords(LONGLONG* value) override;
  HRESULT STDMETHODCALLTYPE put_Keywords(LONGLONG value) override;

 private:
  // Runs `body` on the filter: E_UNEXPECTED without one, E_POINTER for a null
  // out pointer, and what it throws as the method's result.
  template <class Out, class Body>
  HRESULT Get(Out* out, Body body);
  template <class Body>
  HRESULT Put(Body body);

  CEventFilter::FilterPtr filter_;
};

}  // namespace cmr
