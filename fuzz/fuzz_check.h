// The fuzz targets' assertion: a broken property aborts, so the fuzzer keeps
// the input that broke it.
#pragma once

#include <cstdlib>

inline void Check(bool condition) {
  if (!condition) std::abort();
}
