// Message texts of classic event sources from the message files that the
// registry names, and the description files of classic collections.
#include <fstream>

#include "collect/classic_message_resolver.h"
#include "platform/api/kernel.h"
#include "platform/host/modules/module_table.h"
#include "render/parameter_expansion.h"
#include "tests/collect/collect_fixture.h"
#include "tests/support/trace_file.h"

namespace collecttest {
namespace {

using cmr::ClassicMessageResolver;
using cmr::MessageFileKind;

constexpr char16_t kSystem32[] = u"%SystemRoot%\\System32\\";
constexpr char16_t kPublisherGuid[] = u"{5c0a2b1e-8f4d-4b1a-9c3e-1d2f3a4b5c6d}";

class ClassicDescriptions : public CollectFixture {
 protected:
  void SetUp() override {
    CollectFixture::SetUp();
    if (!InstallMessageDlls({"descr_events.dll", "descr_params.dll"}, 1.0 / 3)) GTEST_SKIP() << kNoMessageDlls;

    host::ClassicLogConfig config;
    config.name = u"Application";
    config.sources = {
        {u"TestSource", std::u16string(kSystem32) + u"descr_events.dll", u"",
         std::u16string(kSystem32) + u"descr_params.dll"},
        {u"Damaged", std::u16string(kSystem32) + u"notpe.dll;" + kSystem32 + u"cut.dll", u"", u""},
        {u"Bare", u"", u"", u""},
        {u"ByGuid", u"", u"", u""},
    };
    host::CreateClassicLog(Local(), config);
    ASSERT_TRUE(testsupport::SetRegistryString(u"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\ByGuid",
                                               u"ProviderGuid", kPublisherGuid, REG_EXPAND_SZ));
    ASSERT_TRUE(testsupport::SetRegistryString(
        std::u16string(u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WINEVT\\Publishers\\") + kPublisherGuid,
        u"MessageFileName", std::u16string(kSystem32) + u"descr_events.dll", REG_EXPAND_SZ));
  }

  // The text, or "<error N>".
  static std::u16string Text(ClassicMessageResolver& resolver, const char16_t* source, MessageFileKind kind, DWORD id) {
    std::u16string text;
    if (!resolver.GetMessageText(source, kind, id, text)) return u"<error " + cmr::ToText(GetLastError()) + u">";
    return text;
  }

  ClassicMessageResolver resolver_{u"WORKSTATION1", u"Application"};
};

TEST_F(ClassicDescriptions, MessageTexts) {
  resolver_.SetLanguage(0x0409);
  struct Case {
    const char16_t* source;
    MessageFileKind kind;
    DWORD id;
    std::u16string expected;
  } cases[] = {
      {u"TestSource", MessageFileKind::Event, 0x100, u"User %1 logged on: %%1."},
      {u"TestSource", MessageFileKind::Event, 0xC0000100, u"User %1 logged on: %%1."},      // severity bits dropped
      {u"TestSource", MessageFileKind::Parameter, 0xC0000100, u"User %1 logged on: %%1."},  // cached by id alone
      {u"TestSource", MessageFileKind::Parameter, 0x80000002, u"<error 2>"},  // only event messages drop bits
      {u"TestSource", MessageFileKind::Event, 0x101, u"<error 2>"},           // the English table lacks it: no retry
      {u"TestSource", MessageFileKind::Parameter, 2, u"running"},
      {u"TestSource", MessageFileKind::Event, 0x999, u"<error 2>"},
      {u"ByGuid", MessageFileKind::Event, 1000, u"Service %1 is %%2 (%%9)."},
      {u"ByGuid", MessageFileKind::Parameter, 2, u"<error 2>"},  // the publisher has no ParameterFileName
      {u"Bare", MessageFileKind::Event, 1000, u"<error 2>"},
      {u"Damaged", MessageFileKind::Event, 1000, u"<error 2>"},
      {u"Unknown", MessageFileKind::Event, 1000, u"<error 2>"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(Text(resolver_, c.source, c.kind, c.id), c.expected)
        << cmr::Utf16ToUtf8(c.source) << " " << std::hex << c.id;
  }
}

// A miss is never looked up again; a source without usable message files
// is traced once.
TEST_F(ClassicDescriptions, MissesAreNeverLookedUpAgainAndTracedOnce) {
  testsupport::TraceFile trace(fs::path(dir_.path()) / "trace.log");
  EXPECT_EQ(Text(resolver_, u"TestSource", MessageFileKind::Event, 0x999), u"<error 2>");
  EXPECT_EQ(Text(resolver_, u"Bare", MessageFileKind::Event, 1), u"<error 2>");
  EXPECT_EQ(Text(resolver_, u"Damaged", MessageFileKind::Event, 1), u"<error 2>");
  unsigned formats = host::CallCount("FormatMessageW");
  unsigned loads = host::CallCount("LoadLibraryExW");
  EXPECT_GT(formats, 0u);
  EXPECT_EQ(Text(resolver_, u"TestSource", MessageFileKind::Event, 0x999), u"<error 2>");
  EXPECT_EQ(Text(resolver_, u"Bare", MessageFileKind::Event, 2), u"<error 2>");
  EXPECT_EQ(Text(resolver_, u"Bare", MessageFileKind::Event, 2), u"<error 2>");
  EXPECT_EQ(host::CallCount("FormatMessageW"), formats);
  EXPECT_EQ(host::CallCount("LoadLibraryExW"), loads);

  const std::string text = trace.Text();
  EXPECT_EQ(Occurrences(text, "Failed to get resource handle for 'Bare': "), 1u) << text;
  EXPECT_NE(text.find("Getting resource path from registry"), std::string::npos) << text;
  EXPECT_EQ(Occurrences(text, "Failed to load resource library '%SystemRoot%\\System32\\notpe.dll'"), 1u);
  EXPECT_EQ(Occurrences(text, "cut.dll"), 0u) << "a cut-off image loads; its lookups fail without a word";
}

TEST_F(ClassicDescriptions, LanguageErrorsRetryWithLanguageZero) {
  resolver_.SetLanguage(0x040C);  // no French table: 1815, then the English one
  EXPECT_EQ(Text(resolver_, u"TestSource", MessageFileKind::Parameter, 2), u"running");
  EXPECT_EQ(host::CallCount("FormatMessageW"), 2u);
  host::ClearFaults();
  resolver_.SetLanguage(0x0409);
  host::InjectFault("FormatMessageW", 1, 15100);
  EXPECT_EQ(Text(resolver_, u"TestSource", MessageFileKind::Parameter, 1), u"X");
  EXPECT_EQ(host::CallCount("FormatMessageW"), 2u);
  host::InjectFault("FormatMessageW", 1, ERROR_ACCESS_DENIED);  // any other error is a miss
  EXPECT_EQ(Text(resolver_, u"TestSource", MessageFileKind::Parameter, 7), u"<error 2>");
}

TEST_F(ClassicDescriptions, ExpandParameters) {
  SetLastError(5);
  EXPECT_EQ(resolver_.ExpandParameters(u"TestSource", u"%%1 and %%10, %%2, %%3"), u"X and X0, running, %%3");
  EXPECT_EQ(GetLastError(), 0u);
  std::u16string grown = resolver_.ExpandParameters(u"TestSource", u"%%7");
  EXPECT_LE(grown.size(), cmr::kMaxExpandedLength) << "a message that refers to itself is bounded";
  EXPECT_EQ(resolver_.ExpandParameters(u"Bare", u"%%1"), u"%%1");
}

TEST_F(ClassicDescriptions, ModulesAreFreedWithTheResolver) {
  size_t before = host::LoadedModuleCount();
  {
    ClassicMessageResolver resolver(u"WORKSTATION1", u"Application");
    Text(resolver, u"TestSource", MessageFileKind::Event, 0x100);
    Text(resolver, u"TestSource", MessageFileKind::Parameter, 1);
    EXPECT_EQ(host::LoadedModuleCount(), before + 2);
  }
  EXPECT_EQ(host::LoadedModuleCount(), before);
}

TEST_F(ClassicDescriptions, CollectionWritesTheDescriptionFile) {
  auto add = [&](const char16_t* source, uint32_t id, std::vector<std::u16string> strings) {
    formats::EvtRecordFields f = Fields(id, 1300000000 + (id & 0xFFFF));
    f.source = source;
    f.strings = std::move(strings);
    ASSERT_NE(host::AppendClassicRecord(Local(), u"Application", f), 0u);
  };
  add(u"TestSource", 0xC0000100, {u"alice", u"%%2 then %%1"});
  add(u"TestSource", 1000, {u"svc"});
  add(u"Bare", 7, {u"%%1"});
  add(u"TestSource", 0xC0000100, {u"bob"});
  auto events = CollectWithDescriptions(u"Application", 0);
  ASSERT_EQ(events.size(), 4u);
  EXPECT_EQ(FieldOf(events[0], u"IS04"), u"running then X") << "string 2 expanded, numbered after the real ones";
  EXPECT_EQ(FieldOf(events[2], u"IS02"), u"%%1") << "no parameter file: the reference stays";
  EXPECT_EQ(Descriptions(EventFilePath()),
            (std::vector<std::u16string>{u"Bare|7|", u"TestSource|1000|Service %1 is running (%%9).",
                                         u"TestSource|256|User %1 logged on: X."}));
}

}  // namespace
}  // namespace collecttest
