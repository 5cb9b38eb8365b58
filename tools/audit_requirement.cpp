#include "tools/audit_requirement.h"

#include <iterator>

#include "tools/options.h"

namespace tool {
namespace {

constexpr const char* kCategoryNames[] = {"system",
                                          "logon",
                                          "object-access",
                                          "privilege-use",
                                          "detailed-tracking",
                                          "policy-change",
                                          "account-management",
                                          "ds-access",
                                          "account-logon"};

bool ParseCategory(const std::string& text, int32_t* category) {
  for (size_t i = 0; i < std::size(kCategoryNames); ++i) {
    if (text == kCategoryNames[i]) {
      *category = static_cast<int32_t>(i);
      return true;
    }
  }
  return ParseSignedNumber(text, category);
}

bool ParseFlags(const std::string& text, int32_t* flags) {
  if (text == "success") return *flags = 1, true;
  if (text == "failure") return *flags = 2, true;
  if (text == "both") return *flags = 3, true;
  return ParseSignedNumber(text, flags);
}

}  // namespace

bool ParseAuditRequirements(const std::vector<std::string>& texts, std::vector<AuditRequirement>* out,
                            std::string* error) {
  out->clear();
  if (texts.empty()) {
    for (int32_t c = 0; c < static_cast<int32_t>(std::size(kCategoryNames)); ++c) {
      out->push_back({c, 1});
      out->push_back({c, 2});
    }
    return true;
  }
  for (const std::string& text : texts) {
    size_t colon = text.find(':');
    AuditRequirement r;
    if (!ParseCategory(text.substr(0, colon), &r.category) ||
        (colon != std::string::npos && !ParseFlags(text.substr(colon + 1), &r.flags))) {
      *error = "'" + text + "' is not CATEGORY[:FLAGS]";
      return false;
    }
    out->push_back(r);
  }
  return true;
}

}  // namespace tool
