#include "render/origin_resolver.h"

#include <gtest/gtest.h>

#include "base/text.h"
#include "platform/formats/evt_record.h"
#include "platform/host/net/name_table.h"
#include "tests/support/fresh_host.h"

using namespace cmr;

namespace {

const std::vector<BYTE> kMac = {0x00, 0x1A, 0x2B, 0x3C, 0x4D, 0x5E};

// A classic record of an event with insertion strings.
std::vector<uint8_t> Record(uint32_t eventId, std::vector<std::u16string> strings) {
  formats::EvtRecordFields f;
  f.source = u"Security";
  f.computer = u"SRV1";
  f.eventId = eventId;
  f.strings = std::move(strings);
  return formats::BuildEvtRecord(f);
}

// A 4624 logon of `user` from `address` (strings 5 and 18).
std::vector<uint8_t> Logon4624(const std::u16string& user, const std::u16string& address) {
  std::vector<std::u16string> s(21, u"-");
  s[5] = user;
  s[6] = u"CORP";
  s[18] = address;
  return Record(4624, s);
}

class OriginResolverTest : public testsupport::FreshHost {
 protected:
  void SetUp() override {
    FreshHost::SetUp();
    host::Lock lock;
    host::Names().AddHost({u"ws7.corp.example.com", u"WS7"}, {"10.0.0.7"});
    host::Names().SetMac("10.0.0.7", kMac);
    host::Names().AddHost({u"srv1.corp.example.com", u"SRV1"}, {"10.0.0.1"});
    host::Names().SetMac("10.0.0.1", {0xAA, 0xBB, 0xCC, 0xDD, 0xEE, 0xFF});
  }

  bool Resolve(const std::vector<uint8_t>& record) {
    return resolver_.ResolveEventOrigin(record, &from_, &mac_, &fqdn_);
  }

  OriginResolver resolver_{u"SRV1"};
  std::u16string from_, mac_, fqdn_;
};

// The origin of a logon: its address, and the MAC address and name of the
// machine there (loopback standing for the computer read).
TEST_F(OriginResolverTest, LogonOriginGivesAddressMacAndName) {
  struct Case {
    const char16_t *address, *mac, *fqdn;
  } cases[] = {
      {u"10.0.0.7", u"00:1A:2B:3C:4D:5E", u"ws7.corp.example.com"},
      {u"::ffff:127.0.0.1", u"AA:BB:CC:DD:EE:FF", u"srv1.corp.example.com"},
      {u"-", u"", u""},  // the origin, resolving to nothing
  };
  for (const Case& c : cases) {
    OriginResolver resolver(u"SRV1");
    EXPECT_TRUE(resolver.ResolveEventOrigin(Logon4624(u"alice", c.address), &from_, &mac_, &fqdn_));
    EXPECT_EQ(from_ + u"|" + mac_ + u"|" + fqdn_, c.address + std::u16string(u"|") + c.mac + u"|" + c.fqdn);
  }
}

TEST_F(OriginResolverTest, AnonymousAndMachineAccountsAreSkipped) {
  from_ = u"stale";
  EXPECT_FALSE(Resolve(Logon4624(u"ANONYMOUS LOGON", u"10.0.0.7")));
  EXPECT_EQ(from_, u"");
  EXPECT_FALSE(Resolve(Logon4624(u"WS7$", u"10.0.0.7")));
  EXPECT_FALSE(Resolve(Record(4625, std::vector<std::u16string>(21, u"alice"))));
  EXPECT_FALSE(OriginResolver::IsUsableAccountName(u"-"));
  EXPECT_FALSE(OriginResolver::IsUsableAccountName(u""));
  EXPECT_TRUE(OriginResolver::IsUsableAccountName(u"anonymous logon"));
  EXPECT_EQ(host::CallCount("GetAddrInfoW"), 0u);
}

TEST_F(OriginResolverTest, AnAddressOrTheLocalComputerIsResolvedOncePerResolver) {
  Resolve(Logon4624(u"alice", u"10.0.0.7"));
  unsigned lookups = host::CallCount("GetAddrInfoW");
  unsigned arps = host::CallCount("SendARP");
  EXPECT_GT(lookups, 0u);
  EXPECT_TRUE(Resolve(Logon4624(u"bob", u"10.0.0.7")));
  EXPECT_EQ(host::CallCount("GetAddrInfoW"), lookups);
  EXPECT_EQ(host::CallCount("SendARP"), arps);
  EXPECT_EQ(mac_, u"00:1A:2B:3C:4D:5E");
  Resolve(Logon4624(u"alice", u"nowhere"));  // a failed resolution is remembered as well
  lookups = host::CallCount("GetAddrInfoW");
  Resolve(Logon4624(u"alice", u"nowhere"));
  EXPECT_EQ(host::CallCount("GetAddrInfoW"), lookups);

  // The local computer without a table entry resolves to loopback, once.
  host::ClearFaults();
  OriginResolver local(host::kDefaultComputerName);
  EXPECT_TRUE(local.ResolveAddress(u"127.0.0.1", &from_, &mac_, &fqdn_));
  EXPECT_EQ(from_ + u"|" + mac_, u"127.0.0.1|");
  EXPECT_TRUE(local.ResolveAddress(host::kDefaultComputerName, &from_, &mac_, &fqdn_));
  EXPECT_LE(host::CallCount("GetAddrInfoW"), 4u);
}

TEST_F(OriginResolverTest, LegacyLogonEventsNameTheirUserFirst) {
  OriginResolver& resolver = resolver_;
  std::vector<std::u16string> s528(15, u"x");
  s528[0] = u"alice";
  s528[6] = u"WS7";
  s528[13] = u"10.0.0.7";
  EXPECT_TRUE(resolver.ResolveEventOrigin(Record(528, s528), &from_, &mac_, nullptr));
  EXPECT_EQ(from_, u"10.0.0.7");
  EXPECT_EQ(mac_, u"00:1A:2B:3C:4D:5E");
  s528[13] = u"-";
  EXPECT_TRUE(resolver.ResolveEventOrigin(Record(540, s528), &from_, nullptr, nullptr));
  EXPECT_EQ(from_, u"WS7");
  std::vector<std::u16string> s682 = {u"alice", u"CORP", u"(0x0,0x1)", u"RDP-Tcp#1", u"WS7", u"10.0.0.7"};
  EXPECT_TRUE(resolver.ResolveEventOrigin(Record(683, s682), &from_, nullptr, &fqdn_));
  EXPECT_EQ(from_, u"10.0.0.7");
  EXPECT_EQ(fqdn_, u"ws7.corp.example.com");
  s682[0] = u"ANONYMOUS LOGON";
  EXPECT_FALSE(resolver.ResolveEventOrigin(Record(682, s682), &from_, nullptr, nullptr));
  EXPECT_FALSE(resolver.ResolveEventOrigin(Record(538, {u"alice", u"CORP", u"(0x0,0x1)"}), &from_, nullptr, nullptr));
}

TEST(OriginText, ReverseNamesAndMacText) {
  sockaddr_in v4{};
  v4.sin_family = AF_INET;
  inet_pton(AF_INET, "10.1.2.3", &v4.sin_addr);
  EXPECT_EQ(ReverseLookupName(reinterpret_cast<sockaddr*>(&v4)), u"3.2.1.10.in-addr.arpa");
  sockaddr_in6 v6{};
  v6.sin6_family = AF_INET6;
  inet_pton(AF_INET6, "2001:db8::567:89ab", &v6.sin6_addr);
  EXPECT_EQ(ReverseLookupName(reinterpret_cast<sockaddr*>(&v6)),
            u"b.a.9.8.7.6.5.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.0.8.b.d.0.1.0.0.2.ip6.arpa");
  BYTE eui64[] = {0x02, 0x00, 0x5E, 0xFF, 0xFE, 0x00, 0x53, 0x01};
  EXPECT_EQ(MacAddressText(eui64, 8), u"02:00:5E:FF:FE:00:53:01");
}

}  // namespace
