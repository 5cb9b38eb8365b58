// Any bytes as a task configuration document, as a text and as a file:
// loading either succeeds or throws; what loads is saved, and the saved text
// loads again to itself.
#include <string_view>

#include "base/text.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_scratch_file.h"
#include "task/task_event_log.h"

namespace {

void CheckSavedTextLoadsToItself(const cmr::CTaskEventLog& config) {
  const std::u16string saved = config.SaveToString();
  cmr::CTaskEventLog again;
  again.LoadFromString(saved);  // throwing here is a finding
  Check(again.SaveToString() == saved);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ScratchFile file;
  const std::u16string text = cmr::Utf8ToUtf16(std::string_view(reinterpret_cast<const char*>(data), size));
  cmr::CTaskEventLog config;
  if (Loads([&] { config.LoadFromString(text); })) CheckSavedTextLoadsToItself(config);
  const std::u16string path = file.Write(data, size);
  cmr::CTaskEventLog fromFile;
  if (Loads([&] { fromFile.LoadFromFile(path); })) CheckSavedTextLoadsToItself(fromFile);
  return 0;
}
