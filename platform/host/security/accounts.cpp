#include "platform/host/security/accounts.h"

#include <string>

#include "platform/host/host.h"
#include "platform/host/security/well_known_sids.h"

namespace host {
namespace {

// A stable account-domain SID per computer name (FNV-1a of the upper-case name).
std::u16string MachineSidFor(const std::u16string& name) {
  uint64_t h = 1469598103934665603ULL;
  for (char16_t c : name) {
    char16_t up = (c >= u'a' && c <= u'z') ? static_cast<char16_t>(c - 32) : c;
    h = (h ^ up) * 1099511628211ULL;
  }
  std::string text = "S-1-5-21-" + std::to_string(static_cast<uint32_t>(h)) + "-" +
                     std::to_string(static_cast<uint32_t>(h >> 32)) + "-" +
                     std::to_string(static_cast<uint32_t>(h * 31 + 7) % 1000000000u);
  return std::u16string(text.begin(), text.end());
}

std::optional<Account> MachineDomainAccount(const SidBytes& sid, const SidBytes& machine, const std::u16string& name) {
  if (sid == machine) return Account{name, name, SidTypeDomain};
  if (ParentSid(sid) != machine || sid.size() != machine.size() + 4) return std::nullopt;
  DWORD rid = sid[sid.size() - 4] | sid[sid.size() - 3] << 8 | sid[sid.size() - 2] << 16 |
              static_cast<DWORD>(sid[sid.size() - 1]) << 24;
  if (rid == 500) return Account{name, u"Administrator", SidTypeUser};
  if (rid == 501) return Account{name, u"Guest", SidTypeUser};
  if (rid == 513) return Account{name, u"None", SidTypeGroup};
  return std::nullopt;
}

}  // namespace

Accounts::Accounts(Computer& computer) : computer_(computer), machineSid_(MachineSidFor(computer.Name())) {}

bool Accounts::Add(const std::u16string& sid, Account account) {
  SidBytes bytes;
  if (!ParseSidString(sid, &bytes)) return false;
  accounts_[bytes] = std::move(account);
  return true;
}

void Accounts::Remove(const std::u16string& sid) {
  SidBytes bytes;
  if (ParseSidString(sid, &bytes)) accounts_.erase(bytes);
}

std::optional<Account> Accounts::Find(const SidBytes& sid) const {
  auto it = accounts_.find(sid);
  if (it != accounts_.end()) return it->second;
  SidBytes machine;
  if (ParseSidString(machineSid_, &machine)) {
    if (auto account = MachineDomainAccount(sid, machine, computer_.Name())) return account;
  }
  if (const WellKnownAccount* known = FindWellKnownSid(SidText(sid)))
    return Account{known->domain, known->name, known->use};
  return std::nullopt;
}

}  // namespace host
