// The filter document: reading, derived flags, writing and the file forms.
#include <gtest/gtest.h>

#include <fstream>
#include <stdexcept>

#include "base/text.h"
#include "base/xml.h"
#include "filter/event_filter.h"
#include "filter_test_records.h"
#include "tests/support/file_text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/thrown_text.h"

using namespace cmr;

using namespace filtertest;

namespace {

std::string Filters(const std::string& including) {
  return "<Filters><IncludingFilters>" + including + "</IncludingFilters></Filters>";
}

CEventFilter::FilterPtr LoadOne(const std::string& filterBody) {
  static CEventFilter set;
  set.LoadFromString(Filters("<Filter>" + filterBody + "</Filter>").c_str());
  EXPECT_EQ(set.IncludingFilters.size(), 1u);
  return set.IncludingFilters.empty() ? nullptr : set.IncludingFilters[0];
}

// Every field of a filter, as it is written.
std::u16string FilterText(const CEventFilter::CFilter& f) {
  TiXmlDocument document;
  f.Save(&document);
  return cmr::PrintXml(document);
}

TEST(FilterXml, ReadingAndDerivedFlags) {
  CEventFilter set;
  set.LoadFromString("<Filters><UseFilter>0</UseFilter></Filters>");
  EXPECT_FALSE(set.UseFilter);
  set.LoadFromString("<Filters/>");
  EXPECT_TRUE(set.UseFilter);

  auto f = LoadOne("<EventID>4624</EventID><Source>Microsoft*</Source>");
  EXPECT_EQ(f->FilterFlags, 0x24u);
  CEventFilter::CFilter expected;
  expected.FilterFlags = 0x24;
  expected.EventIDs = {{4624, 4624}};
  expected.Source = u"Microsoft*";
  EXPECT_EQ(FilterText(*f), FilterText(expected)) << "every other field at its reset value";

  f = LoadOne("<Flags>4</Flags><Source>x</Source>");
  EXPECT_EQ(f->FilterFlags, 4u) << "a given Flags value is kept";

  f = LoadOne(
      "<TimeWritten From='1.1.2020 0:0:0' To='32.1.2020 0:0:0'/><InsertionString number='0'>zero</InsertionString>"
      "<InsertionString number='2'>first</InsertionString><InsertionString number='2'>second</InsertionString>"
      "<Name> a  b </Name><Unknown>x</Unknown>");
  EXPECT_EQ(f->FilterFlags, 0x101u);
  EXPECT_EQ(f->TimeFrom, 1577836800u);
  EXPECT_EQ(f->InsertionStrings, (std::map<uint32_t, std::u16string>{{2, u"second"}}));
  EXPECT_EQ(f->Name, u" a  b ") << "blanks kept";
}

TEST(FilterXml, EntriesWithoutElementContent) {
  CEventFilter set;
  set.LoadFromString(
      "<Filters><EventLogs><EventLog><Name>Security</Name><Name>System</Name></EventLog><EventLog>text</EventLog>"
      "</EventLogs><IncludingFilters><Filter>text</Filter><Filter/><Filter><Priority>-3</Priority></Filter>"
      "</IncludingFilters></Filters>");
  ASSERT_EQ(set.EventLogs.size(), 2u);
  EXPECT_EQ(set.EventLogs[0]->Name, u"System");
  EXPECT_EQ(set.EventLogs[1]->Name, u"");
  ASSERT_EQ(set.IncludingFilters.size(), 1u);
  EXPECT_EQ(set.IncludingFilters[0]->Priority, -3);
}

TEST(FilterXml, ErrorsCarryTheirTexts) {
  CEventFilter set;
  EXPECT_THROW(set.LoadFromString("<Filters><IncludingFilters>"), std::runtime_error);
  // Ends inside a UTF-8 sequence, with a document after the NUL that ends
  // the text: refused (the parser steps over whole sequences).
  const std::string cut = std::string("<?xml version=\"1.0\" ?><Filters><IncludingFilters><Filter><Name>a\xCE") + '\0' +
                          "</Name></Filter></IncludingFilters></Filters>";
  EXPECT_THROW(set.LoadFromString(cut.c_str()), std::runtime_error);
  EXPECT_EQ(
      testsupport::ThrownText([&] {
        set.LoadFromString(Filters("<Filter><Name>a</Name></Filter><Filter><EventID>10-5</EventID></Filter>").c_str());
      }),
      "Invalid EventID filter");
  EXPECT_EQ(set.IncludingFilters.size(), 1u) << "what was read before the fault stays";
}

TEST(FilterXml, TheWrittenDocument) {
  CEventFilter set;
  set.AddLog()->Name = u"Security";
  auto f = set.AddExcludingFilter(7);
  f->GUID = u"{G}";
  f->FilterFlags = kFilterTimeTo | kFilterEventIDs;
  f->TimeTo = 1580526245;
  f->EventIDs = {{4624, 4624}, {4700, 4705}};
  f->InsertionStrings = {{3, u"a<b"}};
  f->Keywords = 0xFFFFFFFFFFFFFFFFull;
  f->Description = u"\u00e9";
  EXPECT_EQ(set.ToString(),
            u"<?xml version=\"1.0\" ?>\n"
            u"<Filters>\n"
            u"    <UseFilter>1</UseFilter>\n"
            u"    <EventLogs>\n"
            u"        <EventLog>\n"
            u"            <Name>Security</Name>\n"
            u"        </EventLog>\n"
            u"    </EventLogs>\n"
            u"    <IncludingFilters />\n"
            u"    <ExcludingFilters>\n"
            u"        <Filter>\n"
            u"            <GUID>{G}</GUID>\n"
            u"            <Name>&lt;filter&gt;</Name>\n"
            u"            <Description>\u00e9</Description>\n"
            u"            <EventLog>*</EventLog>\n"
            u"            <Flags>518</Flags>\n"
            u"            <TimeWritten To=\"1.2.2020 3:4:5\" />\n"
            u"            <EventID>4624,4700-4705</EventID>\n"
            u"            <EventType>0</EventType>\n"
            u"            <EventCategory>0</EventCategory>\n"
            u"            <Source>*</Source>\n"
            u"            <User>*\\*</User>\n"
            u"            <Computer>*</Computer>\n"
            u"            <InsertionString number=\"3\">a&lt;b</InsertionString>\n"
            u"            <Level />\n"
            u"            <Keywords>-1</Keywords>\n"
            u"            <Priority>7</Priority>\n"
            u"        </Filter>\n"
            u"    </ExcludingFilters>\n"
            u"</Filters>\n");
}

class FilterFile : public ::testing::Test {
 protected:
  testsupport::TempDir dir;
  std::u16string path = dir.Wide("/filters.xml");
};

TEST_F(FilterFile, SaveAndLoadRoundTrip) {
  CEventFilter set;
  set.UseFilter = false;
  set.AddLog()->Name = u"System";
  auto f = set.AddIncludingFilter(2);
  f->FilterFlags = kFilterEventIDs | kFilterSource;
  ParseIdRanges(u"4624", f->EventIDs);
  f->Source = u"Microsoft*";
  set.SaveToFile(path);
  EXPECT_EQ(testsupport::ReadFileText(dir.path() + "/filters.xml").rfind("<?xml", 0), 0u) << "no byte-order mark";

  CEventFilter loaded;
  loaded.LoadFromFile(path);
  loaded.LoadFromFile(path);
  ASSERT_EQ(loaded.IncludingFilters.size(), 1u) << "loading twice gives the same set";
  EXPECT_EQ(loaded.EventLogs.size(), 1u);
  EXPECT_FALSE(loaded.UseFilter);
  EXPECT_EQ(loaded.IncludingFilters[0]->FilterFlags, 0x224u);
  EXPECT_EQ(FilterText(*loaded.IncludingFilters[0]), FilterText(*f));
  EXPECT_THROW(loaded.LoadFromFile(dir.Wide("/none.xml")), std::runtime_error);
  // Cut inside a UTF-8 sequence, a document after the NUL that ends the text.
  std::ofstream(dir.path() + "/filters.xml", std::ios::binary | std::ios::trunc)
      << "<Filters><IncludingFilters><Filter><Name>a\xCE" << '\0' << "</Name></Filter></IncludingFilters></Filters>";
  EXPECT_THROW(loaded.LoadFromFile(path), std::runtime_error);
}

}  // namespace
