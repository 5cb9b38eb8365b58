// One log of a computer as a "*" run listed it (ILogInfo).
#pragma once

#include "base/com/object.h"
#include "base/log_info_entry.h"
#include "com/EventCollector_h.h"

namespace cmr {

class CLogInfo : public com::Object<ILogInfo> {
 public:
  CLogInfo() = default;
  explicit CLogInfo(cmr::LogInfoEntry entry) : entry_(std::move(entry)) {}

  HRESULT STDMETHODCALLTYPE get_Name(BSTR* pVal) override;
  HRESULT STDMETHODCALLTYPE get_API(LONG* pVal) override;
  HRESULT STDMETHODCALLTYPE get_Enabled(VARIANT_BOOL* pVal) override;
  HRESULT STDMETHODCALLTYPE get_NumOfRecords(ULONGLONG* pVal) override;
  HRESULT STDMETHODCALLTYPE get_DisplayName(BSTR* pVal) override;
  HRESULT STDMETHODCALLTYPE get_APIUsed(LONG* pVal) override;

 private:
  cmr::LogInfoEntry entry_;
};

}  // namespace cmr
