// The configuration, result, log info and computer info objects through
// their interfaces.
#include <gtest/gtest.h>

#include "base/com/ptr.h"
#include "base/text.h"
#ifndef _WIN32
#include "platform/host/faults/faults.h"
#endif
#include "task/com/log_info.h"
#include "task/com/task_computer_info.h"
#include "task/com/task_config_impl.h"
#include "task/com/task_result_impl.h"
#include "tests/support/com_values.h"

using namespace cmr;

using testsupport::Bstr;
using testsupport::Get;
using testsupport::TakeErrorDescription;

namespace {

template <class T, class I>
com::Ptr<I> Make() {
  com::Ptr<I> p;
  EXPECT_EQ(com::CreateObject<T>(p.Receive()), S_OK);
  return p;
}

cmr::CTaskEventLog Committed(ITaskConfig* config) {
  Bstr xml;
  EXPECT_EQ(config->Commit(xml.Out()), S_OK);
  cmr::CTaskEventLog loaded;
  loaded.LoadFromString(xml.Text());
  return loaded;
}

TEST(TaskConfigObject, SettersReachTheDocument) {
  auto config = Make<CTaskConfigImpl, ITaskConfig>();
  EXPECT_EQ(config->Commit(nullptr), E_INVALIDARG);
  Bstr save(u"C:\\Out"), log(u"Security"), evt(u" \t D:\\logs\\sec.evt \r\n\v"), filter(u"<Filters/>"), compact(u"Sec");
  for (HRESULT hr : {config->SetSavePath(save.b), config->SetEventLog(log.b), config->SetLoadFromEvtFile(evt.b),
                     config->SetLastPosition(0x80000001u, 1577836800u), config->SetFilter(filter.b),
                     config->AddPolicyAuditEventType(3), config->AddPolicyAuditEventTypeEx(1, 2),
                     config->put_SeekLastFirstRun(VARIANT_FALSE), config->UseCompactLogName(compact.b),
                     config->CollectEventResources(VARIANT_TRUE), config->ResolveComputerName(1),
                     config->put_ResolveSIDs(VARIANT_TRUE), config->put_ResolveMACs(VARIANT_TRUE)})
    EXPECT_EQ(hr, S_OK);
  cmr::CTaskEventLog c = Committed(config.Get());
  EXPECT_EQ(c.SavePath + u"|" + c.LogName + u"|" + c.LoadFromEvtFile + u"|" + c.Filter + u"|" + c.CompactLogName,
            u"C:\\Out|Security|D:\\logs\\sec.evt|<Filters/>|Sec");
  EXPECT_EQ(c.LastRecordNumber, 0x80000001u);
  EXPECT_EQ(c.LastTimeWritten, 1577836800u);
  EXPECT_EQ(c.PolicyAuditEventTypes, (std::vector<std::pair<int32_t, int32_t>>{{3, 1}, {1, 2}}));
  EXPECT_FALSE(c.SeekLastFirstRun);
  EXPECT_TRUE(c.CollectEventResources && c.ResolveComputerName && c.ResolveSIDs && c.ResolveMACs);
  EXPECT_EQ(config->SetLoadFromEvtFile(nullptr), S_OK);
  EXPECT_EQ(Committed(config.Get()).LoadFromEvtFile, u"");
}

TEST(TaskConfigObject, PreferredApiChoices) {
  auto config = Make<CTaskConfigImpl, ITaskConfig>();
  const std::pair<int, int> expected[4] = {{1, 2}, {2, 1}, {1, 0}, {2, 0}};
  for (LONG choice = 0; choice < 4; ++choice) {
    ASSERT_EQ(config->put_PreferredAPI(choice), S_OK);
    cmr::CTaskEventLog c = Committed(config.Get());
    EXPECT_EQ(std::make_pair(c.PreferredAPI, c.FallbackAPI), expected[choice]) << choice;
  }
  EXPECT_EQ(config->put_PreferredAPI(4), E_INVALIDARG);
  EXPECT_EQ(config->put_PreferredAPI(-1), E_INVALIDARG);
  cmr::CTaskEventLog c = Committed(config.Get());  // the last valid choice stays
  EXPECT_EQ(std::make_pair(c.PreferredAPI, c.FallbackAPI), expected[3]);
}

// A result document as ITask::Run leaves it.
std::u16string ResultDocument(bool withComputerInfo) {
  cmr::CTaskEventLog c;
  c.LogName = u"Security";
  c.ErrorStatus = static_cast<int32_t>(E_FAIL);
  c.ErrorText = u"failed";
  c.Warning = u"careful";
  c.LastEventFound = true;
  c.EventFileName = u"Security_1_2.adevt";
  c.AddLogInfo({u"Application", u"Application log", 1, 2, 0, 1, 0x100000000ull});
  c.AddLogInfo({u"Disabled", u"", 0, 0, 0, 0, 0});
  if (withComputerInfo)
    c.SetComputerInfo(std::make_unique<cmr::ComputerInfoRecord>(
        cmr::ComputerInfoRecord{10, 0, 0x9003, u"srv1.corp.example.com", u"corp.example.com"}));
  return c.SaveToString();
}

TEST(TaskResultObject, ReadsTheResultsOfADocument) {
  auto result = Make<CTaskResultImpl, ITaskResult>();
  Bstr doc(ResultDocument(true));
  ASSERT_EQ(result->Init(doc.b), S_OK);
  ITaskResult* r = result.Get();
  EXPECT_EQ(Get(r, &ITaskResult::get_ErrorCode), static_cast<LONG>(E_FAIL));
  EXPECT_EQ(Get(r, &ITaskResult::get_ErrorText) + u"|" + Get(r, &ITaskResult::get_Warning) + u"|" +
                Get(r, &ITaskResult::get_EventFileName) + u"|" + Get(r, &ITaskResult::get_EventLog),
            u"failed|careful|Security_1_2.adevt|Security");
  EXPECT_EQ(Get(r, &ITaskResult::get_LastEventFound), VARIANT_TRUE);
  com::Ptr<ITaskComputerInfo> info;
  ASSERT_EQ(result->get_ComputerInfo(info.Receive()), S_OK);
  ITaskComputerInfo* i = info.Get();
  EXPECT_EQ(Get(i, &ITaskComputerInfo::get_VersionMajor), 10u);
  EXPECT_EQ(Get(i, &ITaskComputerInfo::get_Type), 0x9003u);
  EXPECT_EQ(Get(i, &ITaskComputerInfo::get_FullName) + u"|" + Get(i, &ITaskComputerInfo::get_Domain),
            u"srv1.corp.example.com|corp.example.com");
  // The class lists ITaskComputerInfo in its coclass only; the object itself does not answer it.
  com::Ptr<ITaskComputerInfo> direct;
  EXPECT_EQ(result.As(direct), E_NOINTERFACE);

  // A document read again replaces the first whole: no computer info now,
  // so S_FALSE, the out pointer left.
  Bstr without(ResultDocument(false));
  ASSERT_EQ(result->Init(without.b), S_OK);
  auto* marker = reinterpret_cast<ITaskComputerInfo*>(0x1234);
  ITaskComputerInfo* none = marker;
  EXPECT_EQ(result->get_ComputerInfo(&none), S_FALSE);
  EXPECT_EQ(none, marker);
}

// Without a document, or after a malformed one, the getters give the
// defaults; a malformed document fails with its text.
TEST(TaskResultObject, DefaultsAndMalformedDocuments) {
  auto result = Make<CTaskResultImpl, ITaskResult>();
  ITaskResult* r = result.Get();
  EXPECT_EQ(Get(r, &ITaskResult::get_ErrorCode), -1);
  EXPECT_EQ(Get(r, &ITaskResult::get_ErrorText) + Get(r, &ITaskResult::get_EventLog), u"");
  EXPECT_EQ(Get(r, &ITaskResult::get_LastEventFound), VARIANT_FALSE);
  EXPECT_EQ(result->get_ErrorCode(nullptr), E_POINTER);
  Bstr empty(u"<Task/>"), bad(u"<Task><GUID>nonsense</GUID></Task>"), noText(u"<Task><ErrorStatus/></Task>");
  EXPECT_EQ(result->Init(empty.b), E_FAIL);
  EXPECT_EQ(TakeErrorDescription(), u"Invalid task config.");
  EXPECT_EQ(result->Init(bad.b), E_FAIL);
  EXPECT_EQ(TakeErrorDescription(), u"Failed to parse GUID");
  com::Ptr<ISupportErrorInfo> support;
  ASSERT_EQ(result.As(support), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(__uuidof(ITaskResult)), S_OK);
  EXPECT_EQ(Get(r, &ITaskResult::get_ErrorCode), -1);
  ASSERT_EQ(result->Init(noText.b), S_OK);
  EXPECT_EQ(Get(r, &ITaskResult::get_ErrorCode), 0);
}

// The elements of a LogInfoList VARIANT as ILogInfo.
std::vector<com::Ptr<ILogInfo>> Elements(VARIANT& list) {
  std::vector<com::Ptr<ILogInfo>> out;
  EXPECT_EQ(V_VT(&list), VT_ARRAY | VT_DISPATCH);
  SAFEARRAY* array = list.parray;
  EXPECT_EQ(SafeArrayGetDim(array), 1u);
  LONG lower = -1, upper = -2;
  SafeArrayGetLBound(array, 1, &lower);
  SafeArrayGetUBound(array, 1, &upper);
  EXPECT_EQ(lower, 0);
  for (LONG i = lower; i <= upper; ++i) {
    IDispatch* d = nullptr;
    EXPECT_EQ(SafeArrayGetElement(array, &i, &d), S_OK);
    com::Ptr<ILogInfo> info;
    EXPECT_EQ(com::Ptr<IDispatch>::Attach(d).As(info), S_OK);
    out.push_back(info);
  }
  return out;
}

TEST(TaskResult2Object, LogInfoListHoldsOneObjectPerEntry) {
  auto result = Make<CTaskResult2Impl, ITaskResult2>();
  VARIANT list;
  ASSERT_EQ(result->get_LogInfoList(&list), S_OK);  // before Init: an empty dispatch array
  EXPECT_TRUE(Elements(list).empty());
  LONG count = -1;
  SafeArrayGetUBound(list.parray, 1, &count);
  EXPECT_EQ(count, -1);
  VariantClear(&list);
  EXPECT_EQ(result->get_LogInfoList(nullptr), E_POINTER);

  Bstr doc(ResultDocument(false));
  ASSERT_EQ(result->Init(doc.b), S_OK);
  ASSERT_EQ(result->get_LogInfoList(&list), S_OK);
  auto items = Elements(list);
  ASSERT_EQ(items.size(), 2u);
  ILogInfo* first = items[0].Get();
  EXPECT_EQ(Get(first, &ILogInfo::get_Name) + u"|" + Get(first, &ILogInfo::get_DisplayName),
            u"Application|Application log");
  EXPECT_EQ(Get(first, &ILogInfo::get_API), 1);
  EXPECT_EQ(Get(first, &ILogInfo::get_APIUsed), 2);
  EXPECT_EQ(Get(first, &ILogInfo::get_Enabled), 1);  // the flag as stored, not VARIANT_TRUE
  EXPECT_EQ(Get(first, &ILogInfo::get_NumOfRecords), 0x100000000ull);
  EXPECT_EQ(Get(items[1].Get(), &ILogInfo::get_Enabled), 0);
  VariantClear(&list);
}

#ifndef _WIN32
// Fault injection is the simulated host's. Without memory a commit is out
// of memory and a text is a null string.
TEST(TaskObjects, WithoutMemory) {
  auto config = Make<CTaskConfigImpl, ITaskConfig>();
  Bstr xml;
  host::InjectFault("SysAllocStringLen", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(config->Commit(xml.Out()), E_OUTOFMEMORY);
  cmr::LogInfoEntry entry;
  entry.Name = u"Application";
  com::Ptr<ILogInfo> info;
  ASSERT_EQ(com::CreateObject<CLogInfo>(info.Receive(), entry), S_OK);
  host::InjectFault("SysAllocStringLen", 1, ERROR_NOT_ENOUGH_MEMORY);
  BSTR name = reinterpret_cast<BSTR>(0x1);
  EXPECT_EQ(info->get_Name(&name), S_OK);
  EXPECT_EQ(name, nullptr);
  host::ClearFaults();
}
#endif

}  // namespace
