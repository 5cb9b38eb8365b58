#include "render/sid_cache.h"

#include <vector>

#include "base/exceptions.h"
#include "base/trace.h"
#include "platform/api/kernel.h"
#include "platform/api/wide.h"

namespace cmr {

namespace {

std::u16string LsaText(const LSA_UNICODE_STRING& s) {
  if (s.Buffer == nullptr) return {};
  return std::u16string(plat::U(s.Buffer), s.Length / sizeof(WCHAR));
}

// A private copy of a SID; an invalid SID raises.
std::vector<BYTE> CopyOfSid(PSID sid) {
  if (!IsValidSid(sid)) throw cmr::Win32Exception(ERROR_INVALID_SID);
  DWORD length = GetLengthSid(sid);
  std::vector<BYTE> copy(length);
  cmr::ThrowLastErrorIfFalse(CopySid(length, copy.data(), sid) != FALSE);
  return copy;
}

}  // namespace

std::u16string SidToText(PSID sid) {
  char16_t* text = nullptr;
  cmr::ThrowLastErrorIfFalse(ConvertSidToStringSidW(sid, &text) != FALSE);
  std::u16string result(text);
  LocalFree(text);
  return result;
}

CSidCache::~CSidCache() { ClosePolicy(); }

void CSidCache::ClosePolicy() {
  if (policy_ != nullptr) LsaClose(policy_);
  policy_ = nullptr;
}

void CSidCache::OpenPolicy(const std::u16string& computerName) {
  ClosePolicy();
  std::u16string name = computerName;
  LSA_UNICODE_STRING systemName{};
  systemName.Buffer = plat::W(name.data());
  systemName.Length = static_cast<USHORT>(name.size() * sizeof(WCHAR));
  systemName.MaximumLength = static_cast<USHORT>(systemName.Length + sizeof(WCHAR));
  LSA_OBJECT_ATTRIBUTES attributes{};
  NTSTATUS status = LsaOpenPolicy(name.empty() ? nullptr : &systemName, &attributes, POLICY_LOOKUP_NAMES, &policy_);
  if (status != 0) {
    Trace(10, u"Error getting LsaOpenPolicy: %d", status);
    policy_ = nullptr;
  }
}

std::shared_ptr<CSidCache::SidInfo> CSidCache::Lookup(PSID sid) {
  if (policy_ == nullptr || sid == nullptr) return nullptr;
  // A SID met before is found by its bytes: no copy, no conversion to text
  // (most records of a log carry one of a few SIDs).
  const bool valid = IsValidSid(sid) != FALSE;
  const std::string_view bytes(static_cast<const char*>(sid), valid ? GetLengthSid(sid) : 0);
  if (valid) {
    auto known = byBytes_.find(bytes);
    if (known != byBytes_.end()) return known->second;
  }
  try {
    std::vector<BYTE> copy = CopyOfSid(sid);
    std::u16string key = SidToText(copy.data());
    auto found = entries_.find(key);
    std::shared_ptr<SidInfo> entry = found != entries_.end() ? found->second : MakeEntry(copy.data(), key);
    if (found == entries_.end()) entries_.emplace(std::move(key), entry);
    byBytes_.emplace(bytes, entry);
    return entry;
  } catch (const cmr::BaseException&) {
    Trace(10, u"CSid threwed exception");
    return nullptr;
  }
}

std::shared_ptr<CSidCache::SidInfo> CSidCache::LookupText(const std::u16string& text) {
  if (policy_ == nullptr) return nullptr;
  auto found = entries_.find(text);
  if (found != entries_.end()) return found->second;
  PSID sid = nullptr;
  if (!ConvertStringSidToSidW(text.c_str(), &sid)) return nullptr;
  std::shared_ptr<SidInfo> entry = Lookup(sid);
  LocalFree(sid);
  return entry;
}

std::shared_ptr<CSidCache::SidInfo> CSidCache::MakeEntry(PSID sid, const std::u16string& sidString) {
  auto entry = std::make_shared<SidInfo>();
  entry->sidString = sidString;
  try {
    PLSA_REFERENCED_DOMAIN_LIST domains = nullptr;
    PLSA_TRANSLATED_NAME names = nullptr;
    NTSTATUS status = LsaLookupSids(policy_, 1, &sid, &domains, &names);
    if (status == 0 && names != nullptr) {
      entry->name = LsaText(names[0].Name);
      LONG index = names[0].DomainIndex;
      if (domains != nullptr && index >= 0 && static_cast<ULONG>(index) < domains->Entries) {
        entry->domain = LsaText(domains->Domains[index].Name);
      }
    }
    if (domains != nullptr) LsaFreeMemory(domains);
    if (names != nullptr) LsaFreeMemory(names);
  } catch (const cmr::BaseException&) {
    Trace(10, u"CSid throwed exception");
  }
  return entry;
}

std::u16string CSidCache::AccountText(const SidInfo& info) { return info.domain + u"\\" + info.name; }

}  // namespace cmr
