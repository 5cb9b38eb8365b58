// The fuzz targets' checks: a broken property aborts, so the fuzzer keeps
// the input that broke it; a load that refuses its input is no finding.
#pragma once

#include <cstdlib>
#include <stdexcept>

inline void Check(bool condition) {
  if (!condition) std::abort();
}

// True when `load` returns, false when it refuses its input with an
// exception; anything else it throws is a finding.
template <typename Load>
bool Loads(Load load) {
  try {
    load();
    return true;
  } catch (const std::exception&) {
    return false;
  }
}
