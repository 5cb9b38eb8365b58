// Facts about the computer whose logs a task reads: version and server type
// (NetServerGetInfo), fully qualified name (reverse and forward name lookup)
// and domain (NetWkstaGetInfo, DsGetDcNameW).
#pragma once

#include <string>

#include "platform/api/types.h"
#include "task/computer_info_record.h"

namespace cmr {

// Fills `record` as far as the computer answers. Returns 0 when everything
// was read, else the HRESULT of the first failing query (the version query's
// before the domain queries'); every failure is traced, nothing is thrown.
HRESULT GetComputerInfo(const std::u16string& computerName, ComputerInfoRecord& record);

}  // namespace cmr
