#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "platform/api/kernel.h"
#include "platform/api/security.h"
#include "platform/host/kernel/block_pool.h"
#include "platform/host/security/accounts.h"
#include "platform/host/security/audit_policy.h"
#include "platform/host/security/lsa_policy.h"
#include "tests/support/fresh_host.h"
#include "tests/support/last_error.h"

namespace {

std::vector<BYTE> SidFrom(const char16_t* text) {
  PSID sid = nullptr;
  if (!ConvertStringSidToSidW(text, &sid)) return {};
  std::vector<BYTE> bytes(static_cast<BYTE*>(sid), static_cast<BYTE*>(sid) + GetLengthSid(sid));
  LocalFree(sid);
  return bytes;
}

std::u16string TextOf(std::vector<BYTE> sid) {
  LPWSTR text = nullptr;
  if (!ConvertSidToStringSidW(sid.data(), &text)) return u"<failed>";
  std::u16string result(text);
  LocalFree(text);
  return result;
}

std::u16string Str(const LSA_UNICODE_STRING& s) { return std::u16string(s.Buffer, s.Length / sizeof(WCHAR)); }

// LsaLookupSids of the SIDs given as text; the lists are freed at the end.
struct Lookup {
  Lookup(LSA_HANDLE policy, std::vector<std::u16string> texts) {
    for (const auto& text : texts) sids.push_back(SidFrom(text.c_str()));
    std::vector<PSID> pointers;
    for (auto& sid : sids) pointers.push_back(sid.data());
    status = LsaLookupSids(policy, static_cast<ULONG>(pointers.size()), pointers.data(), &domains, &names);
  }
  ~Lookup() {
    EXPECT_TRUE(!domains || LsaFreeMemory(domains) == STATUS_SUCCESS);
    EXPECT_TRUE(!names || LsaFreeMemory(names) == STATUS_SUCCESS);
  }
  std::u16string Domain(int i) const { return Str(domains->Domains[names[i].DomainIndex].Name); }
  std::vector<std::vector<BYTE>> sids;
  NTSTATUS status;
  PLSA_REFERENCED_DOMAIN_LIST domains = nullptr;
  PLSA_TRANSLATED_NAME names = nullptr;
};

LSA_HANDLE OpenPolicy(const std::u16string& computer, ACCESS_MASK access, NTSTATUS* status) {
  LSA_OBJECT_ATTRIBUTES attributes{};
  LSA_UNICODE_STRING name{static_cast<USHORT>(computer.size() * 2), static_cast<USHORT>(computer.size() * 2 + 2),
                          const_cast<PWSTR>(computer.c_str())};
  LSA_HANDLE handle = nullptr;
  *status = LsaOpenPolicy(computer.empty() ? nullptr : &name, &attributes, access, &handle);
  return handle;
}

TEST(Sids, StringFormRoundTripsThroughTheWindowsBinaryLayout) {
  // Revision, count, the big-endian authority, little-endian sub-authorities.
  auto sid = SidFrom(u"S-1-5-21-1004336348-1177238915-682003330-512");
  EXPECT_EQ(sid, (std::vector<BYTE>{1,   5,  0,   0,  0,  0,  0,   5,   21,  0,  0, 0, 220, 244,
                                    220, 59, 131, 61, 43, 70, 130, 139, 166, 40, 0, 2, 0,   0}));
  EXPECT_EQ(TextOf(sid), u"S-1-5-21-1004336348-1177238915-682003330-512");
  EXPECT_EQ(TextOf(SidFrom(u"S-1-0x123456789ABC-7")), u"S-1-0x123456789ABC-7");
  EXPECT_EQ(TextOf(SidFrom(u"BA")), u"S-1-5-32-544");
  EXPECT_EQ(SidFrom(u"S-1-5").size(), 8u);
}

TEST(Sids, InvalidTextsFailWithInvalidSid) {
  for (const char16_t* text :
       {u"", u"S-1", u"S-1-", u"S-1-5-", u"S-1-5--18", u"S-2-5-18", u"X-1-5-18", u"S-1-5-18x", u"S-1-5-4294967296",
        u"S-1-0x1000000000000-1", u"ZZ", u"S-1-5-1-2-3-4-5-6-7-8-9-10-11-12-13-14-15-16"}) {
    PSID sid = nullptr;
    SetLastError(0);
    EXPECT_LAST_ERROR(ConvertStringSidToSidW(text, &sid), FALSE, ERROR_INVALID_SID);
  }
}

TEST(Sids, CopyAndCompare) {
  auto a = SidFrom(u"S-1-5-18");
  auto b = SidFrom(u"S-1-5-19");
  std::vector<BYTE> copy(a.size());
  SetLastError(0);
  EXPECT_LAST_ERROR(CopySid(static_cast<DWORD>(a.size() - 1), copy.data(), a.data()), FALSE, ERROR_INSUFFICIENT_BUFFER);
  ASSERT_TRUE(CopySid(static_cast<DWORD>(copy.size()), copy.data(), a.data()));
  EXPECT_TRUE(EqualSid(copy.data(), a.data()));
  EXPECT_FALSE(EqualSid(a.data(), b.data()));
  BYTE garbage[8] = {7, 40};
  EXPECT_FALSE(IsValidSid(garbage));
  EXPECT_FALSE(IsValidSid(nullptr));
}

class Lsa : public testsupport::FreshHost {};

TEST_F(Lsa, LookupMapsWellKnownAndComputerAccountsAndSharesDomains) {
  auto& accounts = host::Host::Get().Add(u"SRV1").Service<host::Accounts>();
  ASSERT_TRUE(accounts.Add(u"S-1-5-21-1-2-3-1104", {u"CORP", u"alice", SidTypeUser}));
  NTSTATUS status;
  LSA_HANDLE policy = OpenPolicy(u"\\\\srv1", POLICY_LOOKUP_NAMES, &status);
  ASSERT_EQ(status, STATUS_SUCCESS);

  size_t before = host::LsaBlocks().Outstanding();
  auto lookup = std::make_unique<Lookup>(policy, std::vector<std::u16string>{u"S-1-5-18", u"S-1-5-21-1-2-3-1104",
                                                                             u"S-1-5-20", u"S-1-1-0", u"S-1-5-32-544"});
  ASSERT_EQ(lookup->status, STATUS_SUCCESS);
  const PLSA_TRANSLATED_NAME names = lookup->names;
  const PLSA_REFERENCED_DOMAIN_LIST domains = lookup->domains;

  const struct {
    const char16_t *name, *domain;
    SID_NAME_USE use;
  } expected[] = {{u"SYSTEM", u"NT AUTHORITY", SidTypeWellKnownGroup},
                  {u"alice", u"CORP", SidTypeUser},
                  {u"NETWORK SERVICE", u"NT AUTHORITY", SidTypeWellKnownGroup},
                  {u"Everyone", u"", SidTypeWellKnownGroup},
                  {u"Administrators", u"BUILTIN", SidTypeAlias}};
  for (int i = 0; i < 5; ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(Str(names[i].Name), expected[i].name);
    EXPECT_EQ(lookup->Domain(i), expected[i].domain);
    EXPECT_EQ(names[i].Use, expected[i].use);
  }
  EXPECT_EQ(names[2].DomainIndex, names[0].DomainIndex);  // one entry per domain
  EXPECT_EQ(domains->Entries, 4u);
  // The domain entry carries the domain's SID.
  auto corp = SidFrom(u"S-1-5-21-1-2-3");
  EXPECT_TRUE(EqualSid(domains->Domains[names[1].DomainIndex].Sid, corp.data()));
  EXPECT_EQ(host::LsaBlocks().Outstanding(), before + 2);

  lookup.reset();
  EXPECT_EQ(host::LsaBlocks().Outstanding(), before);
  EXPECT_EQ(LsaFreeMemory(names), STATUS_INVALID_PARAMETER);  // freed already
  EXPECT_EQ(LsaClose(policy), STATUS_SUCCESS);
  EXPECT_EQ(LsaClose(policy), STATUS_INVALID_HANDLE);
}

TEST_F(Lsa, SomeAndNoneMapped) {
  NTSTATUS status;
  LSA_HANDLE policy = OpenPolicy(u"", POLICY_LOOKUP_NAMES, &status);
  ASSERT_EQ(status, STATUS_SUCCESS);
  auto& machine = host::Host::Get().Local().Service<host::Accounts>().MachineSid();
  {
    Lookup some(policy, {u"S-1-5-21-9-9-9-1000", u"S-1-5-7", machine + u"-500"});
    ASSERT_EQ(some.status, STATUS_SOME_NOT_MAPPED);
    EXPECT_EQ(some.names[0].Use, SidTypeUnknown);
    EXPECT_EQ(some.names[0].DomainIndex, -1);
    EXPECT_EQ(Str(some.names[0].Name), u"S-1-5-21-9-9-9-1000");
    EXPECT_EQ(Str(some.names[1].Name), u"ANONYMOUS LOGON");
    EXPECT_EQ(Str(some.names[2].Name), u"Administrator");
    EXPECT_EQ(some.Domain(2), host::kDefaultComputerName);
  }
  Lookup none(policy, {u"S-1-5-21-9-9-9-1000"});
  ASSERT_EQ(none.status, STATUS_NONE_MAPPED);
  ASSERT_NE(none.names, nullptr);  // both lists still come back
  EXPECT_EQ(none.domains->Entries, 0u);
  EXPECT_EQ(LsaNtStatusToWinError(STATUS_NONE_MAPPED), static_cast<ULONG>(ERROR_NONE_MAPPED));
  LsaClose(policy);
}

TEST_F(Lsa, OpenFailsForUnreachableOrUnknownComputersWithRpcServerUnavailable) {
  host::Host::Get().Add(u"DOWN").SetReachable(false);
  NTSTATUS status;
  EXPECT_EQ(OpenPolicy(u"DOWN", POLICY_LOOKUP_NAMES, &status), nullptr);
  EXPECT_EQ(status, STATUS_RPC_SERVER_UNAVAILABLE);
  EXPECT_EQ(LsaNtStatusToWinError(status), static_cast<ULONG>(RPC_S_SERVER_UNAVAILABLE));
  OpenPolicy(u"NOSUCH", POLICY_LOOKUP_NAMES, &status);
  EXPECT_EQ(status, STATUS_RPC_SERVER_UNAVAILABLE);

  // A computer that goes away after the open fails the calls on the handle.
  auto& later = host::Host::Get().Add(u"LATER");
  LSA_HANDLE policy = OpenPolicy(u"LATER", POLICY_LOOKUP_NAMES, &status);
  ASSERT_EQ(status, STATUS_SUCCESS);
  later.SetReachable(false);
  Lookup lookup(policy, {u"S-1-5-18"});
  EXPECT_EQ(lookup.status, STATUS_RPC_SERVER_UNAVAILABLE);
  EXPECT_EQ(lookup.names, nullptr);
  LsaClose(policy);
  EXPECT_EQ(host::OpenPolicyCount(), 0u);
}

TEST_F(Lsa, SystemNameIsACountedString) {
  host::Host::Get().Add(u"SRV1");
  std::u16string buffer = u"SRV1XYZ";  // only the first four characters count
  LSA_UNICODE_STRING name{8, 8, buffer.data()};
  LSA_OBJECT_ATTRIBUTES attributes{};
  LSA_HANDLE policy = nullptr;
  EXPECT_EQ(LsaOpenPolicy(&name, &attributes, POLICY_LOOKUP_NAMES, &policy), STATUS_SUCCESS);
  LsaClose(policy);
}

TEST_F(Lsa, CallsNeedTheAccessTheyUse) {
  NTSTATUS status;
  LSA_HANDLE policy = OpenPolicy(u"", POLICY_VIEW_AUDIT_INFORMATION, &status);
  EXPECT_EQ(Lookup(policy, {u"S-1-5-18"}).status, STATUS_ACCESS_DENIED);
  LsaClose(policy);
  policy = OpenPolicy(u"", POLICY_LOOKUP_NAMES, &status);
  PVOID info = nullptr;
  EXPECT_EQ(LsaQueryInformationPolicy(policy, PolicyAuditEventsInformation, &info), STATUS_ACCESS_DENIED);
  EXPECT_EQ(info, nullptr);
  LsaClose(policy);
}

TEST_F(Lsa, AuditPolicyQueryGivesTheNineCategories) {
  host::AuditCategoryOptions options{};
  options[AuditCategoryLogon] = POLICY_AUDIT_EVENT_SUCCESS;
  options[AuditCategoryAccountLogon] = POLICY_AUDIT_EVENT_SUCCESS | POLICY_AUDIT_EVENT_FAILURE;
  host::SetAuditPolicy(host::Host::Get().Local(), options);
  NTSTATUS status;
  LSA_HANDLE policy = OpenPolicy(u"", POLICY_VIEW_AUDIT_INFORMATION, &status);
  PVOID buffer = nullptr;
  ASSERT_EQ(LsaQueryInformationPolicy(policy, PolicyAuditEventsInformation, &buffer), STATUS_SUCCESS);
  auto* info = static_cast<PPOLICY_AUDIT_EVENTS_INFO>(buffer);
  EXPECT_TRUE(info->AuditingMode);
  ASSERT_EQ(info->MaximumAuditEventCount, 9u);
  EXPECT_EQ(info->EventAuditingOptions[AuditCategoryLogon], static_cast<ULONG>(POLICY_AUDIT_EVENT_SUCCESS));
  EXPECT_EQ(info->EventAuditingOptions[AuditCategoryObjectAccess], 0u);
  EXPECT_EQ(info->EventAuditingOptions[AuditCategoryAccountLogon], 3u);
  EXPECT_EQ(LsaFreeMemory(buffer), STATUS_SUCCESS);

  EXPECT_EQ(LsaQueryInformationPolicy(policy, PolicyDnsDomainInformation, &buffer), STATUS_INVALID_INFO_CLASS);
  host::InjectFault("LsaQueryInformationPolicy", 1, ERROR_ACCESS_DENIED);
  status = LsaQueryInformationPolicy(policy, PolicyAuditEventsInformation, &buffer);
  EXPECT_EQ(LsaNtStatusToWinError(status), static_cast<ULONG>(ERROR_ACCESS_DENIED));
  host::InjectFault("LsaOpenPolicy", 1, ERROR_NOT_SUPPORTED);
  OpenPolicy(u"", POLICY_VIEW_AUDIT_INFORMATION, &status);
  EXPECT_EQ(LsaNtStatusToWinError(status), static_cast<ULONG>(ERROR_NOT_SUPPORTED));
  EXPECT_EQ(LsaNtStatusToWinError(static_cast<NTSTATUS>(0xC0001234u)), static_cast<ULONG>(ERROR_MR_MID_NOT_FOUND));
  LsaClose(policy);
}

}  // namespace
