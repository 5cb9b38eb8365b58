// The decision of a filter set: priority order, include against exclude and
// the default when no filter accepts a record.
#include <gtest/gtest.h>

#include "filter_test_records.h"

using namespace cmr;

using namespace filtertest;

namespace {

class Decision : public ::testing::Test {
 protected:
  // Adds a filter that accepts exactly the records of one event ID.
  CEventFilter::CFilter& Add(bool excluding, int32_t priority, uint32_t id = 4624) {
    auto f = excluding ? set.AddExcludingFilter(priority) : set.AddIncludingFilter(priority);
    f->FilterFlags = kFilterEventIDs;
    f->EventIDs = {{id, id}};
    return *f;
  }
  // The decision for a record of that ID; classic and rendered records agree.
  bool Keeps(uint32_t id) {
    auto fields = LogonFields();
    fields.eventId = id;
    ClassicRecord r = MakeClassic(fields);
    set.BuildMatchOrder();
    bool classic = set.MatchClassic(r.get(), Context(u"Security"));
    VistaRecord v;
    EXPECT_EQ(classic, set.MatchVista(v.EventId(static_cast<uint16_t>(id)).View(), Context(u"Security")));
    return classic;
  }
  CEventFilter set;
};

TEST_F(Decision, WithoutIncludingFiltersWhatNoFilterAcceptsIsKeptWithOneOnlyWhatItAccepts) {
  EXPECT_TRUE(Keeps(1));
  Add(true, 0);
  EXPECT_FALSE(Keeps(4624));
  EXPECT_TRUE(Keeps(4625));
  set.UseFilter = false;
  EXPECT_TRUE(Keeps(4624));
  set.UseFilter = true;
  Add(false, -1, 4625);  // an including filter keeps only what it accepts
  EXPECT_TRUE(Keeps(4625));
  EXPECT_FALSE(Keeps(4626));
}

TEST_F(Decision, TheHighestPriorityDecidesAndExcludingWinsTies) {
  Add(false, 3);
  CEventFilter::CFilter& exclude = Add(true, 3);
  EXPECT_FALSE(Keeps(4624));
  exclude.Priority = 2;
  EXPECT_TRUE(Keeps(4624));
  exclude.Priority = 4;
  EXPECT_FALSE(Keeps(4624));
  exclude.Priority = -7;  // signed order
  EXPECT_TRUE(Keeps(4624));
  set.BuildMatchOrder();
  EXPECT_EQ(set.MatchOrder.size(), 2u) << "rebuilding keeps only the current filters";
}

}  // namespace
