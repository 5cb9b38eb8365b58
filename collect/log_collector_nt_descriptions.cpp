// LogCollectorNt: the SID lookups of the record dumps, the %%n references of
// insertion strings and the description file's entries, whose texts come
// from the sources' message files.
#include "collect/log_collector_nt.h"

namespace cmr {

std::shared_ptr<CSidCache::SidInfo> LogCollectorNt::LookupSidText(const std::u16string& text) {
  return reader_.SidCache().LookupText(text);
}

std::u16string LogCollectorNt::ExpandParameters(const std::u16string& source, const std::u16string& text) {
  return descriptions_.ExpandParameters(source, text);
}

void LogCollectorNt::WriteDescriptions(EventFileWriter& writer) {
  for (const auto& [source, ids] : m_descriptionSources) {
    for (uint32_t id : ids) descriptions_.WriteDescription(writer, source, id);
  }
}

}  // namespace cmr
