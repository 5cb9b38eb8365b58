// The component surface of the task classes: class objects and the flat Run
// export of the library, the widening of Run's flag, and every member of the
// task interfaces reached by name through IDispatch.
#include <gtest/gtest.h>

#include <dlfcn.h>

#include <filesystem>
#include <vector>

#include "base/com/dispatch.h"
#include "base/error_report.h"
#include "com/exports.h"
#include "platform/host/modules/modules.h"
#include "task/com/log_info.h"
#include "task/com/task_computer_info.h"
#include "task/com/task_config_impl.h"
#include "task/com/task_result_impl.h"
#include "task/flat_run.h"
#include "tests/support/child_process.h"
#include "tests/support/component_library.h"
#include "tests/support/registry_values.h"
#include "tests/support/temp_dir.h"
#include "tests/task/task_fixture.h"

using namespace cmr;

using tasktest::Bstr;

namespace {

// The component library as a client loads it, over a task's set-up.
class Library : public tasktest::TaskFixture {};

TEST_F(Library, ClassObjectsOfTheTaskClasses) {
  testsupport::ComponentLibrary library;
  EC_SKIP_WITHOUT(library);
  auto get = library.Export<PFN_DllGetClassObject>("DllGetClassObject");
  com::Ptr<IClassFactory> first, second;
  ASSERT_EQ(get(CLSID_Task, IID_IClassFactory, reinterpret_cast<void**>(first.Receive())), S_OK);
  ASSERT_EQ(get(CLSID_Task, IID_IClassFactory, reinterpret_cast<void**>(second.Receive())), S_OK);
  EXPECT_EQ(first.Get(), second.Get());
  EXPECT_EQ(get(CLSID_Task, IID_IClassFactory, nullptr), E_POINTER);
  void* none = nullptr;
  EXPECT_EQ(get(IID_ITask, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);

  const struct {
    const CLSID* clsid;
    const IID* iid;
  } classes[] = {{&CLSID_LogInfo, &IID_ILogInfo},
                 {&CLSID_Task, &IID_ITask},
                 {&CLSID_TaskConfig, &IID_ITaskConfig},
                 {&CLSID_TaskResult2, &IID_ITaskResult2},
                 {&CLSID_TaskResult, &IID_ITaskResult}};
  for (const auto& c : classes) {
    com::Ptr<IClassFactory> factory;
    ASSERT_EQ(get(*c.clsid, IID_IClassFactory, reinterpret_cast<void**>(factory.Receive())), S_OK);
    com::Ptr<IUnknown> object;
    EXPECT_EQ(factory->CreateInstance(nullptr, *c.iid, reinterpret_cast<void**>(object.Receive())), S_OK);
    com::Ptr<ISupportErrorInfo> support;
    EXPECT_EQ(object.As(support) == S_OK, *c.clsid != CLSID_LogInfo);
  }
  EXPECT_EQ(library.Export<PFN_DllCanUnloadNow>("DllCanUnloadNow")(), S_OK);
}

TEST_F(Library, FlatRunListsLogsWithoutRegistration) {
  testsupport::ComponentLibrary library;
  EC_SKIP_WITHOUT(library);
  AddChannel(u"Application", 0, 2);
  cmr::CTaskEventLog config;
  config.LogName = u"*";
  WriteConfig(config);
  auto run = library.Export<PFN_Run>("Run");
  Bstr computer(u"WORKSTATION1"), file(cmr::Utf8ToUtf16(ConfigPath()));
  ASSERT_EQ(run(computer.b, nullptr, file.b, nullptr, true, 0, 0x10000), S_OK);
  cmr::CTaskEventLog result = ReadConfig();
  EXPECT_EQ(result.ErrorStatus, 0);
  ASSERT_EQ(result.LogInfoList.size(), 1u);
  EXPECT_EQ(result.LogInfoList[0].Name, u"Application");
}

// Loads and unloads the library with tracing switched on in the registry.
EC_CHILD_ROLE(LoadTracedLibrary) {
  host::Host::Get().Reset();
  host::SetExecutablePath(args.at(1));
  if (!testsupport::SetRegistryDword(u"Software\\Calomar Overseer\\Tracing", u"EventCollector", 30)) return 10;
  void* library = dlopen(args.at(0).c_str(), RTLD_NOW);
  if (!library) return 11;
  dlclose(library);
  return 0;
}

TEST(ModuleStart, TracesTheVersionAndClosesTheTraceFileAtTheEnd) {
  std::string library = testsupport::ComponentLibraryPath();
  if (!std::filesystem::exists(library)) GTEST_SKIP() << "component library not built: " << library;
  // The child's executable seems to live in a folder of this test's own.
  testsupport::TempDir folder;
  std::filesystem::path trace = std::filesystem::path(folder.path()) / "Tracing" / "EventCollector.log";
  ASSERT_EQ(testsupport::RunChild("LoadTracedLibrary", {library, folder.path() + "/test_task"}), 0);
  std::string text = testsupport::ReadFileText(trace.string());
  EXPECT_NE(text.find("EventCollector version 1.0.0.1"), std::string::npos) << text;
  EXPECT_TRUE(text.ends_with("Trace file closed.\r\n")) << text;
}

// Task errors name kClsidTask (tests/base); it is the type library's class.
TEST(TaskErrors, NameTheTaskClassOfTheTypeLibrary) { EXPECT_EQ(cmr::kClsidTask, CLSID_Task); }

class RecordingTask : public com::Object<ITask> {
 public:
  VARIANT_BOOL processBackups = 7, cleanBackups = 7;
  ULONG bufSize = 0;
  HRESULT STDMETHODCALLTYPE Run(BSTR, BSTR, BSTR, BSTR, VARIANT_BOOL process, VARIANT_BOOL clean, ULONG size) override {
    processBackups = process;
    cleanBackups = clean;
    bufSize = size;
    return S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE GetEventLogStatistics(BSTR, LONG*, LONG*, LONG*, LONG*, VARIANT_BOOL*) override {
    return E_NOTIMPL;
  }
};

TEST(FlatRun, TheOneByteFlagArrivesAsOneAndTheRestUnchanged) {
  auto task = com::MakeObject<RecordingTask>();
  EXPECT_EQ(cmr::RunTaskWith(*task.Get(), nullptr, nullptr, nullptr, nullptr, true, VARIANT_TRUE, 4096), S_FALSE);
  EXPECT_EQ(task->processBackups, 1);
  EXPECT_EQ(task->cleanBackups, VARIANT_TRUE);
  EXPECT_EQ(task->bufSize, 4096u);
  cmr::RunTaskWith(*task.Get(), nullptr, nullptr, nullptr, nullptr, false, 48, 0);
  EXPECT_EQ(task->processBackups, 0);
  EXPECT_EQ(task->cleanBackups, 48);
}

// Invokes a member by name with plain arguments of its parameter types; out
// parameters by reference. Returns Invoke's result.
HRESULT InvokeByName(IDispatch* object, const com::dispatch::Member& m, VARIANT* result) {
  DISPID id = 0;
  LPOLESTR names[] = {const_cast<LPOLESTR>(m.name)};
  EXPECT_EQ(object->GetIDsOfNames(IID_NULL, names, 1, 0, &id), S_OK) << cmr::Utf16ToUtf8(m.name);
  EXPECT_EQ(id, m.dispid);
  std::vector<VARIANT> storage(m.paramCount), args;
  Bstr text(u"x");
  for (unsigned i = 0; i < m.paramCount; ++i) {
    const com::dispatch::Param& p = m.params[i];
    if (p.direction == com::dispatch::Direction::Retval) continue;
    VARIANT v{};  // VT_EMPTY, as are the out values' storage
    if (p.direction == com::dispatch::Direction::Out) {
      v.vt = VT_BYREF | p.vt;
      v.byref = &storage[i].llVal;
    } else {
      v.vt = p.vt == VT_BSTR ? VT_BSTR : VT_I4;  // the text "x" or the number 0
      if (v.vt == VT_BSTR) v.bstrVal = text.b;
    }
    args.insert(args.begin(), v);  // given last to first
  }
  DISPID put = DISPID_PROPERTYPUT;
  bool isPut = m.kind == com::dispatch::Kind::PropPut;
  DISPPARAMS params{args.data(), isPut ? &put : nullptr, static_cast<UINT>(args.size()), isPut ? 1u : 0u};
  WORD flags = m.kind == com::dispatch::Kind::PropGet ? DISPATCH_PROPERTYGET
               : isPut                                ? DISPATCH_PROPERTYPUT
                                                      : DISPATCH_METHOD;
  EXCEPINFO info{};
  HRESULT hr = object->Invoke(m.dispid, IID_NULL, 0, flags, &params, result, &info, nullptr);
  for (BSTR s : {info.bstrSource, info.bstrDescription, info.bstrHelpFile}) SysFreeString(s);
  return hr;
}

class Dispatch : public tasktest::TaskFixture {};

TEST_F(Dispatch, EveryTaskInterfaceMemberIsReachedByName) {
  cmr::CTaskEventLog withInfo;
  withInfo.SetComputerInfo(std::make_unique<cmr::ComputerInfoRecord>());
  Bstr doc(withInfo.SaveToString());
  auto result = com::MakeObject<CTaskResultImpl>();
  ASSERT_EQ(result->Init(doc.b), S_OK);
  const std::pair<com::Ptr<IDispatch>, const IID*> objects[] = {
      {com::Ptr<IDispatch>(static_cast<ITaskConfig*>(com::MakeObject<CTaskConfigImpl>().Get())), &IID_ITaskConfig},
      {com::Ptr<IDispatch>(static_cast<ITask*>(com::MakeObject<CTask>().Get())), &IID_ITask},
      {com::Ptr<IDispatch>(static_cast<ITaskResult*>(result.Get())), &IID_ITaskResult},
      {com::Ptr<IDispatch>(static_cast<ITaskResult2*>(com::MakeObject<CTaskResult2Impl>().Get())), &IID_ITaskResult2},
      {com::Ptr<IDispatch>(static_cast<ILogInfo*>(com::MakeObject<CLogInfo>().Get())), &IID_ILogInfo},
      {com::Ptr<IDispatch>(
           static_cast<ITaskComputerInfo*>(com::MakeObject<CTaskComputerInfo>(cmr::ComputerInfoRecord{}).Get())),
       &IID_ITaskComputerInfo},
  };
  for (const auto& [object, iid] : objects) {
    const com::dispatch::Interface* d = com::dispatch::FindInterface(*iid);
    ASSERT_NE(d, nullptr);
    for (unsigned i = 0; i < d->memberCount; ++i) {
      const com::dispatch::Member& m = d->members[i];
      SCOPED_TRACE(cmr::Utf16ToUtf8(d->name) + "." + cmr::Utf16ToUtf8(m.name));
      VARIANT value;
      VariantInit(&value);
      HRESULT hr = InvokeByName(object.Get(), m, &value);
      // Reached: the member ran and answered, or failed with an error object.
      EXPECT_TRUE(hr == S_OK || hr == S_FALSE || hr == DISP_E_EXCEPTION) << std::hex << hr;
      bool hasRetval = m.paramCount > 0 && m.params[m.paramCount - 1].direction == com::dispatch::Direction::Retval;
      if (hr == S_OK && hasRetval) {
        VARTYPE expected = m.params[m.paramCount - 1].vt;
        EXPECT_TRUE(V_VT(&value) == expected || (expected == VT_VARIANT && V_VT(&value) == (VT_ARRAY | VT_DISPATCH)))
            << V_VT(&value);
      }
      VariantClear(&value);
    }
  }
}

}  // namespace
