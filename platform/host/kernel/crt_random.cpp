// rand and srand with the Windows C runtime's generator: a linear
// congruential generator per thread, x = x * 214013 + 2531011, giving bits
// 16..30 of the new state.
#include "platform/api/crt_random.h"

#include <cstdint>

namespace crt {
namespace {

thread_local uint32_t g_state = 1;

}  // namespace

int rand() {
  g_state = g_state * 214013u + 2531011u;
  return static_cast<int>((g_state >> 16) & kRandMax);
}

void srand(unsigned seed) { g_state = seed; }

}  // namespace crt
