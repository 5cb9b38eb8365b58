#include <gtest/gtest.h>

#include "tests/support/child_process.h"

int main(int argc, char** argv) {
  ::testing::InitGoogleTest(&argc, argv);
  // A test may start this program again as a second process (see
  // child_process.h); such a child runs one role and exits.
  if (int rc = 0; testsupport::RunChildRoleIfAsked(argc, argv, &rc)) return rc;
  return RUN_ALL_TESTS();
}
