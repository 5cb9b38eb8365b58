// The filter document as text and as a file.
#include <cstdio>
#include <stdexcept>

#include "base/replace_file.h"
#include "base/xml.h"
#include "filter/event_filter.h"
#include "platform/api/kernel.h"

namespace cmr {

namespace {

void BuildDocument(const CEventFilter& set, TiXmlDocument& document) {
  document.InsertEndChild(TiXmlDeclaration("1.0", "", ""));
  set.Save(&document);
}

}  // namespace

void CEventFilter::LoadFromString(const char* text) {
  Clear();
  if (text == nullptr || *text == 0) return;
  TiXmlDocument document;
  ParseXmlText(document, text, TIXML_ENCODING_UNKNOWN);
  if (document.Error()) throw std::runtime_error(document.ErrorDesc());
  Load(document);
  BuildMatchOrder();
}

void CEventFilter::LoadFromFile(const std::u16string& path) {
  Clear();
  TiXmlDocument document;
  if (!LoadXmlFile(document, path, TIXML_ENCODING_UTF8)) throw std::runtime_error("xml config file open error");
  if (document.Error()) throw std::runtime_error(document.ErrorDesc());
  Load(document);
  BuildMatchOrder();
}

// Written beside the file and renamed over it, so that a failed write leaves
// the old filters in place.
void CEventFilter::SaveToFile(const std::u16string& path) const {
  if (path.empty()) throw std::runtime_error("xml config file save error");
  TiXmlDocument document;
  BuildDocument(*this, document);
  cmr::WriteFileReplacing(
      path,
      [&](FILE* f) -> std::string {
        if (document.SaveFile(f)) return {};
        const char* description = document.ErrorDesc();
        return *description != 0 ? description : "xml config file save error";
      },
      "xml config file save error");
}

std::u16string CEventFilter::ToString() const {
  TiXmlDocument document;
  BuildDocument(*this, document);
  return cmr::PrintXml(document);
}

}  // namespace cmr
