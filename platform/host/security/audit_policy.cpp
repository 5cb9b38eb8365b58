#include "platform/host/security/audit_policy.h"

#include <algorithm>
#include <numeric>

#include "platform/formats/evtx_bytes.h"
#include "platform/host/registry/registry_model.h"

namespace host {
namespace {

constexpr ULONG kAuditBits = POLICY_AUDIT_EVENT_SUCCESS | POLICY_AUDIT_EVENT_FAILURE;
constexpr size_t kSubcategoryHeader = 12;
constexpr uint16_t kSubcategoryRevision = 0x0100;
// Subcategories per category as Windows 10 (1607 and later) and Server 2016
// and later keep them.
constexpr std::array<uint16_t, kAuditCategoryCount> kSubcategoryCounts = {5, 11, 14, 3, 6, 6, 6, 4, 4};

template <class T>
T Load(const std::vector<BYTE>& data, size_t offset) {
  return formats::EvtxLoad<T>(std::span<const uint8_t>(data.data(), data.size()), offset);
}

template <class T>
void Append(std::vector<BYTE>& out, T value) {
  for (size_t i = 0; i < sizeof(T); ++i) out.push_back(static_cast<BYTE>(value >> (8 * i)));
}

// Header, options, count: 8 bytes plus four per category.
bool ParseLegacy(const std::vector<BYTE>& data, AuditPolicyInfo* policy) {
  if (data.size() < 8 || data.size() % 4 != 0) return false;
  uint32_t count = Load<uint32_t>(data, data.size() - 4);
  if (count != (data.size() - 8) / 4) return false;
  policy->auditingMode = data[0] != 0;
  policy->options.assign(count, 0);
  for (uint32_t i = 0; i < count; ++i) policy->options[i] = Load<uint32_t>(data, 4 + 4 * i) & kAuditBits;
  return true;
}

bool ParseSubcategories(const std::vector<BYTE>& data, AuditPolicyInfo* policy) {
  if (data.size() < kSubcategoryHeader) return false;
  uint32_t categories = Load<uint32_t>(data, 4);
  uint32_t table = Load<uint32_t>(data, 8);
  if (categories == 0 || table < kSubcategoryHeader || table > data.size() || (data.size() - table) / 2 != categories ||
      (data.size() - table) % 2 != 0) {
    return false;
  }
  std::vector<uint16_t> counts(categories);
  for (uint32_t c = 0; c < categories; ++c) counts[c] = Load<uint16_t>(data, table + 2 * c);
  size_t settings = std::accumulate(counts.begin(), counts.end(), size_t{0});
  if (kSubcategoryHeader + 2 * settings > table) return false;
  policy->options.assign(categories, 0);
  size_t offset = kSubcategoryHeader;
  for (uint32_t c = 0; c < categories; ++c) {
    for (uint16_t s = 0; s < counts[c]; ++s, offset += 2)
      policy->options[c] |= Load<uint16_t>(data, offset) & kAuditBits;
  }
  policy->auditingMode = std::any_of(policy->options.begin(), policy->options.end(), [](ULONG o) { return o != 0; });
  return true;
}

}  // namespace

bool ParseAuditPolicy(const std::vector<BYTE>& data, AuditPolicyInfo* policy) {
  return ParseLegacy(data, policy) || ParseSubcategories(data, policy);
}

DWORD ReadAuditPolicy(Computer& computer, AuditPolicyInfo* policy) {
  auto key = Registry::Find(computer.Service<Registry>().Root(HKEY_LOCAL_MACHINE), kAuditPolicyKeyPath);
  const RegistryValue* value = key ? key->Value(u"") : nullptr;
  if (!value) {
    policy->auditingMode = false;
    policy->options.assign(kAuditCategoryCount, 0);
    return 0;
  }
  return ParseAuditPolicy(value->data, policy) ? 0 : ERROR_INVALID_DATA;
}

std::vector<BYTE> LegacyAuditPolicyBytes(bool auditingMode, const std::vector<ULONG>& options) {
  std::vector<BYTE> out = {static_cast<BYTE>(auditingMode ? 1 : 0), 0, 0, 0};
  for (ULONG o : options) Append<uint32_t>(out, o);
  Append<uint32_t>(out, static_cast<uint32_t>(options.size()));
  return out;
}

std::vector<BYTE> SubcategoryAuditPolicyBytes(const AuditCategoryOptions& options) {
  size_t settings = std::accumulate(kSubcategoryCounts.begin(), kSubcategoryCounts.end(), size_t{0});
  std::vector<BYTE> out;
  Append<uint16_t>(out, kSubcategoryRevision);
  Append<uint16_t>(out, 0);
  Append<uint32_t>(out, static_cast<uint32_t>(kAuditCategoryCount));
  Append<uint32_t>(out, static_cast<uint32_t>(kSubcategoryHeader + 2 * settings + 2));
  for (size_t c = 0; c < kAuditCategoryCount; ++c) {
    for (uint16_t s = 0; s < kSubcategoryCounts[c]; ++s)
      Append<uint16_t>(out, static_cast<uint16_t>(options[c] & kAuditBits));
  }
  Append<uint16_t>(out, 0);  // the spare value
  for (uint16_t count : kSubcategoryCounts) Append<uint16_t>(out, count);
  return out;
}

void SetAuditPolicy(Computer& computer, const AuditCategoryOptions& options) {
  Lock lock;
  bool created = false;
  auto key = Registry::Create(computer.Service<Registry>().Root(HKEY_LOCAL_MACHINE), kAuditPolicyKeyPath, &created);
  key->SetValue(u"", REG_NONE, SubcategoryAuditPolicyBytes(options));
}

}  // namespace host
