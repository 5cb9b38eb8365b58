#include "render/sid_cache.h"

#include <gtest/gtest.h>

#include "platform/api/kernel.h"
#include "platform/host/security/accounts.h"
#include "tests/support/fresh_host.h"

using namespace cmr;

namespace {

// A SID in binary form, freed at the end of the scope.
class Sid {
 public:
  explicit Sid(const char16_t* text) { EXPECT_TRUE(ConvertStringSidToSidW(text, &sid_)); }
  ~Sid() { LocalFree(sid_); }
  PSID get() const { return sid_; }

 private:
  PSID sid_ = nullptr;
};

class SidCacheTest : public testsupport::FreshHost {
 protected:
  void SetUp() override {
    FreshHost::SetUp();
    auto& accounts = host::Host::Get().Add(u"SRV1").Service<host::Accounts>();
    accounts.Add(u"S-1-5-21-1-2-3-1104", {u"CORP", u"alice", SidTypeUser});
    cache_.OpenPolicy(u"SRV1");
  }

  CSidCache cache_;
  Sid alice_{u"S-1-5-21-1-2-3-1104"};
};

TEST_F(SidCacheTest, ASidOrItsTextIsAskedOnceAndSharesItsEntry) {
  ASSERT_TRUE(cache_.IsOpen());
  Sid again(u"S-1-5-21-1-2-3-1104");
  auto first = cache_.Lookup(alice_.get());
  auto second = cache_.Lookup(again.get());
  ASSERT_NE(first, nullptr);
  EXPECT_EQ(first, second);
  EXPECT_EQ(host::CallCount("LsaLookupSids"), 1u);
  // Met again, the SID is known by its bytes: not copied nor converted again.
  EXPECT_EQ(host::CallCount("CopySid"), 1u);
  EXPECT_EQ(host::CallCount("ConvertSidToStringSidW"), 1u);
  EXPECT_EQ(first->sidString, u"S-1-5-21-1-2-3-1104");
  EXPECT_EQ(CSidCache::AccountText(*first), u"CORP\\alice");

  // SID texts share the entries of their SIDs, in any spelling.
  EXPECT_EQ(cache_.LookupText(u"S-1-5-21-1-2-3-1104"), first);
  const unsigned conversions = host::CallCount("ConvertStringSidToSidW");
  EXPECT_EQ(cache_.LookupText(u"S-1-5-21-1-2-3-1104"), first);  // known: not converted again
  EXPECT_EQ(host::CallCount("ConvertStringSidToSidW"), conversions);
  EXPECT_EQ(cache_.LookupText(u"S-1-5-21-01-2-3-1104"), first);
  EXPECT_EQ(cache_.LookupText(u"S-1-5-nonsense"), nullptr);
  EXPECT_EQ(host::CallCount("LsaLookupSids"), 1u);
}

TEST_F(SidCacheTest, NoAnswerWithoutASidOrAPolicy) {
  CSidCache closed;
  EXPECT_EQ(closed.Lookup(alice_.get()), nullptr);  // not opened
  EXPECT_EQ(cache_.Lookup(nullptr), nullptr);
  BYTE broken[] = {9, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};
  EXPECT_EQ(cache_.Lookup(broken), nullptr);
  EXPECT_EQ(host::CallCount("LsaLookupSids"), 0u);
  host::InjectFault("LsaOpenPolicy", 1, 1722);
  closed.OpenPolicy(u"SRV1");
  EXPECT_FALSE(closed.IsOpen());
  EXPECT_EQ(closed.Lookup(alice_.get()), nullptr);
}

// An unknown SID, or one whose translation failed, is cached with an empty
// account and not asked again.
TEST_F(SidCacheTest, UnknownAndUntranslatedSidsAreAskedOnce) {
  Sid unknown(u"S-1-5-21-9-9-9-1000");
  auto entry = cache_.Lookup(unknown.get());
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->sidString, u"S-1-5-21-9-9-9-1000");
  EXPECT_EQ(CSidCache::AccountText(*entry), u"\\");
  cache_.Lookup(unknown.get());
  EXPECT_EQ(host::CallCount("LsaLookupSids"), 1u);
  host::InjectFault("LsaLookupSids", 1, 1722);
  entry = cache_.Lookup(alice_.get());
  ASSERT_NE(entry, nullptr);
  EXPECT_EQ(entry->name, u"");
  EXPECT_EQ(cache_.Lookup(alice_.get()), entry);
  EXPECT_EQ(host::CallCount("LsaLookupSids"), 2u);
}

}  // namespace
