#include "collect/log_collector.h"

namespace cmr {

LogCollector::LogCollector(const CollectorSettings& config, const CEventFilter& filter, const CollectorOptions& options)
    : m_config(config), m_filter(filter), m_options(options) {}

LogCollector::~LogCollector() = default;

std::shared_ptr<CSidCache::SidInfo> LogCollector::LookupSidText(const std::u16string& text) {
  return m_sidCache.LookupText(text);
}

std::u16string LogCollector::ResolveHostName(const std::u16string& name) { return m_hostCache.Resolve(name); }

void LogCollector::NoteDescriptionSource(const std::u16string& source, uint32_t eventId) {
  m_descriptionSources[source].insert(eventId);
}

}  // namespace cmr
