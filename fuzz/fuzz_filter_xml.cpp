// Any bytes as a filter document: loading either succeeds or throws; what
// loads is saved, and the saved text loads again to itself.
#include <string>

#include "base/text.h"
#include "filter/event_filter.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  cmr::CEventFilter filter;
  try {
    filter.LoadFromString(text.c_str());
  } catch (const std::exception&) {
    return 0;
  }
  const std::string saved = cmr::Utf16ToUtf8(filter.ToString());
  cmr::CEventFilter again;
  again.LoadFromString(saved.c_str());  // throwing here is a finding
  Check(cmr::Utf16ToUtf8(again.ToString()) == saved);
  return 0;
}
