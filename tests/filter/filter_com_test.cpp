// The filter COM objects: a Filters object over a file, the Filter, EventLog
// and FilterIS objects it hands out, and the enumerators.
#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "base/com/class_factory.h"
#include "base/guid_text.h"
#include "base/text.h"
#include "filter/com/filter_enums.h"
#include "filter/com/filter_impl.h"
#include "filter/com/filter_items.h"
#include "filter/com/filters_impl.h"
#include "tests/support/com_values.h"
#include "tests/support/temp_dir.h"

using namespace cmr;

namespace {

using testsupport::Bstr;
using testsupport::Get;

// The items of a _NewEnum, queried for interface I.
template <class I, class E>
std::vector<com::Ptr<I>> Items(E* enumerator) {
  std::vector<com::Ptr<I>> items;
  com::Ptr<IUnknown> unknown;
  EXPECT_EQ(enumerator->get__NewEnum(unknown.Receive()), S_OK);
  com::Ptr<IEnumVARIANT> e;
  EXPECT_EQ(unknown.As(e), S_OK);
  VARIANT v;
  while (e->Next(1, &v, nullptr) == S_OK) {
    EXPECT_EQ(V_VT(&v), VT_DISPATCH);
    com::Ptr<I> item;
    EXPECT_EQ(V_DISPATCH(&v)->QueryInterface(__uuidof(I), reinterpret_cast<void**>(item.Receive())), S_OK);
    items.push_back(item);
    VariantClear(&v);
  }
  return items;
}

class FiltersObject : public ::testing::Test {
 protected:
  FiltersObject() : filters(com::MakeObject<CFiltersImpl>()) {}
  std::u16string Document() {
    Bstr text;
    EXPECT_EQ(filters->ToString(text.Out()), S_OK);
    return text.Text();
  }
  com::Ptr<IECFilter> Add(bool excluding = false, INT priority = 0) {
    com::Ptr<IECFilter> f;
    HRESULT hr = excluding ? filters->AddExcludingFilterEx(priority, f.Receive())
                           : filters->AddIncludingFilterEx(priority, f.Receive());
    EXPECT_EQ(hr, S_OK);
    return f;
  }
  testsupport::TempDir dir;
  com::Ptr<CFiltersImpl> filters;
};

TEST_F(FiltersObject, InitOnAMissingFileThenCommitCreatesItAndBadXmlFails) {
  Bstr path(dir.Wide("/new.xml"));
  ASSERT_EQ(filters->Init(path.b), S_OK);
  ASSERT_EQ(filters->Commit(), S_OK);
  ASSERT_EQ(filters->Init(path.b), S_OK) << "the file now exists and reads";
  EXPECT_NE(Document().find(u"<UseFilter>1</UseFilter>"), std::u16string::npos);
  // Bad XML fails with the parser's text and leaves the set empty.
  std::ofstream(dir.path() + "/bad.xml") << "<Filters><IncludingFilters><Filter><Name>x</Name></Filter>";
  Add();
  Bstr bad(dir.Wide("/bad.xml"));
  EXPECT_EQ(filters->Init(bad.b), E_FAIL);
  EXPECT_EQ(testsupport::TakeErrorDescription().find(u"Error"), 0u) << "the parser's own text";
  EXPECT_EQ(Document().find(u"<Filter>"), std::u16string::npos);
}

TEST_F(FiltersObject, AddedFiltersAppearInTheEnumerator) {
  com::Ptr<IECFilter> added = Add(false, 5);
  com::Ptr<IECFilterEnum> list;
  ASSERT_EQ(filters->get_IncludingFilters(list.Receive()), S_OK);
  Add(false, 6);  // after the snapshot
  auto items = Items<IECFilter>(list.Get());
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(Get(items[0].Get(), &IECFilter::get_DisplayName), u"<filter>");
  EXPECT_NO_THROW(cmr::TextToGuid(Get(items[0].Get(), &IECFilter::get_Guid)));
  EXPECT_NE(Document().find(u"<Priority>5</Priority>"), std::u16string::npos);
}

TEST_F(FiltersObject, ABadEventIdKeepsThePiecesBefore) {
  com::Ptr<IECFilter> f = Add();
  Bstr text(u"1,10-5");
  EXPECT_EQ(f->put_EventID(text.b), E_FAIL);
  EXPECT_EQ(testsupport::TakeErrorDescription(), u"Invalid EventID filter");
  EXPECT_EQ(Get(f.Get(), &IECFilter::get_EventID), u"1");
  ASSERT_EQ(f->put_EventSource(nullptr), S_OK) << "a null BSTR is the empty text";
  EXPECT_EQ(Get(f.Get(), &IECFilter::get_Flags), 0u) << "setters leave the flags alone";
  EXPECT_NE(Document().find(u"<Source />"), std::u16string::npos);
}

TEST_F(FiltersObject, InsertionStrings) {
  com::Ptr<IECFilter> f = Add();
  Bstr a(u"a*"), b(u"b*");
  EXPECT_EQ(f->SetString(0, a.b), E_INVALIDARG);
  ASSERT_EQ(f->SetString(3, a.b), S_OK);
  ASSERT_EQ(f->SetString(3, b.b), S_OK);
  com::Ptr<IECFilterISEnum> strings;
  ASSERT_EQ(f->get_Strings(strings.Receive()), S_OK);
  auto items = Items<IECFilterIS>(strings.Get());
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(Get(items[0].Get(), &IECFilterIS::get_Index), 3u);
  EXPECT_EQ(Get(items[0].Get(), &IECFilterIS::get_String), u"b*");
  EXPECT_EQ(f->put_Strings(strings.Get()), E_NOTIMPL);
}

TEST_F(FiltersObject, FindAndRemoveIgnoreCase) {
  com::Ptr<IECFilter> f = Add(true);
  Bstr guid(Get(f.Get(), &IECFilter::get_Guid));
  Bstr lower(cmr::ToLowerC(guid.Text()));
  com::Ptr<IECFilter> found;
  ASSERT_EQ(filters->FindFilter(lower.b, found.Receive()), S_OK);
  Bstr name(u"renamed");
  ASSERT_EQ(found->put_DisplayName(name.b), S_OK);
  EXPECT_EQ(Get(f.Get(), &IECFilter::get_DisplayName), u"renamed") << "both objects share the filter";

  ASSERT_EQ(filters->RemoveFilter(lower.b), S_OK);
  EXPECT_EQ(filters->FindFilter(guid.b, found.Receive()), E_FAIL);
  EXPECT_EQ(testsupport::TakeErrorDescription(), u"Filter not found");
  EXPECT_EQ(filters->RemoveFilter(guid.b), S_OK) << "nothing to remove is no error";
  Bstr kept(u"still usable");
  EXPECT_EQ(f->put_DisplayName(kept.b), S_OK);
  EXPECT_EQ(Document().find(u"still usable"), std::u16string::npos) << "no longer committed";
}

TEST_F(FiltersObject, EventLogs) {
  com::Ptr<IECEventLog> log;
  ASSERT_EQ(filters->AddLog(log.Receive()), S_OK);
  Bstr name(u"Security");
  ASSERT_EQ(log->put_Name(name.b), S_OK);
  com::Ptr<IECEventLogEnum> logs;
  ASSERT_EQ(filters->get_EventLogs(logs.Receive()), S_OK);
  EXPECT_EQ(filters->put_EventLogs(logs.Get()), E_NOTIMPL);
  auto items = Items<IECEventLog>(logs.Get());
  ASSERT_EQ(items.size(), 1u);
  EXPECT_EQ(Get(items[0].Get(), &IECEventLog::get_Name), u"Security");
  ASSERT_EQ(filters->put_EventLogs(nullptr), S_OK);
  EXPECT_EQ(Document().find(u"Security"), std::u16string::npos);
}

TEST_F(FiltersObject, UseFilterAndTimeTexts) {
  ASSERT_EQ(filters->put_UseFilter(2), S_OK);
  EXPECT_EQ(Get(filters.Get(), &CFiltersImpl::get_UseFilter), VARIANT_TRUE);

  Bstr time(u"31.12.2020 23:59:59"), bad(u"yesterday");
  ULONG seconds = 7;
  EXPECT_EQ(filters->ParseTimeToUTC(bad.b, &seconds), S_FALSE);
  EXPECT_EQ(seconds, 7u);
  EXPECT_EQ(filters->ParseTimeToUTC(nullptr, &seconds), S_FALSE);
  ASSERT_EQ(filters->ParseTimeToUTC(time.b, &seconds), S_OK);
  EXPECT_EQ(seconds, 1609459199u);
  Bstr text;
  ASSERT_EQ(filters->UTCtoTimeString(seconds, text.Out()), S_OK);
  EXPECT_EQ(text.Text(), u"31.12.2020 23:59:59");
}

// An object of class T made by its class factory, as interface I.
template <class T, class I>
com::Ptr<I> FromFactory() {
  com::Ptr<IClassFactory> factory(new com::ClassFactory<T>());
  com::Ptr<I> object;
  EXPECT_EQ(factory->CreateInstance(nullptr, __uuidof(I), reinterpret_cast<void**>(object.Receive())), S_OK);
  return object;
}

TEST(FilterObjects, ObjectsFromAClassFactoryHaveNothingToWorkOn) {
  auto filter = FromFactory<CFilterImpl, IECFilter>();
  Bstr text;
  EXPECT_EQ(filter->get_Guid(text.Out()), E_UNEXPECTED);
  EXPECT_EQ(filter->SetString(0, nullptr), E_UNEXPECTED);
  com::Ptr<IUnknown> unknown;
  auto logs = FromFactory<CEventLogEnumImpl, IECEventLogEnum>();
  EXPECT_EQ(logs->get__NewEnum(unknown.Receive()), E_UNEXPECTED);

  com::Ptr<ISupportErrorInfo> support;
  ASSERT_EQ(filter.As(support), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(__uuidof(IECFilter)), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(__uuidof(IECFilters)), S_FALSE);
}

}  // namespace
