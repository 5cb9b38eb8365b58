#include "task/audit_status.h"

#include <memory>

#include "base/error_report.h"
#include "base/exceptions.h"
#include "base/trace.h"
#include "platform/api/security.h"

namespace cmr {
namespace {

constexpr const char16_t* kCategoryTexts[] = {
    u"Auditing of System",
    u"Auditing of Logon",
    u"Auditing of Object Access",
    u"Auditing of Privilege Use",
    u"Auditing of Detailed Tracking",
    u"Auditing of Policy Change",
    u"Auditing of Account Management",
    u"Auditing of Directory Service Access",
    u"Auditing of Account Logon",
};

struct PolicyCloser {
  void operator()(LSA_HANDLE policy) const { LsaClose(policy); }
};
using PolicyHandle = std::unique_ptr<void, PolicyCloser>;

struct LsaMemory {
  void operator()(void* buffer) const { LsaFreeMemory(buffer); }
};

// The pairs that the policy's per-category options do not meet.
void Analyze(const POLICY_AUDIT_EVENTS_INFO& info, const std::vector<AuditPair>& required,
             std::vector<AuditPair>& notMet) {
  for (const AuditPair& pair : required) {
    auto [category, flags] = pair;
    if (category < 0 || static_cast<ULONG>(category) >= info.MaximumAuditEventCount) continue;
    ULONG wanted = static_cast<ULONG>(flags);
    if ((info.EventAuditingOptions[category] & wanted) != wanted) notMet.push_back(pair);
  }
}

}  // namespace

HRESULT GetAuditStatus(const std::u16string& computer, const std::vector<AuditPair>& required,
                       std::vector<AuditPair>& notMet, std::u16string& errorText) {
  Trace(30, u"GetAuditStatus - started");
  USHORT length = static_cast<USHORT>(computer.size() * sizeof(char16_t));
  LSA_UNICODE_STRING name{length, static_cast<USHORT>(length + sizeof(char16_t)),
                          reinterpret_cast<PWSTR>(const_cast<char16_t*>(computer.c_str()))};
  LSA_OBJECT_ATTRIBUTES attributes{};
  LSA_HANDLE opened = nullptr;
  Trace(30, u"Opening policy...");
  NTSTATUS status =
      LsaOpenPolicy(computer.empty() ? nullptr : &name, &attributes, POLICY_VIEW_AUDIT_INFORMATION, &opened);
  if (status != 0) {
    DWORD e = LsaNtStatusToWinError(status);
    errorText = Win32ErrorText(e);
    return ReportWin32Error(E_FAIL, e, u"Cannot open security policy settings");
  }
  PolicyHandle policy(opened);
  HRESULT result = S_OK;
  Trace(30, u"Query policy...");
  PVOID buffer = nullptr;
  status = LsaQueryInformationPolicy(policy.get(), PolicyAuditEventsInformation, &buffer);
  if (status != 0) {
    Trace(30, u"Cannot query policy - %d", status);
    DWORD e = LsaNtStatusToWinError(status);
    errorText = Win32ErrorText(e);
    result = ReportWin32Error(E_FAIL, e, u"Cannot obtain security policy settings");
  } else {
    std::unique_ptr<void, LsaMemory> info(buffer);
    Trace(30, u"Analyze...");
    Analyze(*static_cast<const POLICY_AUDIT_EVENTS_INFO*>(buffer), required, notMet);
  }
  Trace(30, u"Done, closing policy");
  return result;
}

std::u16string AuditPairText(const AuditPair& pair) {
  auto [category, flags] = pair;
  std::u16string text =
      category >= 0 && category < static_cast<int32_t>(std::size(kCategoryTexts)) ? kCategoryTexts[category] : u"";
  switch (flags) {
    case POLICY_AUDIT_EVENT_SUCCESS: return text + u" Success";
    case POLICY_AUDIT_EVENT_FAILURE: return text + u" Failure";
    case POLICY_AUDIT_EVENT_NONE: return text + u" None";
    default: return text;
  }
}

std::u16string AuditListText(const std::vector<AuditPair>& pairs) {
  std::u16string text;
  for (size_t i = 0; i < pairs.size(); ++i) {
    if (i > 0) text += u" and ";
    text += AuditPairText(pairs[i]);
  }
  return text;
}

}  // namespace cmr
