// DnsQuery_W for PTR, A and AAAA questions, answered from the name table.
#include <cstring>
#include <string>
#include <vector>

#include "platform/api/net.h"
#include "platform/api/utf.h"
#include "platform/host/faults/faults.h"
#include "platform/host/kernel/block_pool.h"
#include "platform/host/net/name_table.h"

namespace {

constexpr DWORD kTtl = 3600;
constexpr DWORD kCharSetUnicode = 1;

struct Answer {
  std::u16string ptrName;   // PTR
  host::IpAddress address;  // A, AAAA
};

// 0 and the answers, or the DNS status of the question.
DNS_STATUS Answers(const host::NameTable& names, std::u16string_view name, WORD type, std::vector<Answer>* out) {
  if (type == DNS_TYPE_PTR) {
    for (const auto& ptr : names.PtrNames(plat::Utf16ToUtf8(name))) out->push_back({ptr, {}});
  } else {
    const host::HostEntry* entry = names.Find(name);
    if (!entry) return names.dnsAvailable ? DNS_ERROR_RCODE_NAME_ERROR : ERROR_TIMEOUT;
    int family = type == DNS_TYPE_A ? AF_INET : AF_INET6;
    for (const auto& address : entry->addresses)
      if (address.family == family) out->push_back({{}, address});
    return out->empty() ? DNS_INFO_NO_RECORDS : 0;
  }
  if (!out->empty()) return 0;
  return names.dnsAvailable ? DNS_ERROR_RCODE_NAME_ERROR : ERROR_TIMEOUT;
}

PDNS_RECORD BuildRecords(std::u16string_view name, WORD type, const std::vector<Answer>& answers) {
  void* block = host::BuildBlock(host::DnsBlocks(), [&](host::BlockWriter& w) {
    DNS_RECORDW* previous = nullptr;
    for (const Answer& a : answers) {
      auto* r = w.Take<DNS_RECORDW>();
      r->pNext = nullptr;
      r->pName = w.String(name);
      r->wType = type;
      r->Flags.DW = 0;
      r->Flags.S.Section = DnsSectionAnswer;
      r->Flags.S.CharSet = kCharSetUnicode;
      r->dwTtl = kTtl;
      if (type == DNS_TYPE_PTR) {
        r->Data.PTR.pNameHost = w.String(a.ptrName);
        r->wDataLength = sizeof(DNS_PTR_DATAW);
      } else if (type == DNS_TYPE_A) {
        std::memcpy(&r->Data.A.IpAddress, a.address.bytes.data(), 4);
        r->wDataLength = sizeof(DNS_A_DATA);
      } else {
        std::memcpy(&r->Data.AAAA.Ip6Address, a.address.bytes.data(), 16);
        r->wDataLength = sizeof(DNS_AAAA_DATA);
      }
      if (previous) previous->pNext = r;
      previous = r;
    }
  });
  return static_cast<PDNS_RECORD>(block);
}

}  // namespace

DNS_STATUS DnsQuery_W(PCWSTR name, WORD type, DWORD /*options*/, PVOID /*extra*/, PDNS_RECORD* results,
                      PVOID* reserved) {
  if (DWORD e = HOST_FAULT("DnsQuery_W")) return static_cast<DNS_STATUS>(e);
  if (!name || !results || reserved) return ERROR_INVALID_PARAMETER;
  *results = nullptr;
  if (!*name) return DNS_ERROR_INVALID_NAME;
  if (type != DNS_TYPE_PTR && type != DNS_TYPE_A && type != DNS_TYPE_AAAA) return DNS_INFO_NO_RECORDS;
  std::u16string_view question(name);
  if (!question.empty() && question.back() == u'.') question.remove_suffix(1);
  std::vector<Answer> answers;
  {
    host::Lock lock;
    if (DNS_STATUS status = Answers(host::Names(), question, type, &answers)) return status;
  }
  *results = BuildRecords(question, type, answers);
  return *results ? 0 : ERROR_NOT_ENOUGH_MEMORY;
}

void DnsRecordListFree(PDNS_RECORD list, DNS_FREE_TYPE /*freeType*/) { host::DnsBlocks().Release(list); }
