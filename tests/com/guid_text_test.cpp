#include <gtest/gtest.h>

#include <string>

#include "platform/api/com.h"

namespace {

TEST(GuidText, RoundTripsAndMalformedTextIsRejected) {
  const GUID id = {0x1CF2B120, 0x547D, 0x101B, {0x8E, 0x65, 0x08, 0x00, 0x2B, 0x2B, 0xD1, 0x19}};
  WCHAR text[39];
  ASSERT_EQ(StringFromGUID2(id, text, 39), 39);
  EXPECT_EQ(std::u16string(text), u"{1CF2B120-547D-101B-8E65-08002B2BD119}");
  EXPECT_EQ(StringFromGUID2(id, text, 38), 0);  // no room for the null
  GUID back{};
  ASSERT_EQ(CLSIDFromString(u"{1cf2b120-547d-101b-8e65-08002b2bd119}", &back), S_OK);
  EXPECT_EQ(back, id);
  EXPECT_EQ(IIDFromString(u"{1CF2B120-547D-101B-8E65-08002B2BD119}", &back), S_OK);
  EXPECT_EQ(back, id);
  EXPECT_EQ(CLSIDFromString(u"{1CF2B120-547D-101B-8E65-08002B2BD11}", &back), CO_E_CLASSSTRING);
  EXPECT_EQ(CLSIDFromString(u"{1CF2B120-547D-101B-8E65-08002B2BD1190}", &back), CO_E_CLASSSTRING);
  EXPECT_EQ(IIDFromString(u"{1CF2B120x547D-101B-8E65-08002B2BD119}", &back), E_INVALIDARG);
  EXPECT_EQ(IIDFromString(u"{1CF2B120-547D-101B-8E65-08002B2BD1G9}", &back), E_INVALIDARG);
  // __uuidof finds the declared IID.
  EXPECT_EQ(__uuidof(IUnknown), IID_IUnknown);
  EXPECT_EQ(__uuidof(IClassFactory), IID_IClassFactory);
  IUnknown* p = nullptr;
  EXPECT_EQ(__uuidof(p), IID_IUnknown);
}

}  // namespace
