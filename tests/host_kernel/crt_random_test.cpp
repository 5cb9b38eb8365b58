// rand/srand as the Windows C runtime has them: the same numbers for a seed,
// the 0..32767 range, and one generator per thread.
#include <gtest/gtest.h>

#include <algorithm>
#include <thread>
#include <vector>

#include "platform/api/crt_random.h"

namespace {

std::vector<int> Draw(size_t n) {
  std::vector<int> out;
  for (size_t i = 0; i < n; ++i) out.push_back(crt::rand());
  return out;
}

TEST(CrtRandom, GivesTheWindowsSequenceForASeed) {
  struct Case {
    unsigned seed;
    std::vector<int> first;
  };
  const Case cases[] = {
      {1, {41, 18467, 6334, 26500, 19169}},
      {0, {38, 7719, 21238, 2437, 8855}},
      {12345, {7584, 19164, 25795, 22125, 5828}},
  };
  for (const Case& c : cases) {
    crt::srand(c.seed);
    EXPECT_EQ(Draw(c.first.size()), c.first) << "seed " << c.seed;
  }
}

TEST(CrtRandom, StaysInTheWindowsRange) {
  crt::srand(0xFFFFFFFFu);
  const std::vector<int> draws = Draw(100000);
  const auto [lowest, highest] = std::minmax_element(draws.begin(), draws.end());
  EXPECT_GE(*lowest, 0);
  EXPECT_LE(*highest, crt::kRandMax);
  EXPECT_GT(*highest, 32000);  // the whole range is used, not a part of it
}

TEST(CrtRandom, EachThreadHasItsOwnGeneratorStartingAtSeedOne) {
  crt::srand(777);
  const std::vector<int> mine = Draw(3);
  std::vector<int> other;
  std::thread([&] { other = Draw(3); }).join();
  EXPECT_EQ(other, (std::vector<int>{41, 18467, 6334}));
  crt::srand(777);
  EXPECT_EQ(Draw(3), mine);  // the other thread's draws did not move this one
}

}  // namespace
