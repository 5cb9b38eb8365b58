// LogCollectorNt: the description file's entries and the %%n references of
// insertion strings. The message texts come from the sources' message files
// through the message resolver; until that resolver is part of the
// collector, every description is written empty and %%n references stay as
// they are, which is what a source without message files gives.
#include "collect/log_collector_nt.h"

namespace cmr {

std::shared_ptr<CSidCache::SidInfo> LogCollectorNt::LookupSidText(const std::u16string& text) {
  return reader_.SidCache().LookupText(text);
}

std::u16string LogCollectorNt::ExpandParameters(const std::u16string&, const std::u16string& text) { return text; }

void LogCollectorNt::WriteDescriptions(EventFileWriter& writer) {
  for (const auto& [source, ids] : m_descriptionSources) {
    for (uint32_t id : ids) {
      writer.WriteTextField(u"ST", u"DS");
      writer.WriteTextField(u"ES", source);
      writer.WriteUnsignedField(u"EI", id & 0xFFFF);
      writer.WriteTextField(u"ED", u"", FieldForm::Escaped);
      writer.EndEntry();
    }
  }
}

}  // namespace cmr
