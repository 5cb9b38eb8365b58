// Every Binary XML construct the format allows, each on bytes built here:
// value tokens of other types than strings, character and entity references
// with and without the more-data bit, CDATA, processing instructions,
// optional substitutions in attributes, nested template instances, and
// element starts with and without a dependency identifier.
#include <gtest/gtest.h>

#include <functional>

#include "platform/api/utf.h"
#include "platform/formats/evtx_binxml.h"
#include "platform/formats/evtx_bytes.h"
#include "platform/formats/evtx_system.h"
#include "platform/formats/evtx_xml.h"

using namespace formats;

namespace {

// Builds Binary XML into a chunk image; names are written inline.
class Bx {
 public:
  Bx() : b_(512, 0) {}
  size_t pos() const { return b_.size(); }
  template <typename T>
  Bx& put(T v) {
    EvtxAppend(b_, v);
    return *this;
  }
  Bx& u8(uint8_t v) { return put(v); }
  Bx& u16(uint16_t v) { return put(v); }
  Bx& u32(uint32_t v) { return put(v); }
  Bx& str(std::u16string_view s) {
    u16(static_cast<uint16_t>(s.size()));
    EvtxAppendUtf16(b_, s);
    return *this;
  }
  Bx& name(std::u16string_view s) {
    u32(static_cast<uint32_t>(pos() + 4)).u32(0).u16(0).u16(static_cast<uint16_t>(s.size()));
    EvtxAppendUtf16(b_, s);
    return u16(0);
  }
  Bx& fragment() { return u8(0x0f).u8(1).u8(1).u8(0); }
  // An element start; `dependency` writes the identifier that template
  // definitions carry. The data size is not looked at by the reader.
  Bx& open(std::u16string_view n, bool attributes, bool dependency) {
    u8(attributes ? 0x41 : 0x01);
    if (dependency) u16(0xFFFF);
    u32(0);
    return name(n);
  }
  Bx& attr(std::u16string_view n, bool more) {
    u8(more ? 0x46 : 0x06);
    return name(n);
  }
  Bx& text(std::u16string_view s, bool more = false) {
    u8(more ? 0x45 : 0x05).u8(EvtVarTypeString);
    return str(s);
  }
  std::vector<uint8_t>& bytes() { return b_; }

 private:
  std::vector<uint8_t> b_;
};

struct Parsed {
  bool ok;
  std::string error;
  EvtxEvent event;
  std::string xml;
};

Parsed Parse(Bx& bx) {
  bx.u8(0x00);  // end of the fragment
  size_t end = bx.pos();
  std::vector<uint8_t> chunk = bx.bytes();
  chunk.resize(65536, 0);
  EvtxChunkParser parser(chunk);
  Parsed p;
  p.ok = parser.parseEvent(512, end, p.event, p.error);
  if (p.ok) p.xml = plat::Utf16ToUtf8(RenderEvtxXml(p.event));
  return p;
}

// <E>...</E> with the content written by `content`, outside any template.
template <typename F>
Parsed ElementWith(F content, bool attributes = false) {
  Bx bx;
  bx.fragment().open(u"E", attributes, false);
  content(bx);
  return Parse(bx);
}

TEST(EvtxBinXml, ContentConstructs) {
  struct Case {
    const char* what;
    void (*content)(Bx&);
    const char* xml;
  };
  const Case cases[] = {
      {"value split over tokens with the more-data bit",
       [](Bx& b) { b.u8(0x02).text(u"ab", true).text(u"cd").u8(0x04); }, "<E>abcd</E>"},
      {"character reference, plain and with more-data bit",
       [](Bx& b) { b.u8(0x02).u8(0x48).u16(60).u8(0x08).u16(38).u8(0x04); }, "<E>&#60;&#38;</E>"},
      {"entity reference, plain and with more-data bit",
       [](Bx& b) { b.u8(0x02).u8(0x49).name(u"amp").text(u"x").u8(0x09).name(u"lt").u8(0x04); }, "<E>&amp;x&lt;</E>"},
      {"CDATA section, plain and with more-data bit",
       [](Bx& b) { b.u8(0x02).u8(0x47).str(u"a<b").u8(0x07).str(u"c").u8(0x04); },
       "<E><![CDATA[a<b]]><![CDATA[c]]></E>"},
      {"processing instruction in content",
       [](Bx& b) { b.u8(0x02).u8(0x0a).name(u"pi").u8(0x0b).str(u"data").u8(0x04); }, "<E><?pi data?></E>"},
      {"value token of an unsigned 32-bit type",
       [](Bx& b) { b.u8(0x02).u8(0x05).u8(EvtVarTypeUInt32).u32(4624).u8(0x04); }, "<E>4624</E>"},
      {"value token of a hex 64-bit type",
       [](Bx& b) { b.u8(0x02).u8(0x05).u8(EvtVarTypeHexInt64).u32(0x10).u32(0).u8(0x04); }, "<E>0x10</E>"},
      {"value token of a SID",
       [](Bx& b) { b.u8(0x02).u8(0x05).u8(EvtVarTypeSid).u8(1).u8(1).u32(0).u16(0x500).u32(18).u8(0x04); },
       "<E>S-1-5-18</E>"},
      {"value token of Binary with its byte count",
       [](Bx& b) { b.u8(0x02).u8(0x05).u8(EvtVarTypeBinary).u16(2).u8(0xAB).u8(0x01).u8(0x04); }, "<E>AB01</E>"},
  };
  for (const Case& c : cases) {
    Parsed p = ElementWith(c.content);
    ASSERT_TRUE(p.ok) << c.what << ": " << p.error;
    EXPECT_EQ(p.xml, c.xml) << c.what;
  }
}

TEST(EvtxBinXml, AttributeConstructs) {
  Parsed p = ElementWith(
      [](Bx& b) {
        b.u32(0);  // attribute list size
        b.attr(u"A", true).text(u"x", true).u8(0x48).u16(38).u8(0x09).name(u"quot");
        b.attr(u"B", true).u8(0x05).u8(EvtVarTypeInt16).u16(0xFFFE);
        b.attr(u"C", false).u8(0x05).u8(EvtVarTypeBoolean).u32(1);
        b.u8(0x03);
      },
      true);
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.xml, "<E A='x&#38;&quot;' B='-2' C='true'/>");
}

TEST(EvtxBinXml, ElementStartWithOrWithoutDependencyIdentifier) {
  for (bool dependency : {false, true}) {
    Bx bx;
    bx.fragment().open(u"Outer", false, dependency).u8(0x02);
    bx.open(u"Inner", true, dependency).u32(0).attr(u"N", false).text(u"v").u8(0x03);
    bx.u8(0x04);
    Parsed p = Parse(bx);
    ASSERT_TRUE(p.ok) << dependency << ": " << p.error;
    EXPECT_EQ(p.xml, "<Outer><Inner N='v'/></Outer>");
  }
}

// A template instance whose definition follows inline:
// <Event><System>%0</System><EventData><Data N=%1>%2</Data></EventData></Event>,
// where %1 is optional (the attribute is left out when its value is null)
// and %2 is Binary XML. Returns the definition's offset.
uint32_t InstanceWithDefinition(Bx& bx) {
  bx.u8(0x0c).u8(1).u32(0xDEF);
  uint32_t def = static_cast<uint32_t>(bx.pos() + 4);
  bx.u32(def).u32(0).u32(0xDEF).u32(0).u32(0).u32(0);  // offset, next definition, GUID
  size_t sizeAt = bx.pos();
  bx.u32(0);
  size_t body = bx.pos();
  bx.fragment().open(u"Event", false, true).u8(0x02);
  bx.open(u"System", false, true).u8(0x02).u8(0x0d).u16(0).u8(EvtVarTypeString).u8(0x04);
  bx.open(u"EventData", false, true).u8(0x02);
  bx.open(u"Data", true, true).u32(0).attr(u"N", false).u8(0x0e).u16(1).u8(EvtVarTypeString).u8(0x02);
  bx.u8(0x0d).u16(2).u8(kEvtxBinXmlType).u8(0x04);
  bx.u8(0x04).u8(0x04).u8(0x00);
  EvtxStore<uint32_t>(bx.bytes(), sizeAt, static_cast<uint32_t>(bx.pos() - body));
  return def;
}

// The values of a template instance: descriptors, then each value written by its writer.
void Values(Bx& bx, std::initializer_list<std::pair<uint8_t, std::function<void(Bx&)>>> values) {
  bx.u32(static_cast<uint32_t>(values.size()));
  size_t descriptors = bx.pos();
  for (size_t i = 0; i < values.size(); ++i) bx.u32(0);
  size_t i = 0;
  for (const auto& [type, write] : values) {
    size_t at = bx.pos();
    write(bx);
    EvtxStore<uint16_t>(bx.bytes(), descriptors + 4 * i, static_cast<uint16_t>(bx.pos() - at));
    bx.bytes()[descriptors + 4 * i + 2] = type;
    ++i;
  }
}

TEST(EvtxBinXml, OptionalAttributeAndNestedTemplateInstance) {
  Bx bx;
  bx.fragment();
  uint32_t def = InstanceWithDefinition(bx);
  // The outer values: a string, a null (the optional attribute is left out)
  // and Binary XML instantiating the same template again, whose own Binary
  // XML value is a plain element (no dependency identifier).
  Values(bx, {{EvtVarTypeString, [](Bx& b) { b.u16(u'o').u16(u'u').u16(u't'); }},
              {EvtVarTypeNull, [](Bx&) {}},
              {kEvtxBinXmlType, [def](Bx& b) {
                 b.fragment().u8(0x0c).u8(1).u32(0xDEF).u32(def);
                 Values(b, {{EvtVarTypeString, [](Bx& c) { c.u16(u'i').u16(u'n'); }},
                            {EvtVarTypeString, [](Bx& c) { c.u16(u'n').u16(u'm'); }},
                            {kEvtxBinXmlType, [](Bx& c) { c.open(u"Leaf", false, false).u8(0x03).u8(0x00); }}});
                 b.u8(0x00);
               }}});
  Parsed p = Parse(bx);
  ASSERT_TRUE(p.ok) << p.error;
  EXPECT_EQ(p.xml,
            "<Event><System>out</System><EventData><Data>"
            "<Event><System>in</System><EventData><Data N='nm'><Leaf/></Data></EventData></Event>"
            "</Data></EventData></Event>");
}

// A malformed element start, and what the writer could not give back, are
// refused when read, with the reason.
TEST(EvtxBinXml, RefusesWhatIsMalformedOrCannotBeWrittenBack) {
  struct Case {
    const char* what;
    void (*build)(Bx&);
    const char* error;
  };
  const Case cases[] = {
      {"a name offset that is nowhere", [](Bx& b) { b.u8(0x01).u32(0).u32(0x7FFFFFF0); }, "bad element start"},
      {"a NUL inside a name", [](Bx& b) { b.open(std::u16string(u"A\0B", 3), false, false).u8(0x03); },
       "NUL in a name"},
      {"a second element after the root",
       [](Bx& b) { b.open(u"A", false, false).u8(0x03).open(u"B", false, false).u8(0x03); },
       "content beside the event element"},
  };
  for (const Case& c : cases) {
    Bx bx;
    bx.fragment();
    c.build(bx);
    Parsed p = Parse(bx);
    EXPECT_FALSE(p.ok) << c.what;
    EXPECT_NE(p.error.find(c.error), std::string::npos) << c.what << ": " << p.error;
  }
}

// A text's trailing NULs are dropped as those of substitution values are, so
// that writing it as a substitution gives the same text back.
TEST(EvtxBinXml, ValueTextLosesTrailingNulsOnly) {
  Parsed p = ElementWith([](Bx& b) { b.u8(0x02).text(std::u16string(u"a\0b\0\0", 5)).u8(0x04); });
  ASSERT_TRUE(p.ok) << p.error;
  const EvtxValue* v = p.event.value(*p.event.firstChild(*p.event.root()));
  ASSERT_NE(v, nullptr);
  EXPECT_EQ(v->text, std::u16string(u"a\0b", 3));
}

}  // namespace
