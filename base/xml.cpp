#include "base/xml.h"

#include <cstdio>
#include <memory>

#include "base/text.h"
#include "platform/api/kernel.h"

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

namespace {

struct FileCloser {
  void operator()(FILE* f) const { std::fclose(f); }
};

// The file's bytes from its start; nothing when reading fails.
std::optional<std::string> ReadWholeFile(FILE* file) {
  if (std::fseek(file, 0, SEEK_SET) != 0) return std::nullopt;
  std::string bytes;
  char block[4096];
  size_t got = 0;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0) bytes.append(block, got);
  if (std::ferror(file)) return std::nullopt;
  return bytes;
}

// CR LF and a lone CR become LF, in place.
void NormalizeLineBreaks(std::string& text) {
  size_t to = 0;
  for (size_t from = 0; from < text.size(); ++from) {
    if (text[from] != '\r') {
      text[to++] = text[from];
      continue;
    }
    text[to++] = '\n';
    if (from + 1 < text.size() && text[from + 1] == '\n') ++from;
  }
  text.resize(to);
}

}  // namespace

bool LoadXmlFile(TiXmlDocument& document, const std::u16string& path, TiXmlEncoding encoding) {
  std::unique_ptr<FILE, FileCloser> file(_wfsopen(path.c_str(), u"rb", _SH_DENYWR));
  if (!file) return false;
  std::optional<std::string> text = ReadWholeFile(file.get());
  if (!text) {
    document.SetError(TiXmlBase::TIXML_ERROR_OPENING_FILE, nullptr, nullptr, TIXML_ENCODING_UNKNOWN);
    return true;
  }
  NormalizeLineBreaks(*text);
  ParseXmlText(document, *text, encoding);
  return true;
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
