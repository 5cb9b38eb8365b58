#include <gtest/gtest.h>

#include <string>

#include "com/EventCollector_h.h"
#include "com/exports.h"
#include "platform/api/kernel.h"
#include "platform/api/utf.h"
#include "platform/host/faults/faults.h"
#include "platform/host/host.h"
#include "tests/support/component_library.h"
#include "tests/support/registry_values.h"

namespace {

// The component library as the command-line program loads it. Its class
// objects are checked with the task classes (tests/task).
class Exports : public ::testing::Test {
 protected:
  void SetUp() override { host::Host::Get().Reset(); }
  void TearDown() override { host::Host::Get().Reset(); }
};

std::u16string DefaultValue(const std::u16string& path) { return testsupport::RegistryText(HKEY_CLASSES_ROOT, path); }

TEST_F(Exports, RegistrationNamesTheLibraryFileAndRunsInTheSystemLocale) {
  testsupport::ComponentLibrary library;
  EC_SKIP_WITHOUT(library);
  auto reg = library.Export<PFN_DllRegisterServer>("DllRegisterServer");
  auto unreg = library.Export<PFN_DllUnregisterServer>("DllUnregisterServer");
  ASSERT_TRUE(SetThreadLocale(0x040C));
  host::ClearFaults();
  ASSERT_EQ(reg(), S_OK);
  EXPECT_EQ(GetThreadLocale(), 0x040Cu);
  WCHAR clsid[39];
  StringFromGUID2(CLSID_Task, clsid, 39);
  std::string registered = plat::Utf16ToUtf8(DefaultValue(u"CLSID\\" + std::u16string(clsid) + u"\\InprocServer32"));
  EXPECT_NE(registered.find("libEventCollector.so"), std::string::npos) << registered;
  host::InjectFault("RegSetValueExW", 1, ERROR_ACCESS_DENIED);
  EXPECT_TRUE(FAILED(reg()));
  EXPECT_EQ(GetThreadLocale(), 0x040Cu);  // restored on the failing way out too
  EXPECT_EQ(host::CallCount("SetThreadLocale"), 4u);
  host::ClearFaults();
  ASSERT_EQ(unreg(), S_OK);
  EXPECT_EQ(DefaultValue(u"Calomar.Overseer.EventCollector.TaskConfig\\CurVer"), u"<no key>");
  SetThreadLocale(LOCALE_USER_DEFAULT);
}

}  // namespace
