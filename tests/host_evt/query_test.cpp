// EvtQuery, EvtNext and EvtSeek over channels and files.
#include <vector>

#include "platform/formats/evtx_writer.h"
#include "platform/host/files/paths.h"
#include "tests/host_evt/wevt_fixture.h"
#include "tests/support/last_error.h"

namespace wevttest {
namespace {

using QueryTest = WevtTest;
using testsupport::ErrorOf;
using Ids = std::vector<uint64_t>;

TEST_F(QueryTest, BatchOfHundredThenTheHundredAndFirstInASecondCall) {
  AddChannelWithEvents(u"Application", 101);
  Handle query(EvtQuery(nullptr, u"Application", nullptr, EvtQueryChannelPath | EvtQueryForwardDirection));
  ASSERT_TRUE(query);
  auto first = Next(query.get(), 100);
  ASSERT_EQ(first.size(), 100u);
  EXPECT_EQ(first.front(), 1u);
  EXPECT_EQ(first.back(), 100u);
  EXPECT_EQ(Next(query.get(), 100), Ids{101});
  DWORD error = 0;
  EXPECT_TRUE(Next(query.get(), 100, &error).empty());
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_NO_MORE_ITEMS));
  Handle reverse(EvtQuery(nullptr, u"Application", nullptr, EvtQueryChannelPath | EvtQueryReverseDirection));
  EXPECT_EQ(Next(reverse.get(), 3), (Ids{101, 100, 99}));
}

TEST_F(QueryTest, LiveQuerySeesLaterEventsAndAClearMakesItStale) {
  AddChannelWithEvents(u"Application", 2);
  Handle query(EvtQuery(nullptr, u"Application", u"*", EvtQueryChannelPath));
  EXPECT_EQ(Next(query.get(), 10).size(), 2u);
  host::AppendEvent(Local(), u"Application", Spec(7));
  EXPECT_EQ(Next(query.get(), 10), Ids{3});
  host::Lock lock;
  auto& service = host::EventLogOf(Local());
  ASSERT_EQ(service.Clear(*service.FindChannel(u"Application")), 0u);
  DWORD error = 0;
  Next(query.get(), 10, &error);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_EVT_QUERY_RESULT_STALE));
}

// Each row seeks, then reads `read` events; relative to current counts from
// the first event of the last batch, so a reader that used one event of a
// batch lands on the event it asks for.
TEST_F(QueryTest, SeekFromFirstLastAndCurrent) {
  const uint64_t first = 0x100000005ULL;  // 64-bit ids that do not start at 1
  AddChannelWithEvents(u"System", 10, first);
  Handle query(EvtQuery(nullptr, u"System", nullptr, EvtQueryChannelPath));
  const struct {
    LONGLONG position;
    DWORD flags, read;
    Ids ids;
  } steps[] = {
      {3, EvtSeekRelativeToFirst, 1, {first + 3}},
      {0, EvtSeekRelativeToLast, 5, {first + 9}},
      {-2, EvtSeekRelativeToLast, 1, {first + 7}},
      {0, EvtSeekRelativeToFirst | EvtSeekStrict, 5, {first, first + 1, first + 2, first + 3, first + 4}},
      {4, EvtSeekRelativeToCurrent, 1, {first + 5}},
  };
  for (const auto& s : steps) {
    ASSERT_TRUE(EvtSeek(query.get(), s.position, nullptr, 0, s.flags)) << s.position;
    EXPECT_EQ(Next(query.get(), s.read), s.ids) << s.position;
  }
}

TEST_F(QueryTest, SeekPastTheEndAndOverAnEmptyChannel) {
  AddChannelWithEvents(u"System", 4);
  Handle query(EvtQuery(nullptr, u"System", nullptr, EvtQueryChannelPath));
  EXPECT_EQ(ErrorOf(EvtSeek(query.get(), 4, nullptr, 0, EvtSeekRelativeToFirst | EvtSeekStrict)),
            static_cast<DWORD>(ERROR_NOT_FOUND));
  EXPECT_FALSE(EvtSeek(query.get(), -1, nullptr, 0, EvtSeekRelativeToFirst | EvtSeekStrict));
  // A failed seek leaves the position alone.
  EXPECT_EQ(Next(query.get(), 1), Ids{1});
  ASSERT_TRUE(EvtSeek(query.get(), 100, nullptr, 0, EvtSeekRelativeToCurrent));
  EXPECT_EQ(Next(query.get(), 10), Ids{4});
  EXPECT_EQ(ErrorOf(EvtSeek(query.get(), 0, nullptr, 0, 0)), static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  // An empty channel rewinds and ends at once.
  AddChannelWithEvents(u"Empty", 0);
  Handle empty(EvtQuery(nullptr, u"Empty", nullptr, EvtQueryChannelPath));
  EXPECT_TRUE(EvtSeek(empty.get(), 0, nullptr, 0, EvtSeekRelativeToFirst | EvtSeekStrict));
  EXPECT_TRUE(EvtSeek(empty.get(), 0, nullptr, 0, EvtSeekRelativeToLast));
  EXPECT_EQ(AllIds(empty.get()), Ids{});
}

// A full log of one chunk overwrites its oldest events, leaving a reader
// behind stale, unless it keeps them: then it refuses new events.
TEST_F(QueryTest, AFullLogOverwritesOrRefuses) {
  host::ChannelConfig c;
  c.name = u"Small";
  c.maxSize = 4096 + 65536;
  host::AddChannel(Local(), c);
  c.name = u"Kept";
  c.retention = true;
  host::AddChannel(Local(), c);
  Handle query(EvtQuery(nullptr, u"Small", nullptr, EvtQueryChannelPath));
  for (int i = 0; i < 2000; ++i) ASSERT_NE(host::AppendEvent(Local(), u"Small", Spec(1)), 0u);
  int written = 0;
  while (written < 5000 && host::AppendEvent(Local(), u"Kept", Spec(1)) != 0) ++written;
  EXPECT_LT(written, 5000);
  DWORD error = 0;
  Next(query.get(), 1, &error);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_EVT_QUERY_RESULT_STALE));
  host::Lock lock;
  auto* channel = host::EventLogOf(Local()).FindChannel(u"Small");
  EXPECT_LT(channel->RecordCount(), 2000u);
  EXPECT_GT(channel->RecordCount(), 0u);
  EXPECT_LE(channel->FileSize(), c.maxSize);
  EXPECT_EQ(channel->Log()->records.back()->recordId, 2000u);
  EXPECT_EQ(host::EventLogOf(Local()).FindChannel(u"Kept")->Log()->records.front()->recordId, 1u);
}

TEST_F(QueryTest, FileQueryAndFailures) {
  std::string error;
  std::string file = (dir_ / "saved.evtx").string();
  ASSERT_TRUE(formats::WriteEvtxFile(file, Records(3, 40), error)) << error;
  Handle query(EvtQuery(nullptr, host::WindowsPathOf(file).c_str(), nullptr, EvtQueryFilePath));
  ASSERT_TRUE(query);
  EXPECT_EQ(Next(query.get(), 10), (Ids{40, 41, 42}));

  EXPECT_EQ(ErrorOf(EvtQuery(nullptr, u"NoSuchChannel", nullptr, EvtQueryChannelPath)),
            static_cast<DWORD>(ERROR_EVT_CHANNEL_NOT_FOUND));
  EXPECT_EQ(
      ErrorOf(EvtQuery(nullptr, host::WindowsPathOf((dir_ / "none.evtx").string()).c_str(), nullptr, EvtQueryFilePath)),
      static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
  EXPECT_EQ(ErrorOf(EvtQuery(nullptr, u"Application", u"*[System[EventID=4]]", EvtQueryChannelPath)),
            static_cast<DWORD>(ERROR_EVT_INVALID_QUERY));
}

TEST_F(QueryTest, RemoteSessionsAndUnreachableComputers) {
  host::Computer& remote = host::Host::Get().Add(u"SERVER2");
  host::ChannelConfig c;
  c.name = u"Security";
  host::AddChannel(remote, c);
  host::AppendEvent(remote, u"Security", Spec(4624));
  WCHAR server[] = u"server2", unknown[] = u"NOSUCHHOST";
  EVT_RPC_LOGIN login{server, nullptr, nullptr, nullptr, EvtRpcLoginAuthDefault};
  Handle session(EvtOpenSession(EvtRpcLogin, &login, 0, 0));
  ASSERT_TRUE(session);
  {
    Handle query(EvtQuery(session.get(), u"Security", nullptr, EvtQueryChannelPath));
    EXPECT_EQ(Next(query.get(), 10).size(), 1u);
  }
  remote.SetReachable(false);
  EXPECT_EQ(ErrorOf(EvtQuery(session.get(), u"Security", nullptr, EvtQueryChannelPath)),
            static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  EXPECT_EQ(ErrorOf(EvtOpenSession(EvtRpcLogin, &login, 0, 0)), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
  login.Server = unknown;
  EXPECT_EQ(ErrorOf(EvtOpenSession(EvtRpcLogin, &login, 0, 0)), static_cast<DWORD>(RPC_S_SERVER_UNAVAILABLE));
}

TEST_F(QueryTest, InjectedFaultsAndClosedHandles) {
  AddChannelWithEvents(u"Application", 2);
  Handle query(EvtQuery(nullptr, u"Application", nullptr, EvtQueryChannelPath));
  host::InjectFault("EvtNext", 1, ERROR_EVENTLOG_FILE_CHANGED);
  DWORD error = 0;
  Next(query.get(), 10, &error);
  EXPECT_EQ(error, static_cast<DWORD>(ERROR_EVENTLOG_FILE_CHANGED));
  EXPECT_EQ(Next(query.get(), 10).size(), 2u);
  EVT_HANDLE closed = EvtQuery(nullptr, u"Application", nullptr, EvtQueryChannelPath);
  ASSERT_TRUE(EvtClose(closed));
  EXPECT_EQ(ErrorOf(EvtClose(closed)), static_cast<DWORD>(ERROR_INVALID_HANDLE));
  EVT_HANDLE events[1];
  DWORD returned = 0;
  EXPECT_EQ(ErrorOf(EvtNext(closed, 1, events, INFINITE, 0, &returned)), static_cast<DWORD>(ERROR_INVALID_HANDLE));
}

}  // namespace
}  // namespace wevttest
