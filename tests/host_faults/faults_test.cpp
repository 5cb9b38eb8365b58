// Fault injection: failing a named call at its n-th use, failing the n-th
// platform call of any name (and telling which call that was), the COM-style
// calls answering with HRESULTs, and counts that hold under threads.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/api/com.h"
#include "platform/api/errors.h"
#include "platform/api/kernel.h"
#include "platform/api/oleauto.h"
#include "platform/host/faults/faults.h"
#include "tests/support/fresh_host.h"

namespace {

class Faults : public testsupport::FreshHost {
 protected:
  // Three calls of two names; true for each call that succeeded.
  static std::vector<bool> Scenario() {
    char16_t buffer[64];
    return {SetEnvironmentVariableW(u"EC_FAULT_TEST", u"x") != FALSE,
            GetEnvironmentVariableW(u"EC_FAULT_TEST", buffer, 64) == 1,
            SetEnvironmentVariableW(u"EC_FAULT_TEST", nullptr) != FALSE};
  }
};

TEST_F(Faults, NamedCallFailsAtItsNthUseForCountCalls) {
  host::InjectFault("SetEnvironmentVariableW", 2, ERROR_ACCESS_DENIED);
  EXPECT_EQ(Scenario(), (std::vector<bool>{true, true, false}));
  EXPECT_EQ(GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
  EXPECT_EQ(host::CallCount("SetEnvironmentVariableW"), 2u);
  EXPECT_EQ(host::CallCount("GetEnvironmentVariableW"), 1u);

  host::ClearFaults();
  EXPECT_EQ(host::CallCount("SetEnvironmentVariableW"), 0u);
  // The failed removal above left the variable set.
  ASSERT_NE(SetEnvironmentVariableW(u"EC_FAULT_TEST", nullptr), FALSE);
  host::InjectFault("SetEnvironmentVariableW", 1, ERROR_ACCESS_DENIED, 2);
  EXPECT_EQ(Scenario(), (std::vector<bool>{false, false, false}));  // the read finds nothing set
  EXPECT_EQ(Scenario(), (std::vector<bool>{true, true, true}));
}

TEST_F(Faults, CallNumbersCountEveryNameAndNameTheCall) {
  host::RecordCallNames();
  EXPECT_EQ(Scenario(), (std::vector<bool>{true, true, true}));
  const unsigned long long clean = host::TotalCallCount();
  ASSERT_EQ(clean, 3u);
  std::vector<std::string> names;
  for (unsigned long long k = 0; k <= 4; ++k) names.push_back(host::CallName(k));
  EXPECT_EQ(names, (std::vector<std::string>{"", "SetEnvironmentVariableW", "GetEnvironmentVariableW",
                                             "SetEnvironmentVariableW", ""}));

  // The sweep: each call in turn fails, and only that one (a failed first
  // set leaves nothing for the read to find).
  const std::vector<bool> expected[] = {{false, false, true}, {true, false, true}, {true, true, false}};
  for (unsigned long long k = 1; k <= clean; ++k) {
    host::ClearFaults();
    host::FailCallNumber(k, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(Scenario(), expected[k - 1]) << "call " << k;
    EXPECT_EQ(host::TotalCallCount(), clean);
  }
  host::ClearFaults();
  EXPECT_EQ(host::TotalCallCount(), 0u);
  EXPECT_EQ(host::CallName(1), "");  // recording ends with ClearFaults
}

TEST_F(Faults, ComStyleCallsAnswerWithTheInjectedHResult) {
  VARIANT source{};
  source.vt = VT_I4;
  source.lVal = 7;
  SAFEARRAY* array = SafeArrayCreateVector(VT_I4, 0, 2);
  ASSERT_NE(array, nullptr);
  // Where the calls would put what they give; every call below fails.
  VARIANT target{};
  SAFEARRAY* copy = nullptr;
  LONG index = 0, bound = 0, element = 1;
  void* data = nullptr;
  VARTYPE vt = VT_EMPTY;
  GUID guid{};
  struct Case {
    const char* call;
    std::function<HRESULT()> run;
  };
  const Case cases[] = {
      {"VariantCopy", [&] { return VariantCopy(&target, &source); }},
      {"VariantCopyInd", [&] { return VariantCopyInd(&target, &source); }},
      {"VariantChangeTypeEx", [&] { return VariantChangeTypeEx(&target, &source, 0, 0, VT_I8); }},
      {"SafeArrayGetVartype", [&] { return SafeArrayGetVartype(array, &vt); }},
      {"SafeArrayGetLBound", [&] { return SafeArrayGetLBound(array, 1, &bound); }},
      {"SafeArrayGetUBound", [&] { return SafeArrayGetUBound(array, 1, &bound); }},
      {"SafeArrayLock", [&] { return SafeArrayLock(array); }},
      {"SafeArrayAccessData", [&] { return SafeArrayAccessData(array, &data); }},
      {"SafeArrayGetElement", [&] { return SafeArrayGetElement(array, &index, &element); }},
      {"SafeArrayPutElement", [&] { return SafeArrayPutElement(array, &index, &element); }},
      {"SafeArrayCopy", [&] { return SafeArrayCopy(array, &copy); }},
      {"CoCreateGuid", [&] { return CoCreateGuid(&guid); }},
  };
  for (const Case& c : cases) {
    host::InjectFault(c.call, 1, ERROR_NOT_ENOUGH_MEMORY);
    EXPECT_EQ(c.run(), E_OUTOFMEMORY) << c.call;
    host::InjectFault(c.call, 1, ERROR_ACCESS_DENIED);
    EXPECT_EQ(c.run(), HRESULT_FROM_WIN32(ERROR_ACCESS_DENIED)) << c.call;
    host::InjectFault(c.call, 1, static_cast<DWORD>(DISP_E_BADINDEX));
    EXPECT_EQ(c.run(), DISP_E_BADINDEX) << c.call;
    EXPECT_EQ(host::CallCount(c.call), 3u) << c.call;
  }
  host::InjectFault("SafeArrayCreate", 1, ERROR_NOT_ENOUGH_MEMORY);
  EXPECT_EQ(SafeArrayCreateVector(VT_I4, 0, 2), nullptr);
  EXPECT_EQ(SafeArrayDestroy(array), S_OK);  // never locked: every lock above failed
}

TEST_F(Faults, CountsHoldWhenThreadsCallAtOnce) {
  constexpr int kThreads = 4, kCalls = 2000;
  std::vector<std::thread> threads;
  for (int t = 0; t < kThreads; ++t)
    threads.emplace_back([] {
      char16_t buffer[8];
      for (int i = 0; i < kCalls; ++i) GetEnvironmentVariableW(u"EC_NOT_SET", buffer, 8);
    });
  for (auto& t : threads) t.join();
  EXPECT_EQ(host::CallCount("GetEnvironmentVariableW"), static_cast<unsigned>(kThreads * kCalls));
  EXPECT_EQ(host::TotalCallCount(), static_cast<unsigned long long>(kThreads * kCalls));
}

}  // namespace
