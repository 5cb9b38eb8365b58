// LsaLookupSids: accounts of SIDs as the policy's computer translates them.
#include <optional>
#include <vector>

#include "platform/host/faults/faults.h"
#include "platform/host/kernel/block_pool.h"
#include "platform/host/security/accounts.h"
#include "platform/host/security/lsa_policy.h"
#include "platform/host/security/lsa_status.h"

namespace host {
namespace {

constexpr ULONG kMaxLookupCount = 20480;  // LSA_MAXIMUM_LOOKUP_SIDS_COUNT

struct Translation {
  std::optional<Account> account;
  std::u16string sidText;
  LONG domainIndex = -1;
};

struct Domain {
  std::u16string name;
  SidBytes sid;
};

// Appends the account's domain to the list (once per name) and returns its index.
LONG DomainIndex(std::vector<Domain>* domains, const Account& account, const SidBytes& sid) {
  SidBytes domainSid = account.use == SidTypeDomain ? sid : ParentSid(sid);
  for (size_t i = 0; i < domains->size(); ++i)
    if (EqualNoCase((*domains)[i].name, account.domain)) return static_cast<LONG>(i);
  domains->push_back({account.domain, domainSid});
  return static_cast<LONG>(domains->size() - 1);
}

void SetString(BlockWriter& w, LSA_UNICODE_STRING* out, const std::u16string& text) {
  out->Buffer = w.String(text);
  out->Length = static_cast<USHORT>(text.size() * sizeof(WCHAR));
  out->MaximumLength = static_cast<USHORT>(out->Length + sizeof(WCHAR));
}

void* BuildDomainList(const std::vector<Domain>& domains) {
  return BuildBlock(LsaBlocks(), [&](BlockWriter& w) {
    auto* list = w.Take<LSA_REFERENCED_DOMAIN_LIST>();
    list->Entries = static_cast<ULONG>(domains.size());
    auto* entries = w.Take<LSA_TRUST_INFORMATION>(domains.size());
    list->Domains = domains.empty() ? nullptr : entries;
    for (size_t i = 0; i < domains.size(); ++i) {
      SetString(w, &entries[i].Name, domains[i].name);
      entries[i].Sid = w.Bytes(domains[i].sid.data(), domains[i].sid.size());
    }
  });
}

void* BuildNames(const std::vector<Translation>& translations) {
  return BuildBlock(LsaBlocks(), [&](BlockWriter& w) {
    auto* names = w.Take<LSA_TRANSLATED_NAME>(translations.size());
    for (size_t i = 0; i < translations.size(); ++i) {
      const Translation& t = translations[i];
      names[i].Use = t.account ? t.account->use : SidTypeUnknown;
      names[i].DomainIndex = t.domainIndex;
      // An untranslated SID carries its string form as its name.
      SetString(w, &names[i].Name, t.account ? t.account->name : t.sidText);
    }
  });
}

}  // namespace
}  // namespace host

NTSTATUS LsaLookupSids(LSA_HANDLE policy, ULONG count, PSID* sids, PLSA_REFERENCED_DOMAIN_LIST* referencedDomains,
                       PLSA_TRANSLATED_NAME* names) {
  if (DWORD e = HOST_FAULT("LsaLookupSids")) return host::NtStatusFromWin32(e);
  if (!sids || !referencedDomains || !names || count == 0) return STATUS_INVALID_PARAMETER;
  *referencedDomains = nullptr;
  *names = nullptr;
  if (count > host::kMaxLookupCount) return STATUS_TOO_MANY_SIDS;
  host::Lock lock;
  host::Computer* computer = nullptr;
  if (NTSTATUS status = host::UsePolicy(policy, POLICY_LOOKUP_NAMES, &computer)) return status;
  for (ULONG i = 0; i < count; ++i)
    if (!host::IsWellFormedSid(sids[i])) return STATUS_INVALID_SID;

  const host::Accounts& accounts = computer->Service<host::Accounts>();
  std::vector<host::Translation> translations(count);
  std::vector<host::Domain> domains;
  ULONG mapped = 0;
  for (ULONG i = 0; i < count; ++i) {
    host::SidBytes sid = host::SidOf(sids[i]);
    host::Translation& t = translations[i];
    t.sidText = host::SidText(sid);
    t.account = accounts.Find(sid);
    if (!t.account) continue;
    t.domainIndex = host::DomainIndex(&domains, *t.account, sid);
    ++mapped;
  }
  void* domainBlock = host::BuildDomainList(domains);
  void* nameBlock = host::BuildNames(translations);
  if (!domainBlock || !nameBlock) {
    LsaFreeMemory(domainBlock);
    LsaFreeMemory(nameBlock);
    return STATUS_NO_MEMORY;
  }
  *referencedDomains = static_cast<PLSA_REFERENCED_DOMAIN_LIST>(domainBlock);
  *names = static_cast<PLSA_TRANSLATED_NAME>(nameBlock);
  if (mapped == count) return STATUS_SUCCESS;
  return mapped ? STATUS_SOME_NOT_MAPPED : STATUS_NONE_MAPPED;
}
