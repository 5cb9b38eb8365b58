// Audit policy requirements as the audit command takes them:
// CATEGORY[:FLAGS], the category a number or a name, the flags a number or
// success, failure or both.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tool {

struct AuditRequirement {
  int32_t category = 0;
  int32_t flags = 1;
};

// The requirements of the texts; with no text, every category's successes
// and its failures. False with `error` naming a text that is neither form.
bool ParseAuditRequirements(const std::vector<std::string>& texts, std::vector<AuditRequirement>* out,
                            std::string* error);

}  // namespace tool
