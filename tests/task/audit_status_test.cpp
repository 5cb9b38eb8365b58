// The audit policy check: which requirements the computer's policy does not
// meet, their text, and the warning a collection adds.
#include "task/audit_status.h"
#include "base/error_report.h"
#include "platform/host/kernel/block_pool.h"
#include "platform/host/security/audit_policy.h"
#include "platform/host/security/lsa_policy.h"
#include "task/audit_warning.h"
#include "tests/task/task_fixture.h"

namespace {

using cmr::AuditPair;
using Pairs = std::vector<AuditPair>;

constexpr ULONG kSuccess = POLICY_AUDIT_EVENT_SUCCESS;

class AuditStatus : public tasktest::TaskFixture {
 protected:
  void TearDown() override {
    EXPECT_EQ(host::OpenPolicyCount(), 0u);
    EXPECT_EQ(host::LsaBlocks().Outstanding(), 0u);
    TaskFixture::TearDown();
  }
  void Audit(ULONG logonOptions) {
    host::AuditCategoryOptions options{};
    options[AuditCategoryLogon] = logonOptions;
    host::SetAuditPolicy(Local(), options);
  }
};

TEST_F(AuditStatus, RequirementsThatAreNotMet) {
  const struct {
    const char* name;
    ULONG logon;
    Pairs required, notMet;
    const char16_t* text;
  } cases[] = {
      {"nothing audited", 0, Pairs{{1, 1}, {2, 2}}, Pairs{{1, 1}, {2, 2}},
       u"Auditing of Logon Success and Auditing of Object Access Failure"},
      {"flags 0 are always met", 0, Pairs{{1, 0}, {8, 0}}, {}, u""},
      {"successes only", kSuccess, Pairs{{1, 1}, {1, 3}, {1, 2}}, Pairs{{1, 3}, {1, 2}},
       u"Auditing of Logon and Auditing of Logon Failure"},
      {"categories out of range", 0, Pairs{{-1, 1}, {9, 1}, {1000, 2}, {INT32_MIN, 1}}, {}, u""},
      {"everything audited", 3, Pairs{{1, 3}, {1, 1}}, {}, u""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    Audit(c.logon);
    Pairs notMet;
    std::u16string errorText;
    EXPECT_EQ(cmr::GetAuditStatus(u"", c.required, notMet, errorText), S_OK);
    EXPECT_EQ(notMet, c.notMet);
    EXPECT_EQ(cmr::AuditListText(notMet), c.text);
    EXPECT_EQ(errorText, u"");
  }
}

TEST_F(AuditStatus, PairTexts) {
  const struct {
    AuditPair pair;
    const char16_t* text;
  } cases[] = {
      {{0, 1}, u"Auditing of System Success"},
      {{3, 2}, u"Auditing of Privilege Use Failure"},
      {{4, 4}, u"Auditing of Detailed Tracking None"},
      {{5, 0}, u"Auditing of Policy Change"},
      {{6, 3}, u"Auditing of Account Management"},
      {{7, 1}, u"Auditing of Directory Service Access Success"},
      {{8, 2}, u"Auditing of Account Logon Failure"},
      {{9, 1}, u" Success"},
      {{-1, 5}, u""},
  };
  for (const auto& c : cases) EXPECT_EQ(cmr::AuditPairText(c.pair), c.text) << c.pair.first << "," << c.pair.second;
}

TEST_F(AuditStatus, PolicyThatCannotBeReadIsAFailureWithItsText) {
  const struct {
    const char* call;
    const char16_t* description;
  } cases[] = {
      {"LsaOpenPolicy", u"Cannot open security policy settings."},
      {"LsaQueryInformationPolicy", u"Cannot obtain security policy settings."},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.call);
    host::InjectFault(c.call, 1, ERROR_ACCESS_DENIED);
    Pairs notMet;
    std::u16string errorText;
    EXPECT_EQ(cmr::GetAuditStatus(u"", {{1, 1}}, notMet, errorText), E_FAIL);
    EXPECT_EQ(cmr::GetErrorText(E_FAIL),
              c.description + std::u16string(u" Error details: Access is denied. (Error number: 0x80004005)"));
    EXPECT_EQ(errorText, u"Access is denied.");
    EXPECT_TRUE(notMet.empty());
  }
  host::Host::Get().Add(u"SRV9").SetReachable(false);
  Pairs notMet;
  std::u16string errorText;
  EXPECT_EQ(cmr::GetAuditStatus(u"SRV9", {{1, 1}}, notMet, errorText), E_FAIL);
  EXPECT_EQ(errorText, u"The RPC server is unavailable.");
}

TEST_F(AuditStatus, WarningOfACollection) {
  const struct {
    const char* name;
    Pairs required;
    const char* fault;
    const char16_t* evtFile;
    const char16_t* warning;
  } cases[] = {
      {"no requirements: no policy read", Pairs{}, nullptr, u"", u"Before. "},
      {"requirements not met", Pairs{{1, 1}, {2, 2}}, nullptr, u"",
       u"Before. Auditing of Logon Success and Auditing of Object Access Failure is not enabled for this server. "
       u"Adjust the audit policy settings (see product documentation for more information). "},
      {"requirements met", Pairs{{1, 0}}, nullptr, u"", u"Before. "},
      {"policy cannot be read", Pairs{{1, 1}}, "LsaOpenPolicy", u"",
       u"Before. Failed to obtain system audit status. Error: Access is denied."},
      {"policy cannot be read, log from a file", Pairs{{1, 1}}, "LsaQueryInformationPolicy", u"C:\\logs\\saved.evt",
       u"Before. "},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    host::ClearFaults();
    if (c.fault) host::InjectFault(c.fault, 1, ERROR_ACCESS_DENIED);
    cmr::CTaskEventLog config;
    config.PolicyAuditEventTypes = c.required;
    config.LoadFromEvtFile = c.evtFile;
    std::u16string warning = u"Before. ";
    cmr::AppendAuditWarning(u"", config, warning);
    EXPECT_EQ(warning, c.warning);
    if (c.required.empty()) {  // the first case: nothing asked of the policy, nothing traced
      EXPECT_EQ(host::CallCount("LsaOpenPolicy"), 0u);
      EXPECT_EQ(TraceText().find("Checking audit status"), std::string::npos);
    }
  }
}

}  // namespace
