#include <gtest/gtest.h>

#include <string>

#include "base/com/class_factory.h"
#include "base/com/class_objects.h"
#include "base/com/object.h"
#include "com/EventCollector_h.h"

namespace {

class EventLogObject : public com::Object<IECEventLog, com::ErrorInfoSupport<IECEventLog>> {
 public:
  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override {
    *name = SysAllocString(name_.c_str());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE put_Name(BSTR name) override {
    name_ = name ? name : u"";
    return S_OK;
  }

 private:
  std::u16string name_;
};

template <class I>
HRESULT Query(IUnknown* object, I** out) {
  return object->QueryInterface(__uuidof(I), reinterpret_cast<void**>(out));
}

TEST(ComObject, AnswersListedInterfacesAndIDispatchWithOneIdentity) {
  auto object = com::MakeObject<EventLogObject>();
  IUnknown* unknown = nullptr;
  ASSERT_EQ(Query(object->Unknown(), &unknown), S_OK);
  IECEventLog* log = nullptr;
  ASSERT_EQ(Query(unknown, &log), S_OK);
  IDispatch* dispatch = nullptr;
  ASSERT_EQ(Query(log, &dispatch), S_OK);
  EXPECT_EQ(static_cast<void*>(dispatch), static_cast<void*>(log));  // the dual interface serves IDispatch
  ISupportErrorInfo* support = nullptr;
  ASSERT_EQ(Query(dispatch, &support), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IECEventLog), S_OK);
  EXPECT_EQ(support->InterfaceSupportsErrorInfo(IID_IECFilter), S_FALSE);

  IUnknown* again = nullptr;
  ASSERT_EQ(Query(support, &again), S_OK);
  EXPECT_EQ(again, unknown);

  IECFilter* filter = reinterpret_cast<IECFilter*>(1);
  EXPECT_EQ(Query(log, &filter), E_NOINTERFACE);
  EXPECT_EQ(filter, nullptr);
  EXPECT_EQ(log->QueryInterface(IID_IUnknown, nullptr), E_POINTER);

  // Five references taken above plus the one held by `object`.
  EXPECT_EQ(object->AddRef(), 7u);
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
  // An unlisted interface fails the creation and the object is gone again.
  IECFilter* filter = nullptr;
  EXPECT_EQ(com::CreateObject<EventLogObject>(&filter), E_NOINTERFACE);
  EXPECT_EQ(filter, nullptr);
  EXPECT_EQ(com::Module::ObjectCount(), before);
}

TEST(ClassFactory, CreatesObjectsLocksTheModuleAndDoesNotCountItself) {
  ASSERT_TRUE(com::Module::CanUnload());
  auto factory = com::MakeObject<com::ClassFactory<EventLogObject>>();
  EXPECT_TRUE(com::Module::CanUnload());

  IECEventLog* log = nullptr;
  EXPECT_EQ(factory->CreateInstance(reinterpret_cast<IUnknown*>(factory.Get()), IID_IECEventLog,
                                    reinterpret_cast<void**>(&log)),
            CLASS_E_NOAGGREGATION);
  ASSERT_EQ(factory->CreateInstance(nullptr, IID_IECEventLog, reinterpret_cast<void**>(&log)), S_OK);
  EXPECT_FALSE(com::Module::CanUnload());
  log->Release();
  EXPECT_TRUE(com::Module::CanUnload());

  factory->LockServer(TRUE);
  EXPECT_EQ(com::Module::LockCount(), 1);
  EXPECT_FALSE(com::Module::CanUnload());
  factory->LockServer(FALSE);
  EXPECT_TRUE(com::Module::CanUnload());
}

TEST(ClassObjects, OneFactoryPerClassAndUnknownClassesRefused) {
  static const com::ClassEntry table[] = {
      {&CLSID_EventLog, &com::MakeFactory<EventLogObject>}, {&CLSID_Filter, nullptr},  // listed, not implemented here
  };
  IClassFactory* first = nullptr;
  IClassFactory* second = nullptr;
  ASSERT_EQ(com::GetClassObject(table, 2, CLSID_EventLog, IID_IClassFactory, reinterpret_cast<void**>(&first)), S_OK);
  ASSERT_EQ(com::GetClassObject(table, 2, CLSID_EventLog, IID_IClassFactory, reinterpret_cast<void**>(&second)), S_OK);
  EXPECT_EQ(first, second);
  EXPECT_TRUE(com::Module::CanUnload());  // a cached factory does not hold the library

  IECEventLog* log = nullptr;
  ASSERT_EQ(first->CreateInstance(nullptr, IID_IECEventLog, reinterpret_cast<void**>(&log)), S_OK);
  log->Release();
  first->Release();
  second->Release();

  void* none = reinterpret_cast<void*>(1);
  EXPECT_EQ(com::GetClassObject(table, 2, CLSID_Filter, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(none, nullptr);
  EXPECT_EQ(com::GetClassObject(table, 2, CLSID_Task, IID_IClassFactory, &none), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(com::GetClassObject(table, 2, CLSID_EventLog, IID_IClassFactory, nullptr), E_POINTER);
}

}  // namespace
