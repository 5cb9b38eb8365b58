#include <gtest/gtest.h>

#include <string>

#include "base/com/class_factory.h"
#include "base/com/class_objects.h"
#include "base/com/object.h"
#include "com/EventCollector_h.h"

namespace {

class EventLogObject : public com::Object<IECEventLog, com::ErrorInfoSupport<IECEventLog>> {
 public:
  HRESULT STDMETHODCALLTYPE get_Name(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE put_Name(BSTR) override { return E_NOTIMPL; }
};

template <class I>
HRESULT Query(IUnknown* object, I** out) {
  return object->QueryInterface(__uuidof(I), reinterpret_cast<void**>(out));
}

TEST(ComObject, AnswersListedInterfacesAndIDispatchWithOneIdentity) {
  auto object = com::MakeObject<EventLogObject>();
  IUnknown *unknown = nullptr, *again = nullptr;
  IECEventLog* log = nullptr;
  IDispatch* dispatch = nullptr;
  ISupportErrorInfo* support = nullptr;
  ASSERT_EQ(Query(object->Unknown(), &unknown), S_OK);
  ASSERT_EQ(Query(unknown, &log), S_OK);
  ASSERT_EQ(Query(log, &dispatch), S_OK);
  EXPECT_EQ(static_cast<void*>(dispatch), static_cast<void*>(log));  // the dual interface serves IDispatch
  ASSERT_EQ(Query(dispatch, &support), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IECEventLog), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IECFilter), S_FALSE);
  ASSERT_EQ(Query(support, &again), S_OK);
  EXPECT_EQ(again, unknown);
  IECFilter* filter = reinterpret_cast<IECFilter*>(1);
  EXPECT_EQ(Query(log, &filter), E_NOINTERFACE);
  EXPECT_EQ(filter, nullptr);
  EXPECT_EQ(log->QueryInterface(IID_IUnknown, nullptr), E_POINTER);
  EXPECT_EQ(object->AddRef(), 7u);  // five references taken above plus the one held by `object`
  for (IUnknown* p : {static_cast<IUnknown*>(log), static_cast<IUnknown*>(dispatch), static_cast<IUnknown*>(support),
                      unknown, again, object->Unknown()})
    p->Release();
  EXPECT_EQ(object->AddRef(), 2u);
  object->Release();
}

TEST(ComObject, ModuleCountsLiveObjects) {
  LONG before = com::Module::ObjectCount();
  {
    auto a = com::MakeObject<EventLogObject>();
    auto b = a;  // a second reference to the same object
    EXPECT_EQ(com::Module::ObjectCount(), before + 1);
    IECEventLog* log = nullptr;
    ASSERT_EQ(com::CreateObject<EventLogObject>(&log), S_OK);
    EXPECT_EQ(com::Module::ObjectCount(), before + 2);
    log->Release();
    EXPECT_EQ(com::Module::ObjectCount(), before + 1);
  }
  EXPECT_EQ(com::Module::ObjectCount(), before);
  IECFilter* filter = nullptr;  // an unlisted interface fails the creation and the object is gone again
  EXPECT_EQ(com::CreateObject<EventLogObject>(&filter), E_NOINTERFACE);
  EXPECT_EQ(filter, nullptr);
  EXPECT_EQ(com::Module::ObjectCount(), before);
}

// A factory creates objects and locks the module without counting itself;
// the class table gives one cached factory per class and refuses the rest.
TEST(ClassFactory, CreatesObjectsLocksTheModuleAndIsCachedPerClass) {
  static const com::ClassEntry table[] = {
      {&CLSID_EventLog, &com::MakeFactory<EventLogObject>}, {&CLSID_Filter, nullptr},  // listed, not implemented here
  };
  ASSERT_TRUE(com::Module::CanUnload());
  IClassFactory *factory = nullptr, *second = nullptr;
  ASSERT_EQ(com::GetClassObject(table, 2, CLSID_EventLog, IID_IClassFactory, reinterpret_cast<void**>(&factory)), S_OK);
  ASSERT_EQ(com::GetClassObject(table, 2, CLSID_EventLog, IID_IClassFactory, reinterpret_cast<void**>(&second)), S_OK);
  EXPECT_EQ(factory, second);
  EXPECT_TRUE(com::Module::CanUnload());  // a cached factory does not hold the library
  IECEventLog* log = nullptr;
  EXPECT_EQ(factory->CreateInstance(factory, IID_IECEventLog, reinterpret_cast<void**>(&log)), CLASS_E_NOAGGREGATION);
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IECEventLog, reinterpret_cast<void**>(&log)), S_OK);
  EXPECT_FALSE(com::Module::CanUnload());
  log->Release();
  EXPECT_TRUE(com::Module::CanUnload());
  factory->LockServer(TRUE);
  EXPECT_EQ(com::Module::LockCount(), 1);
  EXPECT_FALSE(com::Module::CanUnload());
  factory->LockServer(FALSE);
  EXPECT_TRUE(com::Module::CanUnload());
  factory->Release();
  second->Release();

  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(com::GetClassObject(table, 2, CLSID_Filter, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(com::GetClassObject(table, 2, CLSID_Task, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(com::GetClassObject(table, 2, CLSID_EventLog, IID_IClassFactory, nullptr), E_POINTER);
}

}  // namespace
