// Loading and saving the configuration document as a file or a text.
#include <stdexcept>

#include "base/replace_file.h"
#include "base/text.h"
#include "base/xml.h"
#include "platform/api/kernel.h"
#include "task/task_event_log.h"

namespace cmr {
namespace {

// The document's first element, whatever its name, when it has children.
const TiXmlElement* TaskElement(const TiXmlDocument& document) {
  const TiXmlElement* root = document.FirstChildElement();
  if (root == nullptr || root->FirstChild() == nullptr) throw std::invalid_argument("Invalid task config.");
  return root;
}

TiXmlDocument BuildDocument(const CTaskEventLog& config) {
  TiXmlDocument document;
  document.InsertEndChild(TiXmlDeclaration("1.0", "UTF-8", ""));
  config.SaveToXml(&document);
  return document;
}

}  // namespace

void CTaskEventLog::LoadFromFile(const std::u16string& path) {
  ResetDefaults();
  KeepXmlWhiteSpace();
  TiXmlDocument document;
  if (!LoadXmlFile(document, path, TIXML_ENCODING_UTF8)) throw std::runtime_error("task config file open error");
  if (document.Error()) throw std::runtime_error(document.ErrorDesc());
  LoadFromElement(TaskElement(document));
}

void CTaskEventLog::LoadFromString(const std::u16string& text) {
  ResetDefaults();
  KeepXmlWhiteSpace();
  TiXmlDocument document;
  ParseXmlText(document, Utf16ToUtf8(text), TIXML_ENCODING_UTF8);
  if (document.Error()) throw std::runtime_error(document.ErrorDesc());
  LoadFromElement(TaskElement(document));
}

void CTaskEventLog::SaveToFile(const std::u16string& path) const {
  TiXmlDocument document = BuildDocument(*this);
  WriteFileReplacing(
      path,
      [&document](FILE* f) -> std::string {
        if (!document.SaveFile(f) || std::ferror(f))
          return document.Error() ? document.ErrorDesc() : "xml config file save error";
        return {};
      },
      "xml config file save error");
}

std::u16string CTaskEventLog::SaveToString() const { return PrintXml(BuildDocument(*this)); }

}  // namespace cmr
