// The small filter objects: an event-log entry shared with its set, and a
// copied insertion-string condition.
#pragma once

#include <string>

#include "base/com/object.h"
#include "com/EventCollector_h.h"
#include "filter/event_filter.h"

namespace cmr {

class CEventLogImpl : public com::Object<IECEventLog, com::ErrorInfoSupport<IECEventLog>> {
 public:
  // Made by a class factory: attached to no entry; members answer E_UNEXPECTED.
  CEventLogImpl() = default;
  explicit CEventLogImpl(CEventFilter::EventLogPtr log) : log_(std::move(log)) {}

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* value) override;
  HRESULT STDMETHODCALLTYPE put_Name(BSTR value) override;

 private:
  CEventFilter::EventLogPtr log_;
};

class CFilterISImpl : public com::Object<IECFilterIS, com::ErrorInfoSupport<IECFilterIS>> {
 public:
  // Made by a class factory: holds no condition; members answer E_UNEXPECTED.
  CFilterISImpl() = default;
  CFilterISImpl(ULONG index, std::u16string text) : attached_(true), index_(index), text_(std::move(text)) {}

  HRESULT STDMETHODCALLTYPE get_Index(ULONG* value) override;
  HRESULT STDMETHODCALLTYPE get_String(BSTR* value) override;

 private:
  bool attached_ = false;
  ULONG index_ = 0;
  std::u16string text_;
};

}  // namespace cmr
