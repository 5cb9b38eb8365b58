// Small helpers over TinyXML for the component's documents: wide text in and
// out of UTF-8 elements, and the process-wide parser setting.
#pragma once

#include <tinyxml.h>

#include <optional>
#include <string>
#include <string_view>

namespace cmr {

// Turns TinyXML's condense-white-space switch off (blanks in values are kept).
void KeepXmlWhiteSpace();

// Parses `text` into `document` (its error state says how it went). The
// parser steps over a whole UTF-8 sequence at a time, also over the end of
// the text when it ends inside one, and then reads on: the text is handed
// to it with NULs enough after its end for every such step to stop there.
void ParseXmlText(TiXmlDocument& document, std::string_view text, TiXmlEncoding encoding);
// Opens the file at `path` (others may read it meanwhile, not write it),
// reads it whole and parses it as ParseXmlText does, with CR LF and a lone
// CR read as one LF; false, the document untouched, when it cannot be
// opened. An empty file is the parser's "Document empty" error, one that
// cannot be read its "Failed to open file".
bool LoadXmlFile(TiXmlDocument& document, const std::u16string& path, TiXmlEncoding encoding);

// The text child of an element as wide text; nothing when it has none.
std::optional<std::u16string> ElementText(const TiXmlElement* element);
// An attribute as wide text; nothing when it is absent.
std::optional<std::u16string> AttributeText(const TiXmlElement* element, const char* name);

// Appends <name>text</name> (an empty element for an empty text) and returns it.
TiXmlElement* AppendTextElement(TiXmlNode* parent, const char* name, const std::u16string& text);
void SetAttributeText(TiXmlElement* element, const char* name, const std::u16string& text);

// The document printed with four-blank indentation and "\n" line breaks.
std::u16string PrintXml(const TiXmlDocument& document);

}  // namespace cmr
