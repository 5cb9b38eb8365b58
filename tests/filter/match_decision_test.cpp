// The decision of a filter set: priority order, include against exclude and
// the default when no filter accepts a record.
#include <gtest/gtest.h>

#include "filter/event_filter.h"
#include "filter_test_records.h"

using namespace filtertest;

namespace {

// A filter that accepts exactly the records of one event ID.
void OnlyId(CEventFilter::CFilter& f, uint32_t id) {
  f.FilterFlags = kFilterEventIDs;
  f.EventIDs = {{id, id}};
}

class Decision : public ::testing::Test {
 protected:
  bool Keeps(uint32_t id) {
    auto f = LogonFields();
    f.eventId = id;
    ClassicRecord r = MakeClassic(f);
    set.BuildMatchOrder();
    bool classic = set.MatchClassic(r.get(), Context(u"Security"));
    VistaRecord v;
    v.EventId(static_cast<uint16_t>(id));
    EXPECT_EQ(classic, set.MatchVista(v.View(), Context(u"Security"))) << "classic and Vista decide alike";
    return classic;
  }
  CEventFilter set;
};

TEST_F(Decision, NoFiltersKeepsEverything) { EXPECT_TRUE(Keeps(1)); }

TEST_F(Decision, UseFilterOffKeepsEverything) {
  OnlyId(*set.AddExcludingFilter(0), 4624);
  set.UseFilter = false;
  EXPECT_TRUE(Keeps(4624));
}

TEST_F(Decision, OnlyExcludingFiltersKeepWhatNoneAccepts) {
  OnlyId(*set.AddExcludingFilter(0), 4624);
  EXPECT_FALSE(Keeps(4624));
  EXPECT_TRUE(Keeps(4625));
}

TEST_F(Decision, AnIncludingFilterKeepsOnlyWhatItAccepts) {
  OnlyId(*set.AddIncludingFilter(0), 4624);
  EXPECT_TRUE(Keeps(4624));
  EXPECT_FALSE(Keeps(4625));
}

TEST_F(Decision, ExcludingWinsAtEqualPriority) {
  OnlyId(*set.AddIncludingFilter(3), 4624);
  OnlyId(*set.AddExcludingFilter(3), 4624);
  EXPECT_FALSE(Keeps(4624));
}

TEST_F(Decision, HigherPriorityDecides) {
  OnlyId(*set.AddIncludingFilter(5), 4624);
  OnlyId(*set.AddExcludingFilter(4), 4624);
  EXPECT_TRUE(Keeps(4624));
  set.ExcludingFilters[0]->Priority = 6;
  EXPECT_FALSE(Keeps(4624));
  set.ExcludingFilters[0]->Priority = -7;  // signed comparison
  EXPECT_TRUE(Keeps(4624));
}

TEST(MatchOrder, RebuildingKeepsOnlyTheCurrentFilters) {
  CEventFilter set;
  set.AddIncludingFilter(2);
  set.AddExcludingFilter(2);
  set.AddIncludingFilter(1);
  set.BuildMatchOrder();
  set.BuildMatchOrder();
  ASSERT_EQ(set.MatchOrder.size(), 3u);
  EXPECT_EQ(set.MatchOrder[0].first->Priority, 1);
  EXPECT_FALSE(set.MatchOrder[1].second);
  EXPECT_TRUE(set.MatchOrder[2].second);
}

TEST(Editing, AddRemoveAndFind) {
  CEventFilter set;
  auto a = set.AddIncludingFilter(0);
  auto b = set.AddExcludingFilter(9);
  EXPECT_EQ(b->Priority, 9);
  EXPECT_EQ(a->Name, u"<filter>");
  EXPECT_EQ(a->User, u"*\\*");
  ASSERT_EQ(a->GUID.size(), 38u);
  EXPECT_NE(a->GUID, b->GUID);
  std::u16string lower = a->GUID;
  for (char16_t& c : lower) c = (c >= u'A' && c <= u'F') ? char16_t(c + 32) : c;
  EXPECT_EQ(set.FindFilter(lower), a);
  set.RemoveFilter(u"{no-such-filter}");
  set.RemoveFilter(lower);
  EXPECT_TRUE(set.IncludingFilters.empty());
  EXPECT_EQ(set.FindFilter(b->GUID), b);

  set.AddLog()->Name = u"Security";
  set.AddLog()->Name = u"System";
  set.RemoveLog(u"SECURITY");
  ASSERT_EQ(set.EventLogs.size(), 1u);
  EXPECT_EQ(set.EventLogs[0]->Name, u"System");
  EXPECT_TRUE(set.MatchOrder.empty()) << "editing leaves the match order alone";
}

}  // namespace
