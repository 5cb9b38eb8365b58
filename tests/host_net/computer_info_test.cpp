#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>

#include "platform/host/machine/system_version.h"
#include "platform/host/net/name_table.h"
#include "platform/host/net/net_facts.h"
#include "task/computer_info.h"
#include "tests/support/fresh_host.h"
#include "tests/support/temp_dir.h"
#include "tests/support/trace_file.h"

namespace fs = std::filesystem;

namespace {

class ComputerInfo : public testsupport::FreshHost {
 protected:
  void SetUp() override {
    FreshHost::SetUp();
    auto& srv = host::Host::Get().Add(u"SRV1");
    srv.Service<host::SystemVersion>().major = 10;
    srv.Service<host::SystemVersion>().minor = 0;
    srv.Service<host::SystemVersion>().productType = VER_NT_SERVER;
    srv.Service<host::NetFacts>().JoinDomain(u"CORP", u"corp.example.com", u"DC1", u"10.0.0.2");
    host::Host::Get().Add(u"DC1");
    host::Lock lock;
    host::Names().AddHost({u"srv1.corp.example.com", u"SRV1"}, {"10.0.0.5"});
    trace_.emplace(fs::path(temp_.path()) / "trace.log", 10);
  }
  std::string TraceText() { return trace_->Text(); }
  testsupport::TempDir temp_;
  std::optional<testsupport::TraceFile> trace_;
};

TEST_F(ComputerInfo, DomainMemberGivesVersionTypeFullNameAndDnsDomain) {
  cmr::ComputerInfoRecord record;
  EXPECT_EQ(cmr::GetComputerInfo(u"SRV1", record), S_OK);
  EXPECT_EQ(record.VersionMajor, 10u);
  EXPECT_EQ(record.VersionMinor, 0u);
  EXPECT_TRUE(record.Type & SV_TYPE_SERVER_NT);
  EXPECT_TRUE(record.Type & SV_TYPE_DOMAIN_MEMBER);
  EXPECT_EQ(record.FullName, u"srv1.corp.example.com");
  EXPECT_EQ(record.Domain, u"corp.example.com");
  EXPECT_EQ(TraceText().find("Failed"), std::string::npos);
}

TEST_F(ComputerInfo, AnIpv4AddressGivesTheCanonicalNameOfItsHost) {
  cmr::ComputerInfoRecord record;
  EXPECT_EQ(cmr::GetComputerInfo(u"10.0.0.5", record), S_OK);
  EXPECT_EQ(record.FullName, u"srv1.corp.example.com");
  EXPECT_EQ(record.VersionMajor, 10u);
}

TEST_F(ComputerInfo, UnreachableComputerGivesBadNetPathAndBothTraceLines) {
  host::Host::Get().Find(u"SRV1")->SetReachable(false);
  cmr::ComputerInfoRecord record;
  EXPECT_EQ(cmr::GetComputerInfo(u"SRV1", record), static_cast<HRESULT>(0x80070035));
  EXPECT_EQ(record.VersionMajor, 0u);
  EXPECT_EQ(record.FullName, u"srv1.corp.example.com");  // names still resolve
  std::string trace = TraceText();
  EXPECT_NE(trace.find("Failed to get computer version info: The network path was not found. (code=53)"),
            std::string::npos)
      << trace;
  EXPECT_NE(trace.find("Failed to get computer domain info: The network path was not found. (code=53)"),
            std::string::npos);
}

TEST_F(ComputerInfo, WorkgroupComputerWithoutANameKeepsTheNameAndFailsTheDomain) {
  host::Host::Get().Add(u"LONELY");
  cmr::ComputerInfoRecord record;
  HRESULT hr = cmr::GetComputerInfo(u"LONELY", record);
  EXPECT_EQ(hr, HRESULT_FROM_WIN32(ERROR_NO_SUCH_DOMAIN));
  EXPECT_EQ(record.FullName, u"LONELY");
  EXPECT_EQ(record.Domain, u"WORKGROUP");  // filled, although the caller will not keep it
  EXPECT_EQ(record.VersionMinor, 1u);      // the default version, 6.1
  std::string trace = TraceText();
  EXPECT_EQ(trace.find("Failed to get computer version info"), std::string::npos);
  EXPECT_NE(trace.find("Failed to get computer domain info: "), std::string::npos);
  EXPECT_NE(trace.find("(code=1355)"), std::string::npos);
}

}  // namespace
