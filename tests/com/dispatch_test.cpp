#include <gtest/gtest.h>

#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "base/com/object.h"
#include "base/com/type_library.h"
#include "com/EventCollector_h.h"
#include "task/com/task_config_impl.h"
#include "tests/com/counting_dispatch.h"

namespace {

// The task configuration, with a SetFilter that fails through an error object.
class FailingFilterConfig : public cmr::CTaskConfigImpl {
 public:
  HRESULT STDMETHODCALLTYPE SetFilter(BSTR) override {
    comtest::SetThreadError(u"Invalid task config.", u"EC");
    return E_FAIL;
  }
};

class FakeTask : public com::Object<ITask> {
 public:
  HRESULT STDMETHODCALLTYPE Run(BSTR, BSTR, BSTR, BSTR, VARIANT_BOOL, VARIANT_BOOL, ULONG) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetEventLogStatistics(BSTR, LONG* oldestDate, LONG* oldestId, LONG* newestDate,
                                                  LONG* newestId, VARIANT_BOOL* full) override {
    *oldestDate = 100, *oldestId = 1, *newestDate = 200, *newestId = 9, *full = VARIANT_TRUE;
    return S_OK;
  }
};

DISPID IdOf(IDispatch* d, const char16_t* name) {
  LPOLESTR names[] = {const_cast<LPOLESTR>(name)};
  DISPID id = 12345;
  EXPECT_EQ(d->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK);
  return id;
}

// Invoke with the arguments as given (last argument first); `named` marks the
// first as the value of a property put.
HRESULT Call(IDispatch* d, DISPID id, WORD flags, VARIANT* args = nullptr, UINT count = 0, bool named = false,
             VARIANT* result = nullptr, EXCEPINFO* info = nullptr, UINT* argErr = nullptr) {
  DISPID put = DISPID_PROPERTYPUT;
  DISPPARAMS params = {args, named ? &put : nullptr, count, named ? 1u : 0u};
  return d->Invoke(id, IID_NULL, 0, flags, &params, result, info, argErr);
}

using comtest::Bstr;
using comtest::I4;

TEST(Dispatch, NamesResolveIgnoringCase) {
  auto config = com::MakeObject<FailingFilterConfig>();
  EXPECT_EQ(IdOf(config.Get(), u"setlastposition"), 4);
  EXPECT_EQ(IdOf(config.Get(), u"SetLoadFromEvtFile"), 8);
  LPOLESTR names[] = {const_cast<LPOLESTR>(u"SetLastPosition"), const_cast<LPOLESTR>(u"DWLASTTW"),
                      const_cast<LPOLESTR>(u"nope")};
  DISPID ids[3];
  EXPECT_EQ(config->GetIDsOfNames(IID_NULL, names, 3, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(std::vector<DISPID>(ids, ids + 3), (std::vector<DISPID>{4, 1, DISPID_UNKNOWN}));  // 1: a parameter's
  EXPECT_EQ(config->GetIDsOfNames(IID_NULL, &names[2], 1, 0, ids), DISP_E_UNKNOWNNAME);
  EXPECT_EQ(ids[0], DISPID_UNKNOWN);
}

TEST(Dispatch, MethodArgumentsArriveReversedConvertedAndChecked) {
  auto config = com::MakeObject<FailingFilterConfig>();
  DISPID id = IdOf(config.Get(), u"SetLastPosition");
  VARIANT args[2] = {Bstr(u"77"), I4(5)};  // last argument first: dwLastTW = "77", dwLastRN = 5
  ASSERT_EQ(Call(config.Get(), id, DISPATCH_METHOD, args, 2), S_OK);
  EXPECT_EQ(config->Config().LastRecordNumber, 5u);
  EXPECT_EQ(config->Config().LastTimeWritten, 77u);
  VariantClear(&args[0]);
  EXPECT_EQ(Call(config.Get(), id, DISPATCH_METHOD, &args[1], 1), DISP_E_BADPARAMCOUNT);
  args[0] = Bstr(u"seven");
  UINT argErr = 99;
  EXPECT_EQ(Call(config.Get(), id, DISPATCH_METHOD, args, 2, false, nullptr, nullptr, &argErr), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 0u);
  args[1] = I4(-1);
  EXPECT_EQ(Call(config.Get(), id, DISPATCH_METHOD, args, 2, false, nullptr, nullptr, &argErr), DISP_E_OVERFLOW);
  EXPECT_EQ(argErr, 1u);
  VariantClear(&args[0]);
  EXPECT_EQ(Call(config.Get(), 4242, DISPATCH_METHOD, args, 2), DISP_E_MEMBERNOTFOUND);
  DISPPARAMS params = {args, nullptr, 2, 0};
  EXPECT_EQ(config->Invoke(id, IID_IDispatch, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
            DISP_E_UNKNOWNINTERFACE);
}

// A retval becomes the result; a property put takes the named value, and
// a put-only property cannot be read; a method takes no named arguments.
TEST(Dispatch, RetvalBecomesTheResultAndPropertyPutTakesTheNamedValue) {
  auto config = com::MakeObject<FailingFilterConfig>();
  VARIANT result = comtest::Of(VT_EMPTY), value = Bstr(u"False");
  ASSERT_EQ(Call(config.Get(), 1, DISPATCH_METHOD | DISPATCH_PROPERTYGET, nullptr, 0, false, &result), S_OK);
  EXPECT_EQ(result.vt, VT_BSTR);
  EXPECT_EQ(std::u16string(result.bstrVal), config->Config().SaveToString());
  VariantClear(&result);
  DISPID id = IdOf(config.Get(), u"SeekLastFirstRun");
  ASSERT_EQ(Call(config.Get(), id, DISPATCH_PROPERTYPUT, &value, 1, true), S_OK);
  EXPECT_FALSE(config->Config().SeekLastFirstRun);
  EXPECT_EQ(Call(config.Get(), id, DISPATCH_PROPERTYGET), DISP_E_MEMBERNOTFOUND);
  EXPECT_EQ(Call(config.Get(), IdOf(config.Get(), u"SetSavePath"), DISPATCH_METHOD, &value, 1, true),
            DISP_E_NONAMEDARGS);
  VariantClear(&value);
}

TEST(Dispatch, FailureBecomesAnExceptionFromTheErrorObject) {
  auto config = com::MakeObject<FailingFilterConfig>();
  VARIANT arg = Bstr(u"<bad");
  EXCEPINFO info;
  ASSERT_EQ(Call(config.Get(), IdOf(config.Get(), u"SetFilter"), DISPATCH_METHOD, &arg, 1, false, nullptr, &info),
            DISP_E_EXCEPTION);
  EXPECT_EQ(info.scode, E_FAIL);
  EXPECT_EQ(std::u16string(info.bstrDescription), u"Invalid task config.");
  EXPECT_EQ(std::u16string(info.bstrSource), u"EC");
  for (BSTR s : {info.bstrDescription, info.bstrSource, info.bstrHelpFile}) SysFreeString(s);
  IErrorInfo* left = nullptr;
  EXPECT_EQ(GetErrorInfo(0, &left), S_FALSE);  // taken into EXCEPINFO
  VariantClear(&arg);
}

TEST(Dispatch, OutParametersReachTheCallersReferences) {
  auto task = com::MakeObject<FakeTask>();
  LONG oldestDate = 0, oldestId = 0, newestId = 0;
  VARIANT newestDate = comtest::Of(VT_EMPTY);  // a script variable passed by reference
  VARIANT_BOOL full = 0;
  VARIANT args[6] = {comtest::Of(VT_BYREF | VT_BOOL), comtest::Of(VT_BYREF | VT_I4), comtest::Of(VT_BYREF | VT_VARIANT),
                     comtest::Of(VT_BYREF | VT_I4),   comtest::Of(VT_BYREF | VT_I4), Bstr(u"DC1")};
  args[0].pboolVal = &full, args[1].plVal = &newestId, args[2].pvarVal = &newestDate;
  args[3].plVal = &oldestId, args[4].plVal = &oldestDate;
  ASSERT_EQ(Call(task.Get(), 2, DISPATCH_METHOD, args, 6), S_OK);
  EXPECT_EQ(std::make_tuple(oldestDate, oldestId, newestId, full), std::make_tuple(100, 1, 9, VARIANT_TRUE));
  EXPECT_EQ(newestDate.vt, VT_I4);
  EXPECT_EQ(newestDate.lVal, 200);
  args[4] = I4(0);  // an out parameter needs a reference
  UINT argErr = 0;
  EXPECT_EQ(Call(task.Get(), 2, DISPATCH_METHOD, args, 6, false, nullptr, nullptr, &argErr), DISP_E_TYPEMISMATCH);
  EXPECT_EQ(argErr, 4u);
  VariantClear(&args[5]);
}

// The interface tables and the class table the type library is described by.
TEST(TypeLibrary, DescriptionFollowsTheInterfaceAndClassTables) {
  unsigned count = 0;
  const com::dispatch::Interface* const* all = com::dispatch::AllInterfaces(&count);
  std::set<std::u16string> names;
  for (unsigned i = 0; i < count; ++i) {
    names.insert(all[i]->name);
    for (unsigned m = 0; m < all[i]->memberCount; ++m)
      EXPECT_EQ(all[i]->members[m].slot, 7 + m) << std::string(all[i]->name, all[i]->name + 3);
  }
  EXPECT_EQ(count, 13u);
  EXPECT_EQ(names.size(), 13u);
  const auto* filters = com::dispatch::FindInterface(IID_IECFilters);
  const auto* enumerator = com::dispatch::FindInterface(IID_IECFilterEnum);
  const auto* info = com::dispatch::FindInterface(IID_ILogInfo);
  ASSERT_TRUE(filters && enumerator && info);
  EXPECT_EQ(filters->memberCount, 19u);
  EXPECT_EQ(std::u16string(filters->members[17].name), u"ParseTimeToUTC");
  EXPECT_EQ(filters->members[17].dispid, 0x60020011);
  EXPECT_EQ(filters->members[18].dispid, 0x60020012);
  EXPECT_EQ(enumerator->members[0].dispid, DISPID_NEWENUM);
  EXPECT_EQ(enumerator->members[0].kind, com::dispatch::Kind::PropGet);
  EXPECT_EQ(info->members[3].params[0].vt, VT_UI8);
  EXPECT_EQ(std::u16string(info->members[3].helpString), u"property NumOfRecords");

  const auto& library = com::typelib::ComponentLibrary();
  EXPECT_EQ(std::u16string(library.name), u"EventCollectorLib");
  EXPECT_EQ(std::u16string(library.helpString), u"EventCollector 1.0 Type Library");
  EXPECT_EQ(library.lcid, 1033u);
  const std::vector<std::u16string> order = {u"EventLogEnum", u"EventLog",   u"FilterEnum",  u"Filter",
                                             u"FilterISEnum", u"FilterIS",   u"Filters",     u"LogInfo",
                                             u"Task",         u"TaskConfig", u"TaskResult2", u"TaskResult"};
  ASSERT_EQ(library.classCount, order.size());
  for (unsigned i = 0; i < library.classCount; ++i) {
    EXPECT_EQ(library.classes[i].name, order[i]);
    EXPECT_EQ(std::u16string(library.classes[i].helpString), order[i] + u" Class");
  }
  EXPECT_EQ(*library.classes[11].defaultInterface, IID_ITaskResult);
}

}  // namespace
