// Descriptions of Windows Event Log events from the publisher's resource
// file (event manifest and message tables) that the registry names, and
// the description files of channel collections.
#include <fstream>

#include "collect/evt_channels.h"
#include "collect/evt_message_resolver.h"
#include "platform/api/kernel.h"
#include "platform/formats/evtx_value.h"
#include "platform/host/evt/event_channels.h"
#include "tests/collect/collect_fixture.h"
#include "tests/support/trace_file.h"

namespace collecttest {
namespace {

constexpr char16_t kProvider[] = u"Descr-Test";
constexpr char16_t kChannel[] = u"Descr-Test/Operational";
constexpr uint64_t kFileTimeOf1970 = 116444736000000000ull;

class ChannelDescriptions : public CollectFixture {
 protected:
  void SetUp() override {
    CollectFixture::SetUp();
    if (!InstallMessageDlls({"descr_publisher.dll"}, 0.5)) GTEST_SKIP() << kNoMessageDlls;
    Local().Environment()[u"SystemRoot"] = u"C:\\Windows";

    AddPublisher(kProvider, u"{7d3c1b2a-4e5f-4a6b-8c9d-0e1f2a3b4c5d}", u"descr_publisher.dll");
    AddPublisher(u"Not-A-PE", u"{11111111-2222-3333-4444-555555555555}", u"notpe.dll");
    AddPublisher(u"Cut-Off", u"{7d3c1b2a-4e5f-4a6b-8c9d-0e1f2a3b4c5d}", u"cut.dll");
    host::ChannelConfig config;
    config.name = kChannel;
    config.owningPublisher = kProvider;
    host::AddChannel(Local(), config);
  }

  void AddPublisher(const std::u16string& name, const std::u16string& guid, const std::u16string& file) {
    host::Publisher p;
    p.name = name;
    formats::ParseEvtxGuid(guid, p.guid);
    p.resourceFilePath = p.messageFilePath = u"%SystemRoot%\\System32\\" + file;
    p.channels.push_back({kChannel, 0, 16, 0, 0xFFFFFFFFu});
    host::EventLogOf(Local()).AddPublisher(p);
  }

  void Append(const std::u16string& provider, uint16_t id, std::vector<std::u16string> values) {
    formats::EvtxEventSpec spec;
    spec.provider = provider;
    spec.eventId = id;
    spec.timeCreated = kFileTimeOf1970 + (1300000000ull + id) * 10000000ull;
    for (auto& v : values) {
      formats::EvtxUserValue value;
      value.name = u"Value";
      value.value.type = EvtVarTypeString;
      value.value.text = std::move(v);
      spec.data.push_back(std::move(value));
    }
    ASSERT_NE(host::AppendEvent(Local(), kChannel, spec), 0u);
  }

  std::u16string Description(const std::u16string& provider, DWORD id) {
    std::u16string text;
    return resolver_.GetEventDescription(provider, id, text) ? text : u"<none>";
  }

  cmr::EvtMessageResolver resolver_;
};

TEST_F(ChannelDescriptions, EventDescriptionsThroughThePublisherMetadataAndTheFallBackLocale) {
  resolver_.SetLocale(0x0409);
  struct Case {
    const char16_t* provider;
    DWORD id;
    std::u16string expected;
  } cases[] = {
      {kProvider, 100, u"Task %1 started by %%1."},
      {kProvider, 101, u"Task %1 finished: %2."},
      {kProvider, 102, u"<none>"},  // in German only
      {kProvider, 103, u"<none>"},  // its message is missing
      {kProvider, 999, u"<none>"},  // not in the manifest
      {u"Not-A-PE", 100, u"<none>"},
      {u"Cut-Off", 100, u"<none>"},
      {u"Unknown", 100, u"<none>"},
  };
  for (const auto& c : cases) EXPECT_EQ(Description(c.provider, c.id), c.expected) << c.id;
  EXPECT_EQ(resolver_.ExpandParameters(kProvider, u"by %%1 and %%10"), u"by the system and the system0");

  cmr::EvtMessageResolver french;
  french.SetLocale(0x040C);  // no French texts: the system default locale's
  std::u16string text;
  ASSERT_TRUE(french.GetEventDescription(kProvider, 101, text));
  EXPECT_EQ(text, u"Task %1 finished: %2.");
  // A failure other than missing inserts (15100) falls back to the system default locale too.
  cmr::EvtMessageResolver german;
  german.SetLocale(0x0407);
  host::InjectFault("EvtFormatMessage", 1, 15100);
  ASSERT_TRUE(german.GetEventDescription(kProvider, 101, text));
  EXPECT_EQ(text, u"Task %1 finished: %2.");
}

TEST_F(ChannelDescriptions, MissesAreNotLookedUpAgainAndDamagedFilesAreTracedOnce) {
  testsupport::TraceFile trace(fs::path(dir_.path()) / "trace.log");
  resolver_.SetLocale(0x0409);
  EXPECT_EQ(Description(u"Not-A-PE", 100), u"<none>");
  EXPECT_EQ(resolver_.ExpandParameters(u"Not-A-PE", u"%%1"), u"%%1");  // tries the fall-back locale too
  EXPECT_EQ(Description(kProvider, 103), u"<none>");
  unsigned opens = host::CallCount("EvtOpenPublisherMetadata");
  unsigned formats = host::CallCount("EvtFormatMessage");
  EXPECT_EQ(Description(u"Not-A-PE", 100), u"<none>");
  EXPECT_EQ(Description(kProvider, 103), u"<none>");
  EXPECT_EQ(host::CallCount("EvtOpenPublisherMetadata"), opens);
  EXPECT_EQ(host::CallCount("EvtFormatMessage"), formats);
  EXPECT_EQ(Occurrences(trace.Text(), "Failed to open publisher metadata of 'Not-A-PE'"), 1u);
}

TEST_F(ChannelDescriptions, TheChannelsDisplayNameComesFromItsPublisher) {
  cmr::EvtApi api;
  ASSERT_TRUE(api.Load());
  cmr::EvtHandleGuard session(api, cmr::OpenSession(api, u""));
  struct Case {
    LCID language;
    std::u16string expected;
  } cases[] = {{0x0409, u"Descr Test Operational"}, {0x0407, u"Beschreibungstest Betrieb"}};
  for (const auto& c : cases) {
    cmr::LogInfoEntry entry;
    entry.Name = kChannel;
    cmr::GetChannelInfo(api, session.get(), c.language, entry);
    EXPECT_EQ(entry.DisplayName, c.expected);
  }
}

TEST_F(ChannelDescriptions, CollectionWritesTheDescriptionFile) {
  Append(kProvider, 100, {u"\\Defrag", u"%%1"});
  Append(kProvider, 101, {u"\\Defrag", u"ok"});
  Append(u"Not-A-PE", 100, {u"x"});
  Append(kProvider, 100, {u"\\Backup", u"%%1"});
  auto events = CollectWithDescriptions(kChannel, 2);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(FieldOf(events[0], u"IS04"), u"the system");
  EXPECT_EQ(Descriptions(EventFilePath()),
            (std::vector<std::u16string>{u"Descr-Test|100|Task %1 started by %%1.",
                                         u"Descr-Test|101|Task %1 finished: %2.", u"Not-A-PE|100|"}));
}

}  // namespace
}  // namespace collecttest
