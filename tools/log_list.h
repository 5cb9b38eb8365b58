// The log list of a "*" run shown to people: an aligned table, or one JSON
// object per log.
#pragma once

#include <vector>

#include "tools/task_client.h"

namespace tool {

void PrintLogTable(const std::vector<LogRow>& logs);
void PrintLogJson(const std::vector<LogRow>& logs);

// "classic" (1), "wevt" (2), else the number.
std::string ApiName(int32_t api);

}  // namespace tool
