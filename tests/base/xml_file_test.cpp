#include <gtest/gtest.h>

#include <fstream>

#include "base/xml.h"
#include "tests/support/temp_dir.h"

using namespace cmr;

namespace {

// A document file's bytes and what loading it gives: the root element's
// text, or the parser's error.
struct FileCase {
  std::string bytes;
  std::string text;
  std::string error;
};

TEST(XmlFile, LoadsTheWholeFileWithLineBreaksAsLf) {
  KeepXmlWhiteSpace();
  const FileCase cases[] = {
      {"<a>x\r\ny\rz\n</a>", "x\ny\nz\n", ""},
      {"\xEF\xBB\xBF<a>\xC3\xA4</a>", "\xC3\xA4", ""},
      {"", "", "Error document empty."},
      // Cut inside a UTF-8 sequence, with a document after the NUL that
      // ends the text: the parser's step over the sequence stops at the end.
      {std::string("<a>b\xCE") + '\0' + "</a>", "", "Error reading Element value."},
  };
  testsupport::TempDir dir;
  for (const FileCase& c : cases) {
    std::ofstream(dir.path() + "/d.xml", std::ios::binary | std::ios::trunc) << c.bytes;
    TiXmlDocument document;
    ASSERT_TRUE(LoadXmlFile(document, dir.Wide("/d.xml"), TIXML_ENCODING_UTF8));
    EXPECT_EQ(document.Error() ? document.ErrorDesc() : "", c.error) << c.bytes;
    if (document.Error()) continue;
    EXPECT_STREQ(document.RootElement()->GetText(), c.text.c_str()) << c.bytes;
  }
  TiXmlDocument document;
  EXPECT_FALSE(LoadXmlFile(document, dir.Wide("/none.xml"), TIXML_ENCODING_UTF8));
}

}  // namespace
