// The accounts of a simulated computer, as its Local Security Authority
// knows them (LsaLookupSids). The audit policy is in audit_policy.h.
//
// Tests set them through the computer's services:
//   auto& accounts = host::Host::Get().Add(u"SRV1").Service<host::Accounts>();
//   accounts.Add(u"S-1-5-21-1-2-3-1104", {u"CORP", u"alice", SidTypeUser});
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/api/security.h"
#include "platform/host/security/sid_value.h"

namespace host {

class Computer;

struct Account {
  std::u16string domain;
  std::u16string name;
  SID_NAME_USE use = SidTypeUser;
};

class Accounts {
 public:
  explicit Accounts(Computer& computer);

  // The computer's own account domain, "S-1-5-21-a-b-c", made from its name
  // until set. It translates to the computer name (SidTypeDomain); its
  // relative ids 500 and 501 are the built-in Administrator and Guest.
  const std::u16string& MachineSid() const { return machineSid_; }
  void SetMachineSid(const std::u16string& sid) { machineSid_ = sid; }

  // Adds or replaces the account of a SID given in string form; false when
  // the text is not a SID.
  bool Add(const std::u16string& sid, Account account);
  void Remove(const std::u16string& sid);

  // The account of a SID as this computer translates it: its own table, then
  // its machine domain, then the well-known accounts.
  std::optional<Account> Find(const SidBytes& sid) const;

 private:
  Computer& computer_;
  std::u16string machineSid_;
  std::map<SidBytes, Account> accounts_;
};

}  // namespace host
