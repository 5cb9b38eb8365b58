#include "task/com/task_computer_info.h"

#include "base/com/method_boundary.h"

namespace {

HRESULT ReturnNumber(ULONG value, ULONG* out) {
  if (out == nullptr) return E_POINTER;
  *out = value;
  return S_OK;
}

}  // namespace

HRESULT CTaskComputerInfo::get_VersionMajor(ULONG* pVal) { return ReturnNumber(record_.VersionMajor, pVal); }

HRESULT CTaskComputerInfo::get_VersionMinor(ULONG* pVal) { return ReturnNumber(record_.VersionMinor, pVal); }

HRESULT CTaskComputerInfo::get_Type(ULONG* pVal) { return ReturnNumber(record_.Type, pVal); }

HRESULT CTaskComputerInfo::get_FullName(BSTR* pVal) { return com::ReturnBstr(record_.FullName, pVal); }

HRESULT CTaskComputerInfo::get_Domain(BSTR* pVal) { return com::ReturnBstr(record_.Domain, pVal); }
