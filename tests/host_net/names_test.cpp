#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/api/net.h"
#include "platform/host/kernel/block_pool.h"
#include "platform/host/net/name_table.h"
#include "tests/support/fresh_host.h"

namespace {

class Names : public testsupport::FreshHost {
 protected:
  void SetUp() override {
    FreshHost::SetUp();
    WSADATA data;
    ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
    EXPECT_EQ(data.wVersion, MAKEWORD(2, 2));
    host::Lock lock;
    auto& names = host::Names();
    names.AddHost({u"srv1.corp.example.com", u"SRV1"}, {"10.0.0.5", "fe80::5"});
    names.AddHost({u"v6only.corp.example.com"}, {"2001:db8::7"});
    names.AddPtr("10.0.0.9", u"liar.corp.example.com");
    names.SetMac("10.0.0.5", {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E});
    names.SetMac("fe80::5", {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5F});
  }
  void TearDown() override {
    WSACleanup();
    FreshHost::TearDown();
  }
};

std::string Text(const sockaddr* address) {
  char text[64] = {};
  if (address->sa_family == AF_INET)
    inet_ntop(AF_INET, &reinterpret_cast<const sockaddr_in*>(address)->sin_addr, text, sizeof text);
  else inet_ntop(AF_INET6, &reinterpret_cast<const sockaddr_in6*>(address)->sin6_addr, text, sizeof text);
  return text;
}

TEST_F(Names, GetaddrinfoGivesTheCanonicalNameAndEveryAddress) {
  addrinfo hints{};
  hints.ai_flags = AI_CANONNAME;
  hints.ai_socktype = SOCK_STREAM;
  addrinfo* list = nullptr;
  size_t before = host::AddrInfoBlocks().Outstanding();
  ASSERT_EQ(winsock::getaddrinfo("srv1", nullptr, &hints, &list), 0);
  ASSERT_NE(list, nullptr);
  EXPECT_STREQ(list->ai_canonname, "srv1.corp.example.com");
  EXPECT_EQ(Text(list->ai_addr), "10.0.0.5");
  EXPECT_EQ(list->ai_socktype, SOCK_STREAM);
  ASSERT_NE(list->ai_next, nullptr);
  EXPECT_EQ(list->ai_next->ai_family, AF_INET6);
  EXPECT_EQ(Text(list->ai_next->ai_addr), "fe80::5");
  EXPECT_EQ(list->ai_next->ai_canonname, nullptr);
  winsock::freeaddrinfo(list);
  EXPECT_EQ(host::AddrInfoBlocks().Outstanding(), before);

  hints.ai_family = AF_INET;
  EXPECT_EQ(winsock::getaddrinfo("v6only.corp.example.com.", nullptr, &hints, &list), WSANO_DATA);
  EXPECT_EQ(winsock::getaddrinfo("nosuch", nullptr, &hints, &list), WSAHOST_NOT_FOUND);
  EXPECT_EQ(WSAGetLastError(), WSAHOST_NOT_FOUND);
  EXPECT_EQ(list, nullptr);
}

TEST_F(Names, GetAddrInfoWWithNumericAddressAndPort) {
  ADDRINFOW hints{};
  hints.ai_socktype = SOCK_STREAM;
  PADDRINFOW list = nullptr;
  ASSERT_EQ(GetAddrInfoW(u"10.0.0.9", u"445", &hints, &list), 0);
  ASSERT_EQ(list->ai_family, AF_INET);
  auto* v4 = reinterpret_cast<sockaddr_in*>(list->ai_addr);
  EXPECT_EQ(ntohs(v4->sin_port), 445);
  EXPECT_EQ(list->ai_next, nullptr);
  FreeAddrInfoW(list);
  EXPECT_EQ(GetAddrInfoW(u"-", nullptr, &hints, &list), WSAHOST_NOT_FOUND);
  EXPECT_EQ(GetAddrInfoW(u"srv1", u"smb", &hints, &list), WSATYPE_NOT_FOUND);
  hints.ai_family = 99;
  EXPECT_EQ(GetAddrInfoW(u"srv1", nullptr, &hints, &list), WSAEAFNOSUPPORT);
}

TEST_F(Names, LookupsNeedTheSocketLibraryStarted) {
  int started = 0;  // every start of this process, the fixture's included
  while (WSACleanup() == 0) ++started;
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  addrinfo* list = nullptr;
  EXPECT_EQ(winsock::getaddrinfo("srv1", nullptr, nullptr, &list), WSANOTINITIALISED);
  EXPECT_EQ(winsock::gethostbyname("srv1"), nullptr);
  EXPECT_EQ(WSAGetLastError(), WSANOTINITIALISED);
  WSADATA data;
  for (int i = 0; i < started; ++i) ASSERT_EQ(WSAStartup(MAKEWORD(2, 2), &data), 0);
  EXPECT_NE(winsock::gethostbyname("srv1"), nullptr);
}

TEST_F(Names, HostEntriesForwardAndReverse) {
  hostent* entry = winsock::gethostbyname("SRV1");
  ASSERT_NE(entry, nullptr);
  EXPECT_STREQ(entry->h_name, "srv1.corp.example.com");
  EXPECT_STREQ(entry->h_aliases[0], "SRV1");
  EXPECT_EQ(entry->h_addrtype, AF_INET);
  ASSERT_NE(entry->h_addr_list[0], nullptr);
  EXPECT_EQ(entry->h_addr_list[1], nullptr);  // IPv4 only
  in_addr first;
  std::memcpy(&first, entry->h_addr_list[0], 4);
  EXPECT_STREQ(winsock::inet_ntoa(first), "10.0.0.5");

  ULONG address = winsock::inet_addr("10.0.0.5");
  ASSERT_NE(address, INADDR_NONE);
  entry = winsock::gethostbyaddr(reinterpret_cast<const char*>(&address), 4, AF_INET);
  ASSERT_NE(entry, nullptr);
  EXPECT_STREQ(entry->h_name, "srv1.corp.example.com");
  ULONG unknown = winsock::inet_addr("10.9.9.9");
  EXPECT_EQ(winsock::gethostbyaddr(reinterpret_cast<const char*>(&unknown), 4, AF_INET), nullptr);
  EXPECT_EQ(WSAGetLastError(), WSAHOST_NOT_FOUND);
  EXPECT_EQ(winsock::inet_addr("srv1"), INADDR_NONE);
  EXPECT_EQ(winsock::inet_addr(""), INADDR_NONE);

  {
    host::Lock lock;
    host::Names().dnsAvailable = false;
  }
  EXPECT_EQ(winsock::gethostbyname("elsewhere"), nullptr);
  EXPECT_EQ(WSAGetLastError(), WSATRY_AGAIN);
}

TEST_F(Names, ReverseDnsGivesPtrRecords) {
  PDNS_RECORD records = nullptr;
  ASSERT_EQ(DnsQuery_W(u"5.0.0.10.in-addr.arpa", DNS_TYPE_PTR, DNS_QUERY_BYPASS_CACHE, nullptr, &records, nullptr), 0);
  ASSERT_NE(records, nullptr);
  EXPECT_EQ(records->wType, DNS_TYPE_PTR);
  EXPECT_EQ(std::u16string(records->Data.PTR.pNameHost), u"srv1.corp.example.com");
  EXPECT_EQ(std::u16string(records->pName), u"5.0.0.10.in-addr.arpa");
  EXPECT_EQ(records->pNext, nullptr);
  DnsRecordListFree(records, DnsFreeRecordList);

  // An IPv6 reverse name: 32 nibbles, lowest first.
  std::u16string v6 = u"5.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.e.f.ip6.arpa";
  ASSERT_EQ(DnsQuery_W(v6.c_str(), DNS_TYPE_PTR, DNS_QUERY_BYPASS_CACHE, nullptr, &records, nullptr), 0);
  EXPECT_EQ(std::u16string(records->Data.PTR.pNameHost), u"srv1.corp.example.com");
  DnsRecordListFree(records, DnsFreeRecordList);

  EXPECT_EQ(DnsQuery_W(u"1.2.3.4.in-addr.arpa", DNS_TYPE_PTR, 0, nullptr, &records, nullptr),
            DNS_ERROR_RCODE_NAME_ERROR);
  EXPECT_EQ(records, nullptr);
  EXPECT_EQ(DnsQuery_W(u"v6only.corp.example.com", DNS_TYPE_A, 0, nullptr, &records, nullptr), DNS_INFO_NO_RECORDS);
  ASSERT_EQ(DnsQuery_W(u"v6only.corp.example.com", DNS_TYPE_AAAA, 0, nullptr, &records, nullptr), 0);
  DnsRecordListFree(records, DnsFreeRecordList);
  EXPECT_EQ(host::DnsBlocks().Outstanding(), 0u);
}

TEST_F(Names, PhysicalAddressesOfNeighbours) {
  ULONG mac[8] = {};
  ULONG length = sizeof mac;
  ASSERT_EQ(SendARP(winsock::inet_addr("10.0.0.5"), 0, mac, &length), static_cast<DWORD>(NO_ERROR));
  EXPECT_EQ(length, 6u);
  EXPECT_EQ(reinterpret_cast<BYTE*>(mac)[5], 0x5E);
  length = 4;
  EXPECT_EQ(SendARP(winsock::inet_addr("10.0.0.5"), 0, mac, &length), static_cast<DWORD>(ERROR_BUFFER_OVERFLOW));
  length = sizeof mac;
  EXPECT_EQ(SendARP(winsock::inet_addr("10.0.0.9"), 0, mac, &length), static_cast<DWORD>(ERROR_BAD_NET_NAME));

  MIB_IPNET_ROW2 row{};
  row.Address.Ipv6.sin6_family = AF_INET6;
  inet_pton(AF_INET6, "fe80::5", &row.Address.Ipv6.sin6_addr);
  EXPECT_EQ(ResolveIpNetEntry2(&row, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));  // no interface named
  row.InterfaceIndex = 1;
  ASSERT_EQ(ResolveIpNetEntry2(&row, nullptr), static_cast<DWORD>(NO_ERROR));
  EXPECT_EQ(row.PhysicalAddressLength, 6u);
  EXPECT_EQ(row.PhysicalAddress[5], 0x5F);
  row.InterfaceIndex = 7;
  EXPECT_EQ(ResolveIpNetEntry2(&row, nullptr), static_cast<DWORD>(ERROR_NOT_FOUND));
  row.InterfaceIndex = 1;
  inet_pton(AF_INET6, "::1", &row.Address.Ipv6.sin6_addr);
  EXPECT_EQ(ResolveIpNetEntry2(&row, nullptr), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
}

}  // namespace
