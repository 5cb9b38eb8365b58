// The audit policy check: which of the configuration's requirements (pairs
// of a POLICY_AUDIT_EVENT_TYPE category and the POLICY_AUDIT_EVENT_ flags
// that must be on for it) the computer's audit policy does not meet.
#pragma once

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "platform/api/types.h"

namespace cmr {

// (category, flags), as the task configuration keeps them.
using AuditPair = std::pair<int32_t, int32_t>;

// Reads the computer's policy through the Local Security Authority (an
// empty name is the local computer) and appends to `notMet` every pair of
// `required` whose flags are not all audited for its category; a pair whose
// category the policy does not have is left out. A failure to open or read
// the policy is reported through the COM error object and `errorText`, and
// returns E_FAIL.
HRESULT GetAuditStatus(const std::u16string& computer, const std::vector<AuditPair>& required,
                       std::vector<AuditPair>& notMet, std::u16string& errorText);

// "Auditing of Logon Success": the category's text, then the flag's word
// (none for flags other than 1, 2 or 4).
std::u16string AuditPairText(const AuditPair& pair);

// The pairs' texts joined by " and "; empty for no pair.
std::u16string AuditListText(const std::vector<AuditPair>& pairs);

}  // namespace cmr
