#include <gtest/gtest.h>

#include <fstream>

#include "platform/api/registry.h"
#include "platform/api/utf.h"
#include "platform/host/host.h"
#include "platform/host/registry/registry_file.h"
#include "tests/support/file_text.h"
#include "tests/support/temp_dir.h"

namespace {

std::vector<BYTE> Query(HKEY root, const char16_t* path, const char16_t* name, DWORD* type) {
  HKEY key;
  std::vector<BYTE> data;
  if (RegOpenKeyExW(root, path, 0, KEY_READ, &key) != ERROR_SUCCESS) return data;
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, type, nullptr, &size) == ERROR_SUCCESS) {
    data.resize(size);
    RegQueryValueExW(key, name, nullptr, type, data.data(), &size);
  }
  RegCloseKey(key);
  return data;
}

const char kSample[] =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "; written by hand\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\r\n"
    "@=\"default \\\"quoted\\\" C:\\\\dir\"\r\n"
    "\"Level\"=dword:0000001e\r\n"
    "\"Blob\"=hex:00,01,02,ff\r\n"
    "\"Path\"=hex(2):25,00,53,00,79,00,73,00,00,00\r\n"
    "\"List\"=hex(7):61,00,00,00,62,00,00,00,\\\r\n"
    "  00,00\r\n"
    "\"Big\"=hex(b):01,00,00,00,00,00,00,80\r\n"
    "\"Gone\"=\"x\"\r\n"
    "\"Gone\"=-\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Sub]\r\n"
    "\"Name\"=\"\xC3\xA9t\xC3\xA9\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Old]\r\n"
    "[-HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor\\Old]\r\n";

TEST(RegFile, ImportEveryValueTypeThenExportAndReimport) {
  testsupport::TempDir dir;
  host::Host::Get().Reset();
  std::ofstream(dir.path() + "/in.reg", std::ios::binary) << kSample;
  std::string message;
  ASSERT_EQ(host::ImportRegFile(host::Host::Get().Local(), dir.path() + "/in.reg", &message), 0u) << message;

  DWORD type = 0;
  auto def = Query(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Vendor", nullptr, &type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(def.data())), u"default \"quoted\" C:\\dir");
  auto level = Query(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Vendor", u"Level", &type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(level, (std::vector<BYTE>{0x1e, 0, 0, 0}));
  EXPECT_EQ(Query(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Vendor", u"List", &type).size(), 10u);
  EXPECT_EQ(type, static_cast<DWORD>(REG_MULTI_SZ));
  Query(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Vendor", u"Big", &type);
  EXPECT_EQ(type, static_cast<DWORD>(REG_QWORD));
  EXPECT_TRUE(Query(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Vendor", u"Gone", &type).empty());
  HKEY old;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Vendor\\Old", 0, KEY_READ, &old), ERROR_FILE_NOT_FOUND);

  // A value that cannot be written as "text" survives as hex(1).
  HKEY vendor;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\Vendor", 0, KEY_WRITE, &vendor), ERROR_SUCCESS);
  RegSetValueExW(vendor, u"Lines", 0, REG_SZ, reinterpret_cast<const BYTE*>(u"a\r\nb"), 8);
  std::vector<BYTE> longBlob(100, 0xAB);
  RegSetValueExW(vendor, u"Long", 0, REG_BINARY, longBlob.data(), 100);
  RegCloseKey(vendor);

  ASSERT_EQ(
      host::ExportRegFile(host::Host::Get().Local(), u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor", dir.path() + "/out.reg"),
      0u);
  std::string bytes = testsupport::ReadFileText(dir.path() + "/out.reg");
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
  std::u16string text(reinterpret_cast<const char16_t*>(bytes.data() + 2), (bytes.size() - 2) / 2);
  EXPECT_EQ(text.rfind(u"Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor]\r\n", 0),
            0u);
  EXPECT_NE(text.find(u"\"Level\"=dword:0000001e\r\n"), std::u16string::npos);
  EXPECT_NE(text.find(u"\"Lines\"=hex(1):61,00,0d,00,0a,00,62,00\r\n"), std::u16string::npos);
  for (size_t start = 0, end; (end = text.find(u"\r\n", start)) != std::u16string::npos; start = end + 2)
    EXPECT_LE(end - start, 80u);

  // Into a fresh computer and out again: the same bytes.
  host::Computer& copy = host::Host::Get().Add(u"COPY");
  ASSERT_EQ(host::ImportRegFile(copy, dir.path() + "/out.reg", &message), 0u) << message;
  ASSERT_EQ(host::ExportRegFile(copy, u"HKEY_LOCAL_MACHINE\\SOFTWARE\\Vendor", dir.path() + "/again.reg"), 0u);
  EXPECT_EQ(testsupport::ReadFileText(dir.path() + "/again.reg"), bytes);
  host::Host::Get().Reset();
}

TEST(RegFile, MalformedTextIsRefusedWholeWithTheLine) {
  testsupport::TempDir dir;
  host::Host::Get().Reset();
  std::ofstream(dir.path() + "/bad.reg", std::ios::binary)
      << "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\A]\r\n\"x\"=dword:1\r\n"
         "\"y\"=dword:zz\r\n";
  std::string message;
  EXPECT_EQ(host::ImportRegFile(host::Host::Get().Local(), dir.path() + "/bad.reg", &message),
            static_cast<DWORD>(ERROR_INVALID_DATA));
  EXPECT_NE(message.find("line 5"), std::string::npos);
  HKEY key;
  EXPECT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, u"SOFTWARE\\A", 0, KEY_READ, &key), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(host::ImportRegFile(host::Host::Get().Local(), dir.path() + "/none.reg"),
            static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
}

}  // namespace
