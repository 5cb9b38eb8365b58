#include <gtest/gtest.h>

#include <string>
#include <thread>

#include "platform/api/oleauto.h"
#include "tests/com/counting_dispatch.h"

namespace {

using comtest::SetThreadError;

std::u16string Description(IErrorInfo* info) {
  BSTR text = nullptr;
  EXPECT_EQ(info->GetDescription(&text), S_OK);
  std::u16string result(text ? text : u"", SysStringLen(text));
  SysFreeString(text);
  return result;
}

TEST(ErrorInfo, GetErrorInfoTakesTheObjectOnce) {
  SetThreadError(u"Filter not found");
  IErrorInfo* info = nullptr;
  ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
  ASSERT_NE(info, nullptr);
  EXPECT_EQ(Description(info), u"Filter not found");
  info->Release();

  IErrorInfo* again = reinterpret_cast<IErrorInfo*>(1);
  EXPECT_EQ(GetErrorInfo(0, &again), S_FALSE);
  EXPECT_EQ(again, nullptr);
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
  GUID got{};
  EXPECT_EQ(info->GetGUID(&got), S_OK);
  EXPECT_EQ(got, id);
  BSTR source = nullptr;
  EXPECT_EQ(info->GetSource(&source), S_OK);
  EXPECT_EQ(std::u16string(source), u"EC");
  SysFreeString(source);
  BSTR description = reinterpret_cast<BSTR>(1);
  EXPECT_EQ(info->GetDescription(&description), S_OK);
  EXPECT_EQ(description, nullptr);  // never set
  DWORD context = 0;
  EXPECT_EQ(info->GetHelpContext(&context), S_OK);
  EXPECT_EQ(context, 42u);
  // Both interfaces are one object.
  IUnknown* a = nullptr;
  IUnknown* b = nullptr;
  create->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&a));
  info->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&b));
  EXPECT_EQ(a, b);
  a->Release();
  b->Release();
  info->Release();
  create->Release();
}

TEST(ErrorInfo, EachThreadHasItsOwnObject) {
  SetThreadError(u"main thread");
  HRESULT seen = E_FAIL;
  std::u16string otherText;
  std::thread other([&] {
    IErrorInfo* info = nullptr;
    seen = GetErrorInfo(0, &info);
    SetThreadError(u"left behind at thread end");
  });
  other.join();
  EXPECT_EQ(seen, S_FALSE);
  IErrorInfo* info = nullptr;
  ASSERT_EQ(GetErrorInfo(0, &info), S_OK);
  EXPECT_EQ(Description(info), u"main thread");
  info->Release();
}

TEST(ErrorInfo, SettingNullClearsTheSlot) {
  SetThreadError(u"x");
  EXPECT_EQ(SetErrorInfo(0, nullptr), S_OK);
  IErrorInfo* info = nullptr;
  EXPECT_EQ(GetErrorInfo(0, &info), S_FALSE);
}

}  // namespace
