#include <gtest/gtest.h>

#include <cstring>

#include "platform/api/kernel.h"
#include "platform/api/security.h"
#include "tests/support/last_error.h"

namespace {

struct Parsed {
  BOOL ok;
  DWORD error;
  PSECURITY_DESCRIPTOR sd;
  ULONG size;
};

Parsed Parse(const char16_t* text) {
  Parsed p{};
  SetLastError(0);
  p.ok = ConvertStringSecurityDescriptorToSecurityDescriptorW(text, SDDL_REVISION_1, &p.sd, &p.size);
  p.error = GetLastError();
  return p;
}

const ACL* DaclOf(const Parsed& p) {
  auto* rel = static_cast<const SECURITY_DESCRIPTOR_RELATIVE*>(p.sd);
  return rel->Dacl ? reinterpret_cast<const ACL*>(static_cast<const BYTE*>(p.sd) + rel->Dacl) : nullptr;
}

const ACCESS_ALLOWED_ACE* AceAt(const ACL* acl, int index) {
  auto* at = reinterpret_cast<const BYTE*>(acl) + sizeof(ACL);
  for (int i = 0; i < index; ++i) at += reinterpret_cast<const ACE_HEADER*>(at)->AceSize;
  return reinterpret_cast<const ACCESS_ALLOWED_ACE*>(at);
}

TEST(Sddl, GenericAllToEveryoneBecomesASelfRelativeDescriptor) {
  Parsed p = Parse(u"D:(A;;GA;;;WD)");
  ASSERT_TRUE(p.ok);
  auto* rel = static_cast<const SECURITY_DESCRIPTOR_RELATIVE*>(p.sd);
  EXPECT_EQ(rel->Revision, SECURITY_DESCRIPTOR_REVISION);
  EXPECT_EQ(rel->Control, SE_SELF_RELATIVE | SE_DACL_PRESENT);
  EXPECT_EQ(rel->Owner, 0u);
  const ACL* dacl = DaclOf(p);
  ASSERT_NE(dacl, nullptr);
  EXPECT_EQ(dacl->AceCount, 1);
  EXPECT_EQ(dacl->AclSize, sizeof(ACL) + 8 + 12);
  EXPECT_EQ(p.size, sizeof(SECURITY_DESCRIPTOR_RELATIVE) + dacl->AclSize);
  const ACCESS_ALLOWED_ACE* ace = AceAt(dacl, 0);
  EXPECT_EQ(ace->Header.AceType, ACCESS_ALLOWED_ACE_TYPE);
  EXPECT_EQ(ace->Mask, static_cast<ACCESS_MASK>(GENERIC_ALL));
  PSID everyone = nullptr;
  ASSERT_TRUE(ConvertStringSidToSidW(u"S-1-1-0", &everyone));
  EXPECT_TRUE(EqualSid(const_cast<DWORD*>(&ace->SidStart), everyone));
  EXPECT_TRUE(IsValidSecurityDescriptor(p.sd));
  LocalFree(everyone);
  LocalFree(p.sd);
}

TEST(Sddl, OwnerGroupFlagsAndSeveralAces) {
  Parsed p = Parse(u"O:BAG:SYD:PAI(A;OICI;FA;;;SY)(D;;0x1F0003;;;S-1-5-7)S:(AU;FA;GA;;;WD)");
  ASSERT_TRUE(p.ok) << p.error;
  auto* rel = static_cast<const SECURITY_DESCRIPTOR_RELATIVE*>(p.sd);
  EXPECT_TRUE(rel->Control & SE_DACL_PROTECTED);
  EXPECT_TRUE(rel->Control & SE_DACL_AUTO_INHERITED);
  EXPECT_TRUE(rel->Control & SE_SACL_PRESENT);
  LPWSTR owner = nullptr;
  ASSERT_TRUE(ConvertSidToStringSidW(const_cast<BYTE*>(static_cast<const BYTE*>(p.sd) + rel->Owner), &owner));
  EXPECT_EQ(std::u16string(owner), u"S-1-5-32-544");
  const ACL* dacl = DaclOf(p);
  ASSERT_EQ(dacl->AceCount, 2);
  EXPECT_EQ(AceAt(dacl, 0)->Header.AceFlags, OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE);
  EXPECT_EQ(AceAt(dacl, 0)->Mask, 0x1F01FFu);
  EXPECT_EQ(AceAt(dacl, 1)->Header.AceType, ACCESS_DENIED_ACE_TYPE);
  EXPECT_EQ(AceAt(dacl, 1)->Mask, 0x1F0003u);
  LocalFree(owner);
  LocalFree(p.sd);
}

TEST(Sddl, MalformedTextFailsWithoutADescriptor) {
  EXPECT_EQ(Parse(u"D:(A;;GA;;;QQ)").error, static_cast<DWORD>(ERROR_NONE_MAPPED));
  for (const char16_t* bad : {u"D:(Z;;GA;;;WD)", u"D:(A;;GA;;WD)", u"D:(A;;GA;;;WD", u"D:(A;XX;GA;;;WD)",
                              u"D:(A;;GQ;;;WD)", u"X:(A;;GA;;;WD)", u"D", u"O:S-1-5-"}) {
    Parsed p = Parse(bad);
    EXPECT_FALSE(p.ok);
    EXPECT_EQ(p.error, static_cast<DWORD>(ERROR_INVALID_PARAMETER));
  }
  PSECURITY_DESCRIPTOR sd = nullptr;
  EXPECT_LAST_ERROR(ConvertStringSecurityDescriptorToSecurityDescriptorW(u"D:", 2, &sd, nullptr), FALSE,
                    ERROR_UNKNOWN_REVISION);
}

TEST(Sddl, AbsoluteDescriptorWithoutDacl) {
  SECURITY_DESCRIPTOR sd;
  std::memset(&sd, 0xCC, sizeof sd);
  ASSERT_TRUE(InitializeSecurityDescriptor(&sd, SECURITY_DESCRIPTOR_REVISION));
  EXPECT_EQ(sd.Control, 0);
  ASSERT_TRUE(SetSecurityDescriptorDacl(&sd, FALSE, nullptr, FALSE));
  EXPECT_EQ(sd.Control & SE_DACL_PRESENT, 0);
  ASSERT_TRUE(SetSecurityDescriptorDacl(&sd, TRUE, nullptr, FALSE));  // a NULL DACL: everyone allowed
  EXPECT_EQ(sd.Control & SE_DACL_PRESENT, SE_DACL_PRESENT);
  EXPECT_LAST_ERROR(InitializeSecurityDescriptor(&sd, 2), FALSE, ERROR_UNKNOWN_REVISION);
}

}  // namespace
