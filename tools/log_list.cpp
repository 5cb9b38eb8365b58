#include "tools/log_list.h"

#include <cstdio>

#include "base/output_text.h"
#include "base/text.h"
#include "tools/table.h"

namespace tool {

std::string ApiName(int32_t api) {
  if (api == 1) return "classic";
  if (api == 2) return "wevt";
  return std::to_string(api);
}

void PrintLogTable(const std::vector<LogRow>& logs) {
  std::vector<TableRow> rows;
  for (const auto& log : logs) {
    std::string display = cmr::Utf16ToUtf8(log.displayName);
    rows.push_back({cmr::Utf16ToUtf8(log.name), display.empty() ? "-" : display, ApiName(log.api), ApiName(log.apiUsed),
                    log.enabled ? "yes" : "no", std::to_string(log.records)});
  }
  PrintTable(stdout, {"NAME", "DISPLAY NAME", "API", "USED", "ENABLED", "RECORDS"}, rows, {5});
  std::printf("%zu log%s\n", logs.size(), logs.size() == 1 ? "" : "s");
}

void PrintLogJson(const std::vector<LogRow>& logs) {
  for (const auto& log : logs) {
    std::printf("{\"Name\":%s,\"DisplayName\":%s,\"API\":%d,\"APIUsed\":%d,\"Enabled\":%s,\"NumOfRecords\":%llu}\n",
                cmr::JsonString(log.name).c_str(), cmr::JsonString(log.displayName).c_str(), log.api, log.apiUsed,
                log.enabled ? "true" : "false", static_cast<unsigned long long>(log.records));
  }
}

}  // namespace tool
