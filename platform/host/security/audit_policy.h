// The audit policy of a simulated computer, kept where Windows keeps it: the
// default value of HKLM\SECURITY\Policy\PolAdtEv. A machine folder made from
// a real computer's registry export therefore reports that computer's policy.
//
// Two layouts of the value are read:
// - Windows NT 4.0 to Server 2003: a 4-byte header whose first byte is the
//   auditing mode, one 32-bit option per category, and the number of
//   categories as the last 32-bit value;
// - Windows Vista and later: a 12-byte header (16-bit revision 0x0100, 16-bit
//   0, 32-bit number of categories, 32-bit offset of the count table), one
//   16-bit setting per subcategory, grouped by category in category order,
//   one spare 16-bit value, and at that offset the 16-bit number of
//   subcategories of each category.
// The options of a category in the later layout are its subcategories'
// settings taken together (a category audits successes when any of its
// subcategories does); the auditing mode is on when anything is audited.
#pragma once

#include <array>
#include <vector>

#include "platform/api/security.h"
#include "platform/host/host.h"

namespace host {

inline constexpr char16_t kAuditPolicyKeyPath[] = u"SECURITY\\Policy\\PolAdtEv";

// The legacy categories (POLICY_AUDIT_EVENT_TYPE).
inline constexpr size_t kAuditCategoryCount = 9;
using AuditCategoryOptions = std::array<ULONG, kAuditCategoryCount>;

struct AuditPolicyInfo {
  bool auditingMode = false;
  std::vector<ULONG> options;  // POLICY_AUDIT_EVENT_SUCCESS / _FAILURE per category
};

// Decodes the value's bytes; false when they have neither layout.
bool ParseAuditPolicy(const std::vector<BYTE>& data, AuditPolicyInfo* policy);

// The computer's policy: nine categories auditing nothing when the value is
// absent. Under the host lock. 0, or ERROR_INVALID_DATA for a value in no
// known layout.
DWORD ReadAuditPolicy(Computer& computer, AuditPolicyInfo* policy);

// The value's bytes in each layout for the given category options.
std::vector<BYTE> LegacyAuditPolicyBytes(bool auditingMode, const std::vector<ULONG>& options);
std::vector<BYTE> SubcategoryAuditPolicyBytes(const AuditCategoryOptions& options);

// Writes the policy in the later layout, every subcategory of a category
// set to the category's options (takes the host lock).
void SetAuditPolicy(Computer& computer, const AuditCategoryOptions& options);

}  // namespace host
