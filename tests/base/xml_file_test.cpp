#include <gtest/gtest.h>

#include <fstream>

#include "base/xml.h"
#include "tests/support/temp_dir.h"

namespace {

// A file's bytes, and the root element's text or the parser's error.
TEST(XmlFile, LoadsTheWholeFileWithLineBreaksAsLf) {
  cmr::KeepXmlWhiteSpace();
  const std::string cases[][3] = {
      {"<a>x\r\ny\rz\n</a>", "x\ny\nz\n", ""},
      {"\xEF\xBB\xBF<a>\xC3\xA4</a>", "\xC3\xA4", ""},
      {"", "", "Error document empty."},
      // Cut inside a UTF-8 sequence, a document after the NUL that ends the text.
      {std::string("<a>b\xCE") + '\0' + "</a>", "", "Error reading Element value."},
  };
  testsupport::TempDir dir;
  for (const auto& [bytes, text, error] : cases) {
    std::ofstream(dir.path() + "/d.xml", std::ios::binary | std::ios::trunc) << bytes;
    TiXmlDocument document;
    ASSERT_TRUE(cmr::LoadXmlFile(document, dir.Wide("/d.xml"), TIXML_ENCODING_UTF8));
    EXPECT_EQ(document.Error() ? document.ErrorDesc() : "", error) << bytes;
    if (!document.Error()) {
      EXPECT_STREQ(document.RootElement()->GetText(), text.c_str()) << bytes;
    }
  }
  TiXmlDocument document;
  EXPECT_FALSE(cmr::LoadXmlFile(document, dir.Wide("/none.xml"), TIXML_ENCODING_UTF8));
}

}  // namespace
