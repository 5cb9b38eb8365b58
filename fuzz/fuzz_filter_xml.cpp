// Any bytes as a filter document, as a text and as a file: loading either
// succeeds or throws; what loads is saved, and the saved text loads again to
// itself.
#include <string>

#include "base/text.h"
#include "filter/event_filter.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/fuzz_scratch_file.h"

namespace {

void CheckSavedTextLoadsToItself(const cmr::CEventFilter& filter) {
  const std::string saved = cmr::Utf16ToUtf8(filter.ToString());
  cmr::CEventFilter again;
  again.LoadFromString(saved.c_str());  // throwing here is a finding
  Check(cmr::Utf16ToUtf8(again.ToString()) == saved);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static ScratchFile file;
  const std::string text(reinterpret_cast<const char*>(data), size);
  cmr::CEventFilter filter;
  if (Loads([&] { filter.LoadFromString(text.c_str()); })) CheckSavedTextLoadsToItself(filter);
  const std::u16string path = file.Write(data, size);
  cmr::CEventFilter fromFile;
  if (Loads([&] { fromFile.LoadFromFile(path); })) CheckSavedTextLoadsToItself(fromFile);
  return 0;
}
