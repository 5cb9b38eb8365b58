// The computer facts of a task's result (ITaskComputerInfo): a copy of the
// configuration's computer information record. Reached through
// ITaskResult::ComputerInfo; it has no class object of its own.
#pragma once

#include "base/com/object.h"
#include "com/EventCollector_h.h"
#include "task/computer_info_record.h"

namespace cmr {

class CTaskComputerInfo : public com::Object<ITaskComputerInfo> {
 public:
  explicit CTaskComputerInfo(cmr::ComputerInfoRecord record) : record_(std::move(record)) {}

  HRESULT STDMETHODCALLTYPE get_VersionMajor(ULONG* pVal) override;
  HRESULT STDMETHODCALLTYPE get_VersionMinor(ULONG* pVal) override;
  HRESULT STDMETHODCALLTYPE get_Type(ULONG* pVal) override;
  HRESULT STDMETHODCALLTYPE get_FullName(BSTR* pVal) override;
  HRESULT STDMETHODCALLTYPE get_Domain(BSTR* pVal) override;

 private:
  cmr::ComputerInfoRecord record_;
};

}  // namespace cmr
