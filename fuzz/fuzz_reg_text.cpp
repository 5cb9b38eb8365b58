// Any bytes as a .reg text file (a machine folder's registry export, given by
// the user): the parser must not crash or read outside them, and what it
// accepts must come back the same after being written and parsed again.
#include <string_view>

#include "fuzz/fuzz_check.h"
#include "platform/formats/reg_text.h"

using namespace formats;

namespace {

bool SameValue(const RegTextValue& a, const RegTextValue& b) {
  return a.name == b.name && a.remove == b.remove && (a.remove || (a.type == b.type && a.data == b.data));
}

bool SameKey(const RegTextKey& a, const RegTextKey& b) {
  if (a.path != b.path || a.remove != b.remove || a.values.size() != b.values.size()) return false;
  for (size_t i = 0; i < a.values.size(); ++i)
    if (!SameValue(a.values[i], b.values[i])) return false;
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<RegTextKey> keys;
  std::string error;
  if (!ParseRegText(std::string_view(reinterpret_cast<const char*>(data), size), &keys, &error)) {
    Check(!error.empty());  // a refusal always says why
    return 0;
  }
  std::vector<RegTextKey> back;
  Check(ParseRegText(WriteRegText(keys), &back, &error));
  Check(back.size() == keys.size());
  for (size_t i = 0; i < keys.size(); ++i) Check(SameKey(keys[i], back[i]));
  return 0;
}
