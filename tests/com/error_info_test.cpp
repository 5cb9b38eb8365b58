#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/api/oleauto.h"
#include "tests/com/counting_dispatch.h"
#include "tests/support/com_values.h"

namespace {

using comtest::SetThreadError;

// The thread's error object is taken once, cleared by NULL, and each
// thread has its own.
TEST(ErrorInfo, GetErrorInfoTakesTheThreadsObjectOnce) {
  SetThreadError(u"Filter not found");
  EXPECT_EQ(testsupport::TakeErrorDescription(), u"Filter not found");
  IErrorInfo* again = reinterpret_cast<IErrorInfo*>(1);
  EXPECT_EQ(GetErrorInfo(0, &again), S_FALSE);
  EXPECT_EQ(again, nullptr);
  SetThreadError(u"x");
  EXPECT_EQ(SetErrorInfo(0, nullptr), S_OK);
  EXPECT_EQ(GetErrorInfo(0, &again), S_FALSE);

  SetThreadError(u"main thread");
  HRESULT seen = E_FAIL;
  std::thread other([&] {
    IErrorInfo* info = nullptr;
    seen = GetErrorInfo(0, &info);
    SetThreadError(u"left behind at thread end");
  });
  other.join();
  EXPECT_EQ(seen, S_FALSE);
  EXPECT_EQ(testsupport::TakeErrorDescription(), u"main thread");
}

TEST(ErrorInfo, ObjectCarriesEveryField) {
  ICreateErrorInfo* create = nullptr;
  ASSERT_EQ(CreateErrorInfo(&create), S_OK);
  const GUID id = {0x12345678, 0x1234, 0x5678, {1, 2, 3, 4, 5, 6, 7, 8}};
  create->SetGUID(id);
  create->SetSource(const_cast<LPOLESTR>(u"EC"));
  create->SetHelpContext(42);
  IErrorInfo* info = nullptr;
  ASSERT_EQ(create->QueryInterface(IID_IErrorInfo, reinterpret_cast<void**>(&info)), S_OK);
  EXPECT_EQ(testsupport::Get(info, &IErrorInfo::GetGUID), id);
  EXPECT_EQ(testsupport::Get(info, &IErrorInfo::GetSource), u"EC");
  EXPECT_EQ(testsupport::Get(info, &IErrorInfo::GetDescription), u"<null>");  // never set
  EXPECT_EQ(testsupport::Get(info, &IErrorInfo::GetHelpContext), 42u);
  IUnknown *a = nullptr, *b = nullptr;  // both interfaces are one object
  create->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
  info->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b));
  EXPECT_EQ(a, b);
  for (IUnknown* p : {a, b, static_cast<IUnknown*>(info), static_cast<IUnknown*>(create)}) p->Release();
}

}  // namespace
