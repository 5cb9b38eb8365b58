#include "task/com/task_computer_info.h"

#include "base/com/method_boundary.h"
#include "task/com/out_value.h"

namespace cmr {

HRESULT CTaskComputerInfo::get_VersionMajor(ULONG* pVal) { return ReturnValue(record_.VersionMajor, pVal); }

HRESULT CTaskComputerInfo::get_VersionMinor(ULONG* pVal) { return ReturnValue(record_.VersionMinor, pVal); }

HRESULT CTaskComputerInfo::get_Type(ULONG* pVal) { return ReturnValue(record_.Type, pVal); }

HRESULT CTaskComputerInfo::get_FullName(BSTR* pVal) { return com::ReturnBstr(record_.FullName, pVal); }

HRESULT CTaskComputerInfo::get_Domain(BSTR* pVal) { return com::ReturnBstr(record_.Domain, pVal); }

}  // namespace cmr
