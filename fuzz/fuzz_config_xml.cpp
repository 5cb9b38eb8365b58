// Any bytes as a task configuration document: loading either succeeds or
// throws; what loads is saved, and the saved text loads again to itself.
#include <string_view>

#include "base/text.h"
#include "fuzz/fuzz_check.h"
#include "task/task_event_log.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::u16string text = cmr::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
  cmr::CTaskEventLog config;
  try {
    config.LoadFromString(text);
  } catch (const std::exception&) {
    return 0;
  }
  const std::u16string saved = config.SaveToString();
  cmr::CTaskEventLog again;
  again.LoadFromString(saved);  // throwing here is a finding
  Check(again.SaveToString() == saved);
  return 0;
}
