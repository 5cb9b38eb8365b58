// A fixture that starts every test from a fresh host: one local computer,
// no injected faults.
#pragma once

#include <gtest/gtest.h>

#include "platform/host/faults/faults.h"
#include "platform/host/host.h"

namespace testsupport {

class FreshHost : public ::testing::Test {
 protected:
  void SetUp() override {
    host::Host::Get().Reset();
    host::ClearFaults();
  }
  void TearDown() override { host::ClearFaults(); }

  host::Computer& Local() { return host::Host::Get().Local(); }
};

}  // namespace testsupport
