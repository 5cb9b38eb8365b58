#include <gtest/gtest.h>

#include <string>

#include "base/com/registration.h"
#include "base/guid_text.h"
#include "com/EventCollector_h.h"
#include "platform/api/registry.h"
#include "platform/host/host.h"
#include "tests/support/registry_values.h"

namespace {

std::u16string Value(const std::u16string& path, const char16_t* name = nullptr) {
  return testsupport::RegistryText(HKEY_CLASSES_ROOT, path, name);
}

bool KeyExists(const std::u16string& path) { return Value(path) != u"<no key>"; }

class Registration : public ::testing::Test {
 protected:
  void SetUp() override { host::Host::Get().Reset(); }
  void TearDown() override { host::Host::Get().Reset(); }
  const com::typelib::Library& library = com::typelib::ComponentLibrary();
  const std::u16string module = u"C:\\Program Files\\Calomar\\Calomar.Common.EventCollector.dll";
};

TEST_F(Registration, WritesEveryClassWithItsProgIdsAndRemovesThem) {
  ASSERT_EQ(com::RegisterClasses(library, module), S_OK);
  for (unsigned i = 0; i < library.classCount; ++i) {
    const auto& c = library.classes[i];
    std::u16string progId = com::ProgIdOf(c);
    std::u16string clsid = cmr::GuidToText(*c.clsid);
    SCOPED_TRACE(std::string(progId.begin(), progId.end()));
    EXPECT_EQ(Value(progId + u"\\CurVer"), progId + u".1");
    EXPECT_EQ(Value(progId + u".1\\CLSID"), clsid);
    EXPECT_EQ(Value(u"CLSID\\" + clsid), std::u16string(c.name) + u" Class");
    EXPECT_EQ(Value(u"CLSID\\" + clsid + u"\\InprocServer32"), module);
    EXPECT_EQ(Value(u"CLSID\\" + clsid + u"\\InprocServer32", u"ThreadingModel"), u"Apartment");
    EXPECT_EQ(Value(u"CLSID\\" + clsid + u"\\TypeLib"), cmr::GuidToText(*library.libid));
    EXPECT_EQ(Value(u"CLSID\\" + clsid, u"AppID"), cmr::GuidToText(com::kAppId));
    EXPECT_TRUE(KeyExists(u"CLSID\\" + clsid + u"\\Programmable"));
  }
  EXPECT_EQ(Value(u"Calomar.Overseer.EventCollector.Task\\CurVer"), u"Calomar.Overseer.EventCollector.Task.1");
  EXPECT_EQ(Value(u"AppID\\Calomar.Common.EventCollector.DLL", u"AppID"), cmr::GuidToText(com::kAppId));
  CLSID task{};
  EXPECT_EQ(CLSIDFromProgID(u"Calomar.Overseer.EventCollector.Task", &task), S_OK);
  EXPECT_EQ(task, CLSID_Task);

  ASSERT_EQ(com::UnregisterClasses(library), S_OK);  // the shared roots stay
  EXPECT_TRUE(KeyExists(u"CLSID") && KeyExists(u"AppID"));
  for (const std::u16string& gone :
       {u"CLSID\\" + cmr::GuidToText(CLSID_Task), std::u16string(u"AppID\\Calomar.Common.EventCollector.DLL"),
        std::u16string(u"Calomar.Overseer.EventCollector.Task"),
        std::u16string(u"Calomar.Overseer.EventCollector.Task.1")})
    EXPECT_FALSE(KeyExists(gone)) << std::string(gone.begin(), gone.end());
  EXPECT_EQ(com::UnregisterClasses(library), S_OK);  // again: nothing left to remove
}

TEST_F(Registration, TypeLibraryAndItsInterfaces) {
  ASSERT_EQ(com::RegisterTypeLibrary(library, module), S_OK);
  std::u16string libid = cmr::GuidToText(*library.libid);
  EXPECT_EQ(Value(u"TypeLib\\" + libid + u"\\1.0"), u"EventCollector 1.0 Type Library");
  EXPECT_EQ(Value(u"TypeLib\\" + libid + u"\\1.0\\409\\win32"), module);
  std::u16string task = u"Interface\\" + cmr::GuidToText(IID_ITask);
  EXPECT_EQ(Value(task), u"ITask");
  EXPECT_EQ(Value(task + u"\\TypeLib", u"Version"), u"1.0");
  ASSERT_EQ(com::UnregisterTypeLibrary(library), S_OK);
  EXPECT_FALSE(KeyExists(u"TypeLib\\" + libid));
  EXPECT_FALSE(KeyExists(task));
}

}  // namespace
