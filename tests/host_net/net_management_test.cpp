#include <gtest/gtest.h>

#include <string>

#include "platform/api/net.h"
#include "platform/host/kernel/block_pool.h"
#include "platform/host/machine/system_version.h"
#include "platform/host/net/net_facts.h"
#include "tests/support/fresh_host.h"

namespace {

class NetManagement : public testsupport::FreshHost {};

TEST_F(NetManagement, ServerInfoComesFromTheComputersVersionAndRole) {
  auto& srv = host::Host::Get().Add(u"SRV1");
  srv.Service<host::SystemVersion>().major = 10;
  srv.Service<host::SystemVersion>().minor = 0;
  srv.Service<host::SystemVersion>().productType = VER_NT_SERVER;
  srv.Service<host::NetFacts>().JoinDomain(u"CORP", u"corp.example.com", u"DC1");
  LPBYTE buffer = nullptr;
  std::u16string name = u"\\\\SRV1";
  ASSERT_EQ(NetServerGetInfo(name.data(), 101, &buffer), static_cast<DWORD>(NERR_Success));
  auto* info = reinterpret_cast<SERVER_INFO_101*>(buffer);
  EXPECT_EQ(info->sv101_version_major, 10u);
  EXPECT_EQ(info->sv101_version_minor, 0u);
  EXPECT_EQ(info->sv101_platform_id, static_cast<DWORD>(PLATFORM_ID_NT));
  EXPECT_EQ(std::u16string(info->sv101_name), u"SRV1");
  EXPECT_TRUE(info->sv101_type & SV_TYPE_SERVER_NT);
  EXPECT_TRUE(info->sv101_type & SV_TYPE_DOMAIN_MEMBER);
  EXPECT_FALSE(info->sv101_type & SV_TYPE_DOMAIN_CTRL);
  EXPECT_EQ(NetApiBufferFree(buffer), static_cast<DWORD>(NERR_Success));
  EXPECT_EQ(NetApiBufferFree(buffer), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  EXPECT_EQ(NetServerGetInfo(name.data(), 102, &buffer), static_cast<DWORD>(ERROR_INVALID_LEVEL));
}

TEST_F(NetManagement, UnreachableOrUnknownComputersGiveBadNetPath) {
  host::Host::Get().Add(u"DOWN").SetReachable(false);
  LPBYTE buffer = nullptr;
  std::u16string down = u"DOWN", unknown = u"\\\\NOSUCH";
  EXPECT_EQ(NetServerGetInfo(down.data(), 101, &buffer), static_cast<DWORD>(ERROR_BAD_NETPATH));
  EXPECT_EQ(NetServerGetInfo(unknown.data(), 101, &buffer), static_cast<DWORD>(ERROR_BAD_NETPATH));
  EXPECT_EQ(NetWkstaGetInfo(down.data(), 100, &buffer), static_cast<DWORD>(ERROR_BAD_NETPATH));
  DWORD read = 0, total = 0;
  EXPECT_EQ(NetShareEnum(down.data(), 2, &buffer, MAX_PREFERRED_LENGTH, &read, &total, nullptr),
            static_cast<DWORD>(ERROR_BAD_NETPATH));
}

TEST_F(NetManagement, WorkgroupAndDomainControllerOfTheDomain) {
  LPBYTE buffer = nullptr;
  ASSERT_EQ(NetWkstaGetInfo(nullptr, 100, &buffer), static_cast<DWORD>(NERR_Success));
  auto* wksta = reinterpret_cast<WKSTA_INFO_100*>(buffer);
  EXPECT_EQ(std::u16string(wksta->wki100_langroup), u"WORKGROUP");
  EXPECT_EQ(std::u16string(wksta->wki100_computername), host::kDefaultComputerName);
  NetApiBufferFree(buffer);
  PDOMAIN_CONTROLLER_INFOW dc = nullptr;
  EXPECT_EQ(DsGetDcNameW(nullptr, u"WORKGROUP", nullptr, nullptr, DS_IS_FLAT_NAME | DS_RETURN_DNS_NAME, &dc),
            static_cast<DWORD>(ERROR_NO_SUCH_DOMAIN));

  host::Host::Get().Add(u"SRV1").Service<host::NetFacts>().JoinDomain(u"CORP", u"corp.example.com", u"DC1",
                                                                      u"10.0.0.2");
  ASSERT_EQ(DsGetDcNameW(nullptr, u"corp", nullptr, nullptr, DS_IS_FLAT_NAME | DS_RETURN_DNS_NAME, &dc),
            static_cast<DWORD>(ERROR_SUCCESS));
  EXPECT_EQ(std::u16string(dc->DomainName), u"corp.example.com");
  EXPECT_EQ(std::u16string(dc->DomainControllerName), u"\\\\DC1");
  EXPECT_EQ(std::u16string(dc->DomainControllerAddress), u"\\\\10.0.0.2");
  NetApiBufferFree(dc);
  ASSERT_EQ(DsGetDcNameW(nullptr, u"corp.example.com", nullptr, nullptr, DS_RETURN_FLAT_NAME, &dc), 0u);
  EXPECT_EQ(std::u16string(dc->DomainName), u"CORP");
  NetApiBufferFree(dc);
  EXPECT_EQ(DsGetDcNameW(nullptr, u"corp.example.com", nullptr, nullptr, DS_IS_FLAT_NAME, &dc),
            static_cast<DWORD>(ERROR_NO_SUCH_DOMAIN));
  host::Host::Get().Add(u"DC1").SetReachable(false);
  EXPECT_EQ(DsGetDcNameW(nullptr, u"CORP", nullptr, nullptr, DS_IS_FLAT_NAME, &dc),
            static_cast<DWORD>(ERROR_NO_SUCH_DOMAIN));
  EXPECT_EQ(host::NetApiBlocks().Outstanding(), 0u);
}

TEST_F(NetManagement, SharesWithAdministrativeDefaultsAndResume) {
  auto& net = host::Host::Get().Local().Service<host::NetFacts>();
  net.shares.push_back({u"Logs", STYPE_DISKTREE, u"", u"D:\\Logs"});
  LPBYTE buffer = nullptr;
  DWORD read = 0, total = 0;
  ASSERT_EQ(NetShareEnum(nullptr, 2, &buffer, MAX_PREFERRED_LENGTH, &read, &total, nullptr), 0u);
  ASSERT_EQ(read, 4u);
  EXPECT_EQ(total, 4u);
  auto* shares = reinterpret_cast<SHARE_INFO_2*>(buffer);
  EXPECT_EQ(std::u16string(shares[0].shi2_netname), u"ADMIN$");
  EXPECT_EQ(std::u16string(shares[0].shi2_path), u"C:\\Windows");
  EXPECT_EQ(std::u16string(shares[1].shi2_path), u"C:\\");
  EXPECT_EQ(std::u16string(shares[3].shi2_path), u"D:\\Logs");
  NetApiBufferFree(buffer);

  DWORD resume = 0;
  std::u16string seen;
  DWORD status;
  do {
    status = NetShareEnum(nullptr, 2, &buffer, 1, &read, &total, &resume);
    ASSERT_TRUE(status == NERR_Success || status == ERROR_MORE_DATA);
    ASSERT_EQ(read, 1u);
    seen += reinterpret_cast<SHARE_INFO_2*>(buffer)->shi2_netname + std::u16string(u";");
    NetApiBufferFree(buffer);
  } while (status == ERROR_MORE_DATA);
  EXPECT_EQ(seen, u"ADMIN$;C$;IPC$;Logs;");
}

}  // namespace
