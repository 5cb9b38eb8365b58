#include "base/xml.h"

#include "base/text.h"

namespace cmr {

void KeepXmlWhiteSpace() { TiXmlBase::SetCondenseWhiteSpace(false); }

void ParseXmlText(TiXmlDocument& document, std::string_view text, TiXmlEncoding encoding) {
  // A UTF-8 lead byte claims at most four bytes; an entity check after it
  // compares up to six more.
  constexpr size_t kPadding = 16;
  std::string padded(text.substr(0, text.find('\0')));
  padded.append(kPadding, '\0');
  document.Parse(padded.c_str(), nullptr, encoding);
}

std::optional<std::u16string> ElementText(const TiXmlElement* element) {
  const char* text = element ? element->GetText() : nullptr;
  if (text == nullptr) return std::nullopt;
  return Utf8ToUtf16(text);
}

std::optional<std::u16string> AttributeText(const TiXmlElement* element, const char* name) {
  const char* text = element ? element->Attribute(name) : nullptr;
  if (text == nullptr) return std::nullopt;
  return Utf8ToUtf16(text);
}

TiXmlElement* AppendTextElement(TiXmlNode* parent, const char* name, const std::u16string& text) {
  TiXmlElement element(name);
  if (!text.empty()) element.InsertEndChild(TiXmlText(Utf16ToUtf8(text)));
  return parent->InsertEndChild(element)->ToElement();
}

void SetAttributeText(TiXmlElement* element, const char* name, const std::u16string& text) {
  element->SetAttribute(name, Utf16ToUtf8(text));
}

std::u16string PrintXml(const TiXmlDocument& document) {
  TiXmlPrinter printer;
  printer.SetIndent("    ");
  printer.SetLineBreak("\n");
  document.Accept(&printer);
  return Utf8ToUtf16(printer.Str());
}

}  // namespace cmr
