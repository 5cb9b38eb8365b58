// The C runtime's pseudo-random numbers as the component has them on
// Windows: rand() gives 0..32767 and every thread keeps its own generator,
// which starts as if seeded with 1 until the thread calls srand. Called
// qualified, crt::rand() and crt::srand(seed), so that on Linux the C
// library's rand (0..2^31-1, one generator per process) is never reached.
#pragma once

#ifdef _WIN32
#include <cstdlib>

namespace crt {
using ::rand;
using ::srand;
}  // namespace crt
#else

namespace crt {
int rand();
void srand(unsigned seed);
}  // namespace crt

#endif  // _WIN32

namespace crt {
// The largest value of rand() (the Windows RAND_MAX).
inline constexpr int kRandMax = 0x7FFF;
}  // namespace crt
