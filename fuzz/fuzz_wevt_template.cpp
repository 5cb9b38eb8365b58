// Any bytes as the event manifest resource of a provider's resource file:
// the reader must not crash, read outside the bytes or grow without bound,
// and what it reads must come back the same through the writer.
#include "fuzz/fuzz_check.h"
#include "platform/formats/wevt_template.h"

using namespace formats;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<WevtProvider> providers;
  std::string problem;
  if (!ReadWevtTemplate(std::span<const uint8_t>(data, size), &providers, &problem)) {
    Check(!problem.empty());
    return 0;
  }
  const std::vector<uint8_t> written = WriteWevtTemplate(providers);
  std::vector<WevtProvider> again;
  Check(ReadWevtTemplate(written, &again, &problem));
  Check(again == providers);
  return 0;
}
