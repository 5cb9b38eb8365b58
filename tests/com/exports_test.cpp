#include <gtest/gtest.h>

#include <dlfcn.h>

#include <string>

#include "com/EventCollector_h.h"
#include "com/exports.h"
#include "platform/api/kernel.h"
#include "platform/api/registry.h"
#include "platform/api/utf.h"
#include "platform/host/faults/faults.h"
#include "platform/host/host.h"

namespace {

// The component library as the command-line program loads it.
class Exports : public ::testing::Test {
 protected:
  void SetUp() override {
    path_ = std::string(EC_BINARY_DIR) + "/libEventCollector.so";
    library_ = dlopen(path_.c_str(), RTLD_NOW);
    if (!library_) GTEST_SKIP() << "component library not built: " << path_;
    host::Host::Get().Reset();
  }
  void TearDown() override {
    if (library_) dlclose(library_);
    host::Host::Get().Reset();
  }
  template <class F>
  F Export(const char* name) {
    return reinterpret_cast<F>(dlsym(library_, name));
  }
  std::string path_;
  void* library_ = nullptr;
};

std::u16string DefaultValue(const std::u16string& path) {
  HKEY key = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, path.c_str(), 0, KEY_READ, &key) != ERROR_SUCCESS) return u"<no key>";
  char16_t buffer[1024] = {};
  DWORD size = sizeof(buffer) - sizeof(char16_t);
  RegQueryValueExW(key, nullptr, nullptr, nullptr, reinterpret_cast<BYTE*>(buffer), &size);
  RegCloseKey(key);
  return buffer;
}

TEST_F(Exports, ClassObjectsAndUnloading) {
  auto getClassObject = Export<PFN_DllGetClassObject>("DllGetClassObject");
  auto canUnload = Export<PFN_DllCanUnloadNow>("DllCanUnloadNow");
  ASSERT_NE(getClassObject, nullptr);
  ASSERT_NE(canUnload, nullptr);
  void* factory = nullptr;
  EXPECT_EQ(getClassObject(IID_IDispatch, IID_IClassFactory, &factory), CLASS_E_CLASSNOTAVAILABLE);
  EXPECT_EQ(getClassObject(CLSID_Task, IID_IClassFactory, nullptr), E_POINTER);
  EXPECT_EQ(canUnload(), S_OK);
}

TEST_F(Exports, RegistrationNamesTheLibraryFile) {
  auto reg = Export<PFN_DllRegisterServer>("DllRegisterServer");
  auto unreg = Export<PFN_DllUnregisterServer>("DllUnregisterServer");
  ASSERT_EQ(reg(), S_OK);
  WCHAR clsid[39];
  StringFromGUID2(CLSID_Task, clsid, 39);
  std::string registered = plat::Utf16ToUtf8(DefaultValue(u"CLSID\\" + std::u16string(clsid) + u"\\InprocServer32"));
  EXPECT_NE(registered.find("libEventCollector.so"), std::string::npos) << registered;
  EXPECT_EQ(DefaultValue(u"Calomar.Overseer.EventCollector.TaskConfig\\CurVer"),
            u"Calomar.Overseer.EventCollector.TaskConfig.1");
  ASSERT_EQ(unreg(), S_OK);
  EXPECT_EQ(DefaultValue(u"Calomar.Overseer.EventCollector.TaskConfig\\CurVer"), u"<no key>");
}

TEST_F(Exports, RegistrationRunsInTheSystemLocaleAndRestoresTheThreads) {
  auto reg = Export<PFN_DllRegisterServer>("DllRegisterServer");
  auto unreg = Export<PFN_DllUnregisterServer>("DllUnregisterServer");
  ASSERT_TRUE(SetThreadLocale(0x040C));
  host::ClearFaults();
  ASSERT_EQ(reg(), S_OK);
  EXPECT_EQ(GetThreadLocale(), 0x040Cu);
  host::InjectFault("RegSetValueExW", 1, ERROR_ACCESS_DENIED);
  EXPECT_TRUE(FAILED(reg()));
  EXPECT_EQ(GetThreadLocale(), 0x040Cu);  // restored on the failing way out too
  EXPECT_EQ(host::CallCount("SetThreadLocale"), 4u);
  host::ClearFaults();
  EXPECT_EQ(unreg(), S_OK);
  SetThreadLocale(LOCALE_USER_DEFAULT);
}

}  // namespace
