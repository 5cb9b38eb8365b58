#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "platform/api/registry.h"
#include "platform/host/faults/faults.h"
#include "platform/host/host.h"

namespace {

class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Host::Get().Reset();
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Vendor\\Tracing", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key_, nullptr),
              ERROR_SUCCESS);
  }
  void TearDown() override {
    RegCloseKey(key_);
    host::Host::Get().Reset();
  }
  void SetString(HKEY key, const char16_t* name, std::u16string value) {
    ASSERT_EQ(RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                             static_cast<DWORD>((value.size() + 1) * 2)),
              ERROR_SUCCESS);
  }
  HKEY key_ = nullptr;
};

TEST_F(RegistryTest, QueryValueMoreDataProtocol) {
  SetString(key_, u"Version", u"8.0");
  DWORD type = 0, size = 0;
  ASSERT_EQ(RegQueryValueExW(key_, u"VERSION", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 8u);  // three characters and the null
  char16_t text[4];
  size = 4;
  EXPECT_EQ(RegQueryValueExW(key_, u"Version", nullptr, &type, reinterpret_cast<BYTE*>(text), &size), ERROR_MORE_DATA);
  EXPECT_EQ(size, 8u);
  ASSERT_EQ(RegQueryValueExW(key_, u"Version", nullptr, &type, reinterpret_cast<BYTE*>(text), &size), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(text), u"8.0");
  EXPECT_EQ(RegQueryValueExW(key_, u"Missing", nullptr, &type, nullptr, &size), ERROR_FILE_NOT_FOUND);
  HKEY missing;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\NoSuch", 0, KEY_READ, &missing), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, EnumerationSortsKeysAndEndsWithNoMoreItems) {
  HKEY parent, child;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"software\\VENDOR", 0, KEY_READ, &parent), ERROR_SUCCESS);
  DWORD disposition = 0;
  ASSERT_EQ(RegCreateKeyExW(parent, u"Application", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  RegCloseKey(child);
  ASSERT_EQ(RegCreateKeyExW(parent, u"TRACING", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &child, &disposition),
            ERROR_SUCCESS);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  RegCloseKey(child);
  char16_t name[256];
  DWORD size = 256;
  ASSERT_EQ(RegEnumKeyExW(parent, 0, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"Application");
  EXPECT_EQ(size, 11u);
  size = 7;  // "Tracing" needs 8 with its null
  EXPECT_EQ(RegEnumKeyExW(parent, 1, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_MORE_DATA);
  size = 256;
  ASSERT_EQ(RegEnumKeyExW(parent, 1, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"Tracing");
  EXPECT_EQ(RegEnumKeyExW(parent, 2, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);

  SetString(key_, u"Zeta", u"z");
  DWORD level = 30;
  RegSetValueExW(key_, u"alpha", 0, REG_DWORD, reinterpret_cast<BYTE*>(&level), 4);
  size = 256;
  DWORD type = 0, dataSize = 0;
  ASSERT_EQ(RegEnumValueW(key_, 0, name, &size, nullptr, &type, nullptr, &dataSize), ERROR_SUCCESS);
  EXPECT_EQ(std::u16string(name), u"Zeta");  // values keep the order they were made in
  EXPECT_EQ(dataSize, 4u);
  DWORD subKeys = 9, values = 9, maxName = 0, maxData = 0;
  ASSERT_EQ(RegQueryInfoKeyW(key_, nullptr, nullptr, nullptr, &subKeys, nullptr, nullptr, &values, &maxName, &maxData,
                             nullptr, nullptr),
            ERROR_SUCCESS);
  EXPECT_EQ(subKeys, 0u);
  EXPECT_EQ(values, 2u);
  EXPECT_EQ(maxName, 5u);
  EXPECT_EQ(maxData, 4u);
  size = 256;
  EXPECT_EQ(RegEnumValueW(key_, 2, name, &size, nullptr, nullptr, nullptr, nullptr), ERROR_NO_MORE_ITEMS);
  RegCloseKey(parent);
}

TEST_F(RegistryTest, DeleteRules) {
  HKEY sub;
  ASSERT_EQ(RegCreateKeyExW(key_, u"A\\B", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteKeyW(key_, u"A"), ERROR_ACCESS_DENIED);  // has a subkey
  EXPECT_EQ(RegDeleteKeyW(key_, u"Nope"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegDeleteKeyW(key_, u"A\\B"), ERROR_SUCCESS);
  // The open handle now refers to a deleted key.
  EXPECT_EQ(RegSetValueExW(sub, u"x", 0, REG_DWORD, reinterpret_cast<const BYTE*>("\1\0\0\0"), 4), ERROR_KEY_DELETED);
  RegCloseKey(sub);
  EXPECT_EQ(RegCloseKey(sub), ERROR_INVALID_HANDLE);
  ASSERT_EQ(RegCreateKeyExW(key_, u"A\\B\\C", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &sub, nullptr), ERROR_SUCCESS);
  RegCloseKey(sub);
  EXPECT_EQ(RegDeleteTreeW(key_, u"A"), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExW(key_, u"A", 0, KEY_READ, &sub), ERROR_FILE_NOT_FOUND);
  SetString(key_, u"v", u"1");
  EXPECT_EQ(RegDeleteValueW(key_, u"V"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueW(key_, u"V"), ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, ConnectToOtherComputers) {
  host::Computer& server = host::Host::Get().Add(u"SERVER1");
  HKEY remote, logs;
  ASSERT_EQ(RegConnectRegistryW(u"\\\\server1", HKEY_LOCAL_MACHINE, &remote), ERROR_SUCCESS);
  ASSERT_EQ(RegCreateKeyExW(remote, u"SYSTEM\\Logs", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &logs, nullptr),
            ERROR_SUCCESS);
  RegCloseKey(logs);
  // The remote key is not in the local registry.
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SYSTEM\\Logs", 0, KEY_READ, &logs), ERROR_FILE_NOT_FOUND);
  RegCloseKey(remote);
  ASSERT_EQ(RegConnectRegistryW(nullptr, HKEY_LOCAL_MACHINE, &remote), ERROR_SUCCESS);
  EXPECT_EQ(RegOpenKeyExW(remote, u"SOFTWARE\\Vendor\\Tracing", 0, KEY_READ, &logs), ERROR_SUCCESS);
  RegCloseKey(logs);
  RegCloseKey(remote);
  EXPECT_EQ(RegConnectRegistryW(u"NOSUCH", HKEY_LOCAL_MACHINE, &remote), ERROR_BAD_NETPATH);
  server.SetReachable(false);
  EXPECT_EQ(RegConnectRegistryW(u"SERVER1", HKEY_LOCAL_MACHINE, &remote), ERROR_BAD_NETPATH);
  host::ClearFaults();
  host::InjectFault("RegConnectRegistryW", 1, RPC_S_SERVER_UNAVAILABLE);
  EXPECT_EQ(RegConnectRegistryW(nullptr, HKEY_LOCAL_MACHINE, &remote), RPC_S_SERVER_UNAVAILABLE);
  host::ClearFaults();
}

}  // namespace
