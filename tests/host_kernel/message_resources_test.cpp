#include <gtest/gtest.h>

#include <cstdint>
#include <fstream>
#include <string>
#include <vector>

#include "platform/api/kernel.h"
#include "platform/host/kernel/locale.h"
#include "platform/host/modules/module_table.h"
#include "tests/support/file_text.h"
#include "tests/support/fresh_host.h"
#include "tests/support/last_error.h"
#include "tests/support/temp_dir.h"

namespace {

#ifdef EC_FIXTURE_DLL_DIR
const std::string kFixtures = EC_FIXTURE_DLL_DIR;
#else
const std::string kFixtures;
#endif

std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }

class MessageResources : public testsupport::FreshHost {
 protected:
  void SetUp() override {
    FreshHost::SetUp();
    if (kFixtures.empty()) GTEST_SKIP() << "message DLL fixtures were not built (no MinGW binutils)";
  }
  void TearDown() override {
    host::SetUserLocale(0x0409);
    FreshHost::TearDown();
  }

  static HMODULE Load(const std::string& path) {
    return LoadLibraryExW(Wide(path).c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
  }

  // The formatted text, or "<error N>".
  static std::u16string Message(HMODULE module, DWORD id, DWORD language, DWORD flags = FORMAT_MESSAGE_IGNORE_INSERTS,
                                const DWORD_PTR* args = nullptr) {
    LPWSTR text = nullptr;
    DWORD n =
        FormatMessageW(FORMAT_MESSAGE_FROM_HMODULE | FORMAT_MESSAGE_ALLOCATE_BUFFER | flags, module, id, language,
                       reinterpret_cast<LPWSTR>(&text), 0, reinterpret_cast<va_list*>(const_cast<DWORD_PTR*>(args)));
    if (n == 0) return u"<error " + Wide(std::to_string(GetLastError())) + u">";
    std::u16string result(text, n);
    LocalFree(text);
    return result;
  }
};

void WriteAll(const std::string& path, const std::vector<uint8_t>& bytes, size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(size));
}

TEST_F(MessageResources, InsertsEscapesAndLanguagesOfUnicodeAndAnsiTables) {
  HMODULE module = Load(kFixtures + "/events.dll");
  ASSERT_NE(module, nullptr) << GetLastError();
  const char16_t* who = u"Ann";
  const char16_t* count = u"3";
  DWORD_PTR args[] = {reinterpret_cast<DWORD_PTR>(who), reinterpret_cast<DWORD_PTR>(count)};
  std::u16string text = Message(module, 0x100, 0x409, FORMAT_MESSAGE_ARGUMENT_ARRAY, args);
  EXPECT_EQ(text.substr(0, 40), u"Hello Ann, you have 3 new messages.\r\r\nSa");
  EXPECT_NE(text.find(u"Saved 100% of %1234."), std::u16string::npos);

  std::u16string raw = Message(module, 0x100, 0x409);
  EXPECT_EQ(raw.substr(0, 24), u"Hello %1, you have %2 ne");

  DWORD_PTR printfArgs[] = {reinterpret_cast<DWORD_PTR>(u"Job"), 42};
  EXPECT_EQ(Message(module, 0x102, 0x409, FORMAT_MESSAGE_ARGUMENT_ARRAY, printfArgs), u"Job took 42 ms");
  EXPECT_EQ(Message(module, 0x100, 0x407).substr(0, 9), u"Hallo %1,");
  EXPECT_EQ(Message(module, 0x100, 0x40C), u"<error 1815>");  // French is not there
  EXPECT_EQ(Message(module, 0x101, 0x407), u"<error 317>");   // German lacks the id
  EXPECT_EQ(Message(module, 0x150, 0x409), u"<error 317>");   // between the blocks
  EXPECT_EQ(Message(module, 0x200, 0x409).substr(0, 13), u"Last message.");
  // Language 0: no neutral table, so the thread's language (English) ...
  EXPECT_EQ(Message(module, 0x100, 0).substr(0, 9), u"Hello %1,");
  // ... or German when that is the user's language.
  host::SetUserLocale(0x0407);
  EXPECT_EQ(Message(module, 0x100, 0).substr(0, 9), u"Hallo %1,");
  host::SetUserLocale(0x0411);  // neither: English (United States) is the last preference before any
  EXPECT_EQ(Message(module, 0x100, 0).substr(0, 9), u"Hello %1,");
  EXPECT_TRUE(FreeLibrary(module));
  // ANSI entries under the neutral language.
  module = Load(kFixtures + "/neutral.dll");
  ASSERT_NE(module, nullptr);
  const DWORD_PTR what[] = {reinterpret_cast<DWORD_PTR>(u"X")};
  EXPECT_EQ(Message(module, 1, 0, FORMAT_MESSAGE_ARGUMENT_ARRAY, what).substr(0, 18), u"Neutral text for X");
  EXPECT_EQ(Message(module, 2, 0).substr(0, 20), u"Second neutral text.");
  EXPECT_EQ(Message(module, 1, 0x409), u"<error 1815>");
  FreeLibrary(module);
}

TEST_F(MessageResources, HandlesAndFilesThatAreNotMessageModules) {
  HMODULE module = Load(kFixtures + "/events.dll");
  ASSERT_NE(module, nullptr);
  ASSERT_TRUE(FreeLibrary(module));
  EXPECT_EQ(Message(module, 0x100, 0x409), u"<error 6>");
  EXPECT_EQ(Message(nullptr, 0x100, 0x409), u"<error 1813>");

  testsupport::TempDir dir;
  WriteAll(dir.path() + "/text.dll", {'h', 'e', 'l', 'l', 'o'}, 5);
  SetLastError(0);
  EXPECT_LAST_ERROR(Load(dir.path() + "/text.dll"), nullptr, ERROR_BAD_EXE_FORMAT);
  EXPECT_LAST_ERROR(Load(dir.path() + "/missing.dll"), nullptr, ERROR_FILE_NOT_FOUND);
  EXPECT_LAST_ERROR(LoadLibraryExW(u"\\\\NOSUCH\\ADMIN$\\System32\\x.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE), nullptr,
                    ERROR_BAD_NETPATH);
  UINT before = SetErrorMode(SEM_FAILCRITICALERRORS);
  EXPECT_EQ(SetErrorMode(before), static_cast<UINT>(SEM_FAILCRITICALERRORS));
}

// Every prefix of the file, and the file with bytes overwritten, either fails
// to load or answers lookups with an error or a text: never a read outside it.
TEST_F(MessageResources, TruncatedAndGarbledFilesNeverCrash) {
  std::vector<uint8_t> original = testsupport::ReadFileBytes(kFixtures + "/events.dll");
  ASSERT_GT(original.size(), 1024u);
  testsupport::TempDir dir;
  std::string path = dir.path() + "/damaged.dll";
  auto probe = [&](size_t size, const std::vector<uint8_t>& bytes) {
    WriteAll(path, bytes, size);
    HMODULE module = Load(path);
    if (!module) return 0;
    for (DWORD language : {0u, 0x409u, 0x407u}) {
      for (DWORD id : {0x100u, 0x101u, 0x102u, 0x200u, 0x7FFFu}) Message(module, id, language);
    }
    FreeLibrary(module);
    return 1;
  };
  int loaded = 0;
  for (size_t size = 0; size < original.size(); size += 29) loaded += probe(size, original);
  EXPECT_GT(loaded, 0);  // truncated past the headers, the file still loads

  uint32_t seed = 12345;
  for (int round = 0; round < 150; ++round) {
    std::vector<uint8_t> bytes = original;
    for (int k = 0; k < 4; ++k) {
      seed = seed * 1103515245u + 12345u;
      size_t at = (seed >> 8) % bytes.size();
      bytes[at] = static_cast<uint8_t>(seed >> 24);
    }
    probe(bytes.size(), bytes);
  }
  EXPECT_EQ(probe(original.size(), original), 1);
}

}  // namespace
