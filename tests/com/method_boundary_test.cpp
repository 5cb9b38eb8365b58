#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <stdexcept>
#include <string>

#include "base/com/method_boundary.h"
#include "base/com/object.h"
#include "base/exceptions.h"
#include "com/EventCollector_h.h"
#include "tests/support/com_values.h"

namespace {

// Throws what the test sets, from its constructor or from get_Name, inside
// the boundary as the component's methods do.
std::function<void()> gThrow;

class ThrowingLog : public com::Object<IECEventLog, com::ErrorInfoSupport<IECEventLog>> {
 public:
  ThrowingLog() {
    if (gThrow) gThrow();
  }
  HRESULT STDMETHODCALLTYPE get_Name(BSTR* name) override {
    return com::Guarded([&] {
      gThrow();
      return com::ReturnBstr(u"unreached", name);
    });
  }
  HRESULT STDMETHODCALLTYPE put_Name(BSTR) override {
    return com::Guarded(
        [&] {
          gThrow();
          return S_OK;
        },
        &cmr::ReportTaskError);
  }
};

using testsupport::TakeErrorObject;

struct Case {
  const char* kind;
  std::function<void()> thrower;
  HRESULT hr;
  bool errorObject;
  std::u16string description;
};

std::vector<Case> Cases() {
  cmr::Win32Exception denied(ERROR_ACCESS_DENIED, u"Opening the log");
  return {
      {"cmr::Win32Exception", [] { throw cmr::Win32Exception(ERROR_ACCESS_DENIED, u"Opening the log"); }, E_FAIL, true,
       denied.FullText()},
      {"cmr::ComError", [] { throw cmr::ComError(E_INVALIDARG, u"Index 0"); }, E_INVALIDARG, true, u"Index 0"},
      {"cmr::ComError with a success code", [] { throw cmr::ComError(S_FALSE, u"odd"); }, E_FAIL, true, u"odd"},
      {"std::bad_alloc", [] { throw std::bad_alloc(); }, E_OUTOFMEMORY, false, u""},
      {"std::exception", [] { throw std::runtime_error("Invalid EventID filter"); }, E_FAIL, true,
       u"Invalid EventID filter"},
      {"a non-std throw", [] { throw 42; }, E_FAIL, true, com::kUnknownFailureText},
  };
}

class MethodBoundary : public ::testing::Test {
 protected:
  void SetUp() override { TakeErrorObject(); }
  void TearDown() override { gThrow = nullptr; }
};

// Every failure of a method becomes its result and error object; thrown
// from a constructor, it fails the creation the same way.
TEST_F(MethodBoundary, EveryFailureOfAMethodOrConstructorBecomesItsResultAndErrorObject) {
  auto log = com::MakeObject<ThrowingLog>();
  for (const auto& c : Cases()) {
    SCOPED_TRACE(c.kind);
    gThrow = c.thrower;
    BSTR name = nullptr;
    EXPECT_EQ(log->get_Name(&name), c.hr);
    EXPECT_EQ(name, nullptr);
    testsupport::ErrorObject error = TakeErrorObject();
    EXPECT_EQ(error.present, c.errorObject);
    EXPECT_EQ(error.description, c.description);
    IECEventLog* created = reinterpret_cast<IECEventLog*>(1);
    EXPECT_EQ(com::CreateObject<ThrowingLog>(IID_IECEventLog, reinterpret_cast<void**>(&created)), c.hr);
    EXPECT_EQ(created, nullptr);
    EXPECT_EQ(TakeErrorObject().description, c.description);
  }
}

TEST_F(MethodBoundary, TheTaskReporterMarksItsErrorObjects) {
  auto log = com::MakeObject<ThrowingLog>();
  gThrow = [] { throw cmr::Win32Exception(ERROR_FILE_NOT_FOUND); };
  EXPECT_EQ(log->put_Name(nullptr), E_FAIL);
  testsupport::ErrorObject error = TakeErrorObject();
  EXPECT_EQ(error.source, u"EC");
  EXPECT_EQ(error.description, cmr::Win32Exception(ERROR_FILE_NOT_FOUND).FullText());
}

}  // namespace
