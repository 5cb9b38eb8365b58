// Any bytes as a .evtx file: the reader must not crash or read outside them,
// every record it yields must render, and what it yields must survive being
// written and read again (fuzz/evtx_round_trip.h).
#include "fuzz/evtx_round_trip.h"
#include "fuzz/fuzz_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  Check(fuzzcheck::EvtxRoundTripProblem(std::span<const uint8_t>(data, size)).empty());
  return 0;
}
