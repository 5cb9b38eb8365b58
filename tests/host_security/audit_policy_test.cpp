// The audit policy that LsaQueryInformationPolicy reports comes from the
// computer's registry value PolAdtEv, in either of the layouts Windows keeps.
// (A value imported from a machine folder's registry export: tests/cli, the
// audit command.)
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/api/security.h"
#include "platform/host/registry/registry_model.h"
#include "platform/host/security/audit_policy.h"
#include "tests/support/fresh_host.h"

namespace {

class AuditPolicyValue : public testsupport::FreshHost {
 protected:
  void SetValue(const std::vector<BYTE>& data) {
    bool created = false;
    auto key = host::Registry::Create(Local().Service<host::Registry>().Root(HKEY_LOCAL_MACHINE),
                                      host::kAuditPolicyKeyPath, &created);
    key->SetValue(u"", REG_NONE, data);
  }

  // The options LsaQueryInformationPolicy reports, or the status it failed with.
  NTSTATUS Query(std::vector<ULONG>* options, bool* mode = nullptr) {
    LSA_OBJECT_ATTRIBUTES attributes{};
    LSA_HANDLE policy = nullptr;
    NTSTATUS status = LsaOpenPolicy(nullptr, &attributes, POLICY_VIEW_AUDIT_INFORMATION, &policy);
    if (status != STATUS_SUCCESS) return status;
    PVOID buffer = nullptr;
    status = LsaQueryInformationPolicy(policy, PolicyAuditEventsInformation, &buffer);
    if (status == STATUS_SUCCESS) {
      auto* info = static_cast<PPOLICY_AUDIT_EVENTS_INFO>(buffer);
      options->assign(info->EventAuditingOptions, info->EventAuditingOptions + info->MaximumAuditEventCount);
      if (mode) *mode = info->AuditingMode != FALSE;
      LsaFreeMemory(buffer);
    }
    LsaClose(policy);
    return status;
  }
};

// A value in the later layout with the given subcategory settings and counts.
std::vector<BYTE> SubcategoryValue(const std::vector<uint16_t>& settings, const std::vector<uint16_t>& counts) {
  std::vector<BYTE> out = {0x00, 0x01, 0, 0};
  auto put16 = [&](uint16_t v) { out.insert(out.end(), {static_cast<BYTE>(v), static_cast<BYTE>(v >> 8)}); };
  auto put32 = [&](uint32_t v) { put16(static_cast<uint16_t>(v)), put16(static_cast<uint16_t>(v >> 16)); };
  put32(static_cast<uint32_t>(counts.size()));
  put32(static_cast<uint32_t>(12 + 2 * settings.size() + 2));
  for (uint16_t s : settings) put16(s);
  put16(0xBEEF);  // the spare value is not a setting
  for (uint16_t c : counts) put16(c);
  return out;
}

TEST_F(AuditPolicyValue, BothLayoutsAreRead) {
  // Windows 7 counts: System 5, Logon/Logoff 9, Object Access 12, ...
  std::vector<uint16_t> counts7 = {5, 9, 12, 3, 4, 6, 6, 4, 4};
  std::vector<uint16_t> settings7(53, 0);
  settings7[5] = 1;   // Logon/Logoff: Logon, successes
  settings7[7] = 2;   // Logon/Logoff: Account Lockout, failures
  settings7[52] = 3;  // Account Logon: its last subcategory
  const struct {
    const char* name;
    std::vector<BYTE> data;
    std::vector<ULONG> options;
    bool mode;
  } cases[] = {
      {"Windows 2000 to 2003",
       host::LegacyAuditPolicyBytes(true, {0, 1, 2, 0, 0, 3, 0, 0, 1}),
       {0, 1, 2, 0, 0, 3, 0, 0, 1},
       true},
      {"NT 4.0, auditing off",
       host::LegacyAuditPolicyBytes(false, {1, 0, 0, 0, 0, 0, 2}),
       {1, 0, 0, 0, 0, 0, 2},
       false},
      {"Windows 7", SubcategoryValue(settings7, counts7), {0, 3, 0, 0, 0, 0, 0, 0, 3}, true},
      {"Windows 10", host::SubcategoryAuditPolicyBytes({2, 1, 0, 0, 0, 0, 0, 0, 0}), {2, 1, 0, 0, 0, 0, 0, 0, 0}, true},
      {"nothing audited", host::SubcategoryAuditPolicyBytes({}), {0, 0, 0, 0, 0, 0, 0, 0, 0}, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    SetValue(c.data);
    std::vector<ULONG> options;
    bool mode = !c.mode;
    ASSERT_EQ(Query(&options, &mode), STATUS_SUCCESS);
    EXPECT_EQ(options, c.options);
    EXPECT_EQ(mode, c.mode);
  }
}

TEST_F(AuditPolicyValue, AbsentValueAuditsNothingAndDamagedValueFailsTheQuery) {
  std::vector<ULONG> options;
  ASSERT_EQ(Query(&options), STATUS_SUCCESS);
  EXPECT_EQ(options, std::vector<ULONG>(9, 0));

  std::vector<BYTE> good = host::SubcategoryAuditPolicyBytes({1, 1, 1, 1, 1, 1, 1, 1, 1});
  std::vector<BYTE> tooManySettings = SubcategoryValue(std::vector<uint16_t>(4, 1), {3, 3});
  std::vector<BYTE> tableOutside = good;
  tableOutside[8] = 0xF0;
  const std::vector<BYTE> damaged[] = {{},
                                       {1, 2, 3},
                                       std::vector<BYTE>(good.begin(), good.end() - 1),
                                       tooManySettings,
                                       tableOutside,
                                       std::vector<BYTE>(20, 0)};
  for (const auto& data : damaged) {
    SCOPED_TRACE(data.size());
    SetValue(data);
    EXPECT_EQ(LsaNtStatusToWinError(Query(&options)), static_cast<ULONG>(ERROR_INVALID_DATA));
  }
}

}  // namespace
