#include "render/origin_resolver.h"

#include <cstring>
#include <vector>

#include "base/classic_record_text.h"
#include "base/format.h"
#include "base/trace.h"
#include "platform/api/wide.h"

namespace cmr {

namespace {

// Which insertion strings (counted from 0) of a logon-type event hold the
// user and the address; -1 where the event has none.
struct LogonStrings {
  int user;
  int domain;
  int address;
  int addressIfLong;  // used instead when the record has more strings than it
};

bool LogonStringsOf(uint32_t eventId, LogonStrings* out) {
  switch (eventId) {
    case 4624: *out = {5, 6, 18, -1}; return true;
    case 4634:
    case 4647: *out = {1, 2, -1, -1}; return true;
    case 4778:
    case 4779: *out = {0, 1, 5, -1}; return true;
    case 528:
    case 540: *out = {0, 1, 6, 13}; return true;
    case 682:
    case 683: *out = {0, 1, 5, -1}; return true;
    case 538:
    case 551: *out = {0, 1, -1, -1}; return true;
    default: return false;
  }
}

std::u16string StringAt(const std::vector<std::u16string_view>& strings, int index) {
  return std::u16string(index >= 0 && static_cast<size_t>(index) < strings.size() ? strings[static_cast<size_t>(index)]
                                                                                  : std::u16string_view());
}

std::u16string AddressOf(const std::vector<std::u16string_view>& strings, const LogonStrings& table) {
  if (table.addressIfLong >= 0 && strings.size() > static_cast<size_t>(table.addressIfLong)) {
    std::u16string address = StringAt(strings, table.addressIfLong);
    if (!address.empty() && address != u"-") return address;
  }
  return StringAt(strings, table.address);
}

bool IsLoopbackText(const std::u16string& a) {
  return a == u"127.0.0.1" || a == u"::1" || a.find(u"::ffff:127.0.0.1") != std::u16string::npos;
}

bool IsLoopback(const sockaddr* address) {
  if (address->sa_family == AF_INET) {
    const auto* v4 = reinterpret_cast<const sockaddr_in*>(address);
    const auto* b = reinterpret_cast<const BYTE*>(&v4->sin_addr);
    return b[0] == 127 && b[1] == 0 && b[2] == 0 && b[3] == 1;
  }
  if (address->sa_family == AF_INET6) {
    static const BYTE kLoopback[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    return std::memcmp(&reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, kLoopback, 16) == 0;
  }
  return false;
}

bool SameAddress(const sockaddr* a, const sockaddr* b) {
  if (a->sa_family != b->sa_family) return false;
  if (a->sa_family == AF_INET) {
    return std::memcmp(&reinterpret_cast<const sockaddr_in*>(a)->sin_addr,
                       &reinterpret_cast<const sockaddr_in*>(b)->sin_addr, 4) == 0;
  }
  if (a->sa_family == AF_INET6) {
    return std::memcmp(&reinterpret_cast<const sockaddr_in6*>(a)->sin6_addr,
                       &reinterpret_cast<const sockaddr_in6*>(b)->sin6_addr, 16) == 0;
  }
  return false;
}

std::u16string MacOf(const sockaddr* address) {
  if (address->sa_family == AF_INET) {
    Trace(40, u"DBG Send arp");
    ULONG buffer[8] = {};
    ULONG length = sizeof buffer;
    IPAddr destination = reinterpret_cast<const sockaddr_in*>(address)->sin_addr.s_addr;
    if (SendARP(destination, 0, buffer, &length) == 0 && length != 0) {
      Trace(40, u"DBG MAC2String");
      return MacAddressText(reinterpret_cast<const BYTE*>(buffer), length);
    }
  } else if (address->sa_family == AF_INET6) {
    Trace(40, u"DBG ResolveIpNetEntry2 call");
    MIB_IPNET_ROW2 row;
    std::memset(&row, 0, sizeof row);
    row.Address.Ipv6 = *reinterpret_cast<const sockaddr_in6*>(address);
    // A link-local address names its interface; without one the call
    // cannot find the neighbour.
    row.InterfaceIndex = row.Address.Ipv6.sin6_scope_id;
    if (ResolveIpNetEntry2(&row, nullptr) == 0 && row.PhysicalAddressLength != 0) {
      Trace(40, u"DBG MAC2String");
      return MacAddressText(row.PhysicalAddress, row.PhysicalAddressLength);
    }
  }
  return {};
}

}  // namespace

std::u16string MacAddressText(const BYTE* bytes, size_t count) {
  std::u16string text;
  for (size_t i = 0; i < count; ++i) {
    if (i != 0) text.push_back(u':');
    text += FormatString(u"%02X", bytes[i]);
  }
  return text;
}

std::u16string ReverseLookupName(const sockaddr* address) {
  if (address->sa_family == AF_INET) {
    const auto* b = reinterpret_cast<const BYTE*>(&reinterpret_cast<const sockaddr_in*>(address)->sin_addr);
    return FormatString(u"%u.%u.%u.%u.in-addr.arpa", b[3], b[2], b[1], b[0]);
  }
  static constexpr char16_t kDigits[] = u"0123456789abcdef";
  const auto* b = reinterpret_cast<const BYTE*>(&reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr);
  std::u16string name;
  for (int i = 15; i >= 0; --i) {
    name.push_back(kDigits[b[i] & 0xF]);
    name.push_back(u'.');
    name.push_back(kDigits[b[i] >> 4]);
    name.push_back(u'.');
  }
  return name + u"ip6.arpa";
}

OriginResolver::OriginResolver(std::u16string computerName) : computerName_(std::move(computerName)) {
  WSADATA data;
  socketsStarted_ = WSAStartup(MAKEWORD(2, 2), &data) == 0;
}

OriginResolver::~OriginResolver() {
  if (socketsStarted_) WSACleanup();
}

bool OriginResolver::IsUsableAccountName(const std::u16string& name) {
  return !name.empty() && name != u"-" && name != u"ANONYMOUS LOGON" && name.back() != u'$';
}

bool OriginResolver::ResolveEventOrigin(std::span<const uint8_t> record, std::u16string* from, std::u16string* mac,
                                        std::u16string* fqdn) {
  if (from != nullptr) from->clear();
  if (mac != nullptr) mac->clear();
  if (fqdn != nullptr) fqdn->clear();
  const EVENTLOGRECORD* header = ClassicRecordIn(record);
  LogonStrings table;
  if (header == nullptr || !LogonStringsOf(header->EventID, &table)) return false;
  std::vector<std::u16string_view> strings = InsertionStrings(header);
  if (!IsUsableAccountName(StringAt(strings, table.user))) return false;
  std::u16string address = AddressOf(strings, table);
  if (address.empty()) return false;
  if (from != nullptr) *from = address;
  auto cached = cache_.find(address);
  if (cached == cache_.end()) {
    Origin origin{address, {}, {}};
    std::u16string ignored;
    ResolveAddress(address, &ignored, &origin.mac, &origin.fqdn);
    cached = cache_.emplace(address, std::move(origin)).first;
  }
  if (mac != nullptr) *mac = cached->second.mac;
  if (fqdn != nullptr) *fqdn = cached->second.fqdn;
  return true;
}

bool OriginResolver::ResolveAddress(const std::u16string& address, std::u16string* from, std::u16string* mac,
                                    std::u16string* fqdn) {
  if (from != nullptr) *from = address;
  if (mac == nullptr && fqdn == nullptr) return true;
  return Resolve(address, mac, fqdn, true);
}

// One resolution of an address or name. The computer's own name stands in
// for a loopback address once: loopback results of that resolution are
// taken as they are.
bool OriginResolver::Resolve(const std::u16string& address, std::u16string* mac, std::u16string* fqdn,
                             bool mayUseComputerName) {
  const bool substitute = mayUseComputerName && !computerName_.empty();
  if (substitute && IsLoopbackText(address)) return Resolve(computerName_, mac, fqdn, false);
  Trace(30, u"[LS] Resolving address info for: %s", address);
  ADDRINFOW hints;
  std::memset(&hints, 0, sizeof hints);
  hints.ai_socktype = SOCK_STREAM;
  PADDRINFOW results = nullptr;
  Trace(40, u"DBG GetAddrInfoW started");
  INT error = GetAddrInfoW(address.c_str(), nullptr, &hints, &results);
  Trace(40, u"DBG GetAddrInfoW finished. error %i result pointer %08X", error,
        static_cast<uint32_t>(reinterpret_cast<uintptr_t>(results)));
  if (error != 0) return false;
  bool substituted = false;
  for (ADDRINFOW* r = results; r != nullptr; r = r->ai_next) {
    if (r->ai_addr == nullptr) continue;
    if (substitute && IsLoopback(r->ai_addr)) {
      substituted = true;
      break;
    }
    if (fqdn != nullptr && fqdn->empty()) *fqdn = ResolveFQDN(r->ai_addr);
    if (mac != nullptr && mac->empty()) *mac = MacOf(r->ai_addr);
  }
  FreeAddrInfoW(results);
  Trace(40, u"[LS] Resolving address info finish for: %s", address);
  if (substituted) return Resolve(computerName_, mac, fqdn, false);
  return true;
}

bool OriginResolver::ConfirmHostName(const std::u16string& name, const sockaddr* address) {
  Trace(40, u"DBG ConfirmHostName started");
  PADDRINFOW results = nullptr;
  INT error = GetAddrInfoW(name.c_str(), nullptr, nullptr, &results);
  if (error != 0) {
    Trace(20, u"[LS] Failed to get address info for '%s': error %d", name, error);
    return false;
  }
  bool confirmed = false;
  for (ADDRINFOW* r = results; r != nullptr && !confirmed; r = r->ai_next) {
    confirmed = r->ai_addr != nullptr && SameAddress(r->ai_addr, address);
  }
  FreeAddrInfoW(results);
  return confirmed;
}

std::u16string OriginResolver::ResolveFQDN(const sockaddr* address) {
  Trace(40, u"DBG start ResolveFQDN");
  if (address->sa_family != AF_INET && address->sa_family != AF_INET6) return {};
  std::u16string name = ReverseLookupName(address);
  PDNS_RECORD records = nullptr;
  Trace(40, u"DBG DnsQuery call started");
  DNS_STATUS status = DnsQuery_W(name.c_str(), DNS_TYPE_PTR, DNS_QUERY_BYPASS_CACHE, nullptr, &records, nullptr);
  Trace(40, u"DBG DnsQuery records %08X", static_cast<uint32_t>(reinterpret_cast<uintptr_t>(records)));
  if (status != 0) {
    Trace(20, u"[LS] Failed to get reverse DNS records for '%s': error 0x%08x", name, status);
    return {};
  }
  std::u16string answer;
  for (PDNS_RECORD r = records; r != nullptr && answer.empty(); r = r->pNext) {
    if (r->wType != DNS_TYPE_PTR) {
      Trace(40, u"DBG Non expected DNS record type %i", r->wType);
      continue;
    }
    std::u16string host = r->Data.PTR.pNameHost != nullptr ? plat::U(r->Data.PTR.pNameHost) : u"";
    if (ConfirmHostName(host, address)) answer = host;
    else Trace(20, u"[LS] Failed to confirm reverse DNS record: %s", host);
  }
  if (!answer.empty()) Trace(30, u"[LS] Resolved FQDN: %s", answer);
  DnsRecordListFree(records, DnsFreeRecordList);
  return answer;
}

}  // namespace cmr
