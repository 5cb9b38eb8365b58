// SIDs turned into their string form and their account (domain and name) as
// the LSA of the computer read knows them, asking once per distinct SID.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <string_view>

#include "platform/api/security.h"

namespace cmr {

class CSidCache {
 public:
  struct SidInfo {
    std::u16string sidString;  // standard string form
    std::u16string name;       // empty when the SID was not translated
    std::u16string domain;     // empty when the SID was not translated
  };

  CSidCache() = default;
  ~CSidCache();
  CSidCache(const CSidCache&) = delete;
  CSidCache& operator=(const CSidCache&) = delete;

  // Opens the LSA policy of a computer (empty: the local computer); a
  // failure is traced and leaves the cache answering nothing.
  void OpenPolicy(const std::u16string& computerName);
  bool IsOpen() const { return policy_ != nullptr; }

  // The entry of a SID, made on first use (also for a SID that cannot be
  // translated); empty without a policy, for a null SID or on failure.
  std::shared_ptr<SidInfo> Lookup(PSID sid);

  // The entry of a SID given in its string form (an insertion string, say);
  // empty when the text is no SID or Lookup gives nothing. A text already
  // known in its standard form is answered without converting it.
  std::shared_ptr<SidInfo> LookupText(const std::u16string& text);

  // domain + "\" + name; "\" for an untranslated SID.
  static std::u16string AccountText(const SidInfo& info);

 private:
  // The entry of a valid SID whose string form is known.
  std::shared_ptr<SidInfo> MakeEntry(PSID sid, const std::u16string& sidString);
  void ClosePolicy();

  LSA_HANDLE policy_ = nullptr;
  std::map<std::u16string, std::shared_ptr<SidInfo>> entries_;            // by string form
  std::map<std::string, std::shared_ptr<SidInfo>, std::less<>> byBytes_;  // the same entries by binary form
};

// The standard string form of a SID; raises cmr::Win32Exception on failure.
std::u16string SidToText(PSID sid);

}  // namespace cmr
