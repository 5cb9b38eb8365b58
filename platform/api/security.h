// Security identifiers, the Local Security Authority and security
// descriptors (advapi32): SID conversion and copying, LsaOpenPolicy,
// LsaLookupSids, LsaQueryInformationPolicy for the audit policy, SDDL.
// On Linux the host answers them from the accounts and audit policy of each
// simulated computer (platform/host/security/accounts.h).
#pragma once

#include "platform/api/errors.h"
#include "platform/api/types.h"

#ifdef _WIN32
#include "platform/mingw/security.h"
#else

// --- SIDs -----------------------------------------------------------------

struct SID_IDENTIFIER_AUTHORITY {
  BYTE Value[6];  // big-endian 48-bit authority
};
typedef SID_IDENTIFIER_AUTHORITY* PSID_IDENTIFIER_AUTHORITY;

// The binary layout of a SID: 8 bytes of header, then SubAuthorityCount
// little-endian 32-bit sub-authorities. A SID is 8 + 4 * count bytes.
struct SID {
  BYTE Revision;  // SID_REVISION
  BYTE SubAuthorityCount;
  SID_IDENTIFIER_AUTHORITY IdentifierAuthority;
  DWORD SubAuthority[1];  // SubAuthorityCount entries
};
typedef PVOID PSID;

#define SID_REVISION 1
#define SID_MAX_SUB_AUTHORITIES 15
#define SECURITY_MAX_SID_SIZE (8 + 4 * SID_MAX_SUB_AUTHORITIES)

enum SID_NAME_USE {
  SidTypeUser = 1,
  SidTypeGroup,
  SidTypeDomain,
  SidTypeAlias,
  SidTypeWellKnownGroup,
  SidTypeDeletedAccount,
  SidTypeInvalid,
  SidTypeUnknown,
  SidTypeComputer,
  SidTypeLabel,
  SidTypeLogonSession
};
typedef SID_NAME_USE* PSID_NAME_USE;

// String form "S-1-5-21-...", allocated with LocalAlloc (free with LocalFree).
BOOL ConvertSidToStringSidW(PSID sid, LPWSTR* stringSid);
// Binary SID from its string form or an SDDL abbreviation ("BA", "WD", ...),
// allocated with LocalAlloc. Invalid text fails with ERROR_INVALID_SID.
BOOL ConvertStringSidToSidW(LPCWSTR stringSid, PSID* sid);
BOOL IsValidSid(PSID sid);
DWORD GetLengthSid(PSID sid);
BOOL CopySid(DWORD destinationLength, PSID destination, PSID source);
BOOL EqualSid(PSID a, PSID b);

// --- The Local Security Authority ------------------------------------------

typedef PVOID LSA_HANDLE;
typedef LSA_HANDLE* PLSA_HANDLE;

struct LSA_UNICODE_STRING {
  USHORT Length;         // bytes, without a terminating NUL
  USHORT MaximumLength;  // bytes
  PWSTR Buffer;          // not necessarily NUL-terminated
};
typedef LSA_UNICODE_STRING* PLSA_UNICODE_STRING;

struct LSA_OBJECT_ATTRIBUTES {
  ULONG Length;
  HANDLE RootDirectory;
  PLSA_UNICODE_STRING ObjectName;
  ULONG Attributes;
  PVOID SecurityDescriptor;
  PVOID SecurityQualityOfService;
};
typedef LSA_OBJECT_ATTRIBUTES* PLSA_OBJECT_ATTRIBUTES;

struct LSA_TRUST_INFORMATION {
  LSA_UNICODE_STRING Name;
  PSID Sid;
};
typedef LSA_TRUST_INFORMATION* PLSA_TRUST_INFORMATION;

struct LSA_REFERENCED_DOMAIN_LIST {
  ULONG Entries;
  PLSA_TRUST_INFORMATION Domains;
};
typedef LSA_REFERENCED_DOMAIN_LIST* PLSA_REFERENCED_DOMAIN_LIST;

struct LSA_TRANSLATED_NAME {
  SID_NAME_USE Use;
  LSA_UNICODE_STRING Name;
  LONG DomainIndex;  // into the referenced domain list; -1 when none
};
typedef LSA_TRANSLATED_NAME* PLSA_TRANSLATED_NAME;

// Access rights of LsaOpenPolicy.
#define POLICY_VIEW_LOCAL_INFORMATION 0x00000001L
#define POLICY_VIEW_AUDIT_INFORMATION 0x00000002L
#define POLICY_GET_PRIVATE_INFORMATION 0x00000004L
#define POLICY_TRUST_ADMIN 0x00000008L
#define POLICY_CREATE_ACCOUNT 0x00000010L
#define POLICY_CREATE_SECRET 0x00000020L
#define POLICY_CREATE_PRIVILEGE 0x00000040L
#define POLICY_SET_DEFAULT_QUOTA_LIMITS 0x00000080L
#define POLICY_SET_AUDIT_REQUIREMENTS 0x00000100L
#define POLICY_AUDIT_LOG_ADMIN 0x00000200L
#define POLICY_SERVER_ADMIN 0x00000400L
#define POLICY_LOOKUP_NAMES 0x00000800L
#define POLICY_NOTIFICATION 0x00001000L
#define POLICY_ALL_ACCESS 0x000F0FFFL
#define POLICY_READ 0x00020006L
#define POLICY_WRITE 0x000207F8L
#define POLICY_EXECUTE 0x00020801L

enum POLICY_INFORMATION_CLASS {
  PolicyAuditLogInformation = 1,
  PolicyAuditEventsInformation,
  PolicyPrimaryDomainInformation,
  PolicyPdAccountInformation,
  PolicyAccountDomainInformation,
  PolicyLsaServerRoleInformation,
  PolicyReplicaSourceInformation,
  PolicyDefaultQuotaInformation,
  PolicyModificationInformation,
  PolicyAuditFullSetInformation,
  PolicyAuditFullQueryInformation,
  PolicyDnsDomainInformation
};

// Audit categories, the indices of EventAuditingOptions.
enum POLICY_AUDIT_EVENT_TYPE {
  AuditCategorySystem,
  AuditCategoryLogon,
  AuditCategoryObjectAccess,
  AuditCategoryPrivilegeUse,
  AuditCategoryDetailedTracking,
  AuditCategoryPolicyChange,
  AuditCategoryAccountManagement,
  AuditCategoryDirectoryServiceAccess,
  AuditCategoryAccountLogon
};

#define POLICY_AUDIT_EVENT_UNCHANGED 0x00000000L
#define POLICY_AUDIT_EVENT_SUCCESS 0x00000001L
#define POLICY_AUDIT_EVENT_FAILURE 0x00000002L
#define POLICY_AUDIT_EVENT_NONE 0x00000004L

typedef ULONG POLICY_AUDIT_EVENT_OPTIONS;
typedef ULONG* PPOLICY_AUDIT_EVENT_OPTIONS;

struct POLICY_AUDIT_EVENTS_INFO {
  BOOLEAN AuditingMode;
  PPOLICY_AUDIT_EVENT_OPTIONS EventAuditingOptions;  // MaximumAuditEventCount entries
  ULONG MaximumAuditEventCount;
};
typedef POLICY_AUDIT_EVENTS_INFO* PPOLICY_AUDIT_EVENTS_INFO;

// A NULL or empty system name is the local computer. A computer that cannot
// be reached gives STATUS_RPC_SERVER_UNAVAILABLE.
NTSTATUS LsaOpenPolicy(PLSA_UNICODE_STRING systemName, PLSA_OBJECT_ATTRIBUTES objectAttributes, ACCESS_MASK access,
                       PLSA_HANDLE policy);
// STATUS_SUCCESS when every SID was translated, STATUS_SOME_NOT_MAPPED when
// some were (the others have Use SidTypeUnknown and DomainIndex -1),
// STATUS_NONE_MAPPED when none was (both lists are still returned). Both
// lists are freed with LsaFreeMemory.
NTSTATUS LsaLookupSids(LSA_HANDLE policy, ULONG count, PSID* sids, PLSA_REFERENCED_DOMAIN_LIST* referencedDomains,
                       PLSA_TRANSLATED_NAME* names);
NTSTATUS LsaQueryInformationPolicy(LSA_HANDLE policy, POLICY_INFORMATION_CLASS informationClass, PVOID* buffer);
NTSTATUS LsaFreeMemory(PVOID buffer);
NTSTATUS LsaClose(LSA_HANDLE handle);
ULONG LsaNtStatusToWinError(NTSTATUS status);

#ifndef STATUS_BUFFER_TOO_SMALL
#define STATUS_BUFFER_TOO_SMALL static_cast<NTSTATUS>(0xC0000023u)
#define STATUS_NO_SUCH_DOMAIN static_cast<NTSTATUS>(0xC00000DFu)
#define STATUS_NOT_IMPLEMENTED static_cast<NTSTATUS>(0xC0000002u)
#define STATUS_INVALID_INFO_CLASS static_cast<NTSTATUS>(0xC0000003u)
#define STATUS_INSUFFICIENT_RESOURCES static_cast<NTSTATUS>(0xC000009Au)
#define STATUS_TOO_MANY_SIDS static_cast<NTSTATUS>(0xC000017Eu)
#define STATUS_RPC_CALL_FAILED static_cast<NTSTATUS>(0xC002001Bu)
#define STATUS_NO_SUCH_USER static_cast<NTSTATUS>(0xC0000064u)
#endif

// --- Security descriptors ---------------------------------------------------

typedef WORD SECURITY_DESCRIPTOR_CONTROL;
typedef PVOID PSECURITY_DESCRIPTOR;

struct ACL {
  BYTE AclRevision;
  BYTE Sbz1;
  WORD AclSize;  // bytes of the ACL with its ACEs
  WORD AceCount;
  WORD Sbz2;
};
typedef ACL* PACL;

struct ACE_HEADER {
  BYTE AceType;
  BYTE AceFlags;
  WORD AceSize;
};
// ACCESS_ALLOWED_ACE, ACCESS_DENIED_ACE, SYSTEM_AUDIT_ACE share this layout.
struct ACCESS_ALLOWED_ACE {
  ACE_HEADER Header;
  ACCESS_MASK Mask;
  DWORD SidStart;  // the SID begins here
};

// The absolute form: the parts are pointers.
struct SECURITY_DESCRIPTOR {
  BYTE Revision;
  BYTE Sbz1;
  SECURITY_DESCRIPTOR_CONTROL Control;
  PSID Owner;
  PSID Group;
  PACL Sacl;
  PACL Dacl;
};
// The self-relative form (SE_SELF_RELATIVE): the parts are byte offsets from
// the start of the descriptor, 0 when absent.
struct SECURITY_DESCRIPTOR_RELATIVE {
  BYTE Revision;
  BYTE Sbz1;
  SECURITY_DESCRIPTOR_CONTROL Control;
  DWORD Owner;
  DWORD Group;
  DWORD Sacl;
  DWORD Dacl;
};

#define SECURITY_DESCRIPTOR_REVISION 1
#define SECURITY_DESCRIPTOR_MIN_LENGTH (sizeof(SECURITY_DESCRIPTOR))
#define SDDL_REVISION_1 1
#define ACL_REVISION 2

#define SE_OWNER_DEFAULTED 0x0001
#define SE_GROUP_DEFAULTED 0x0002
#define SE_DACL_PRESENT 0x0004
#define SE_DACL_DEFAULTED 0x0008
#define SE_SACL_PRESENT 0x0010
#define SE_SACL_DEFAULTED 0x0020
#define SE_DACL_AUTO_INHERIT_REQ 0x0100
#define SE_SACL_AUTO_INHERIT_REQ 0x0200
#define SE_DACL_AUTO_INHERITED 0x0400
#define SE_SACL_AUTO_INHERITED 0x0800
#define SE_DACL_PROTECTED 0x1000
#define SE_SACL_PROTECTED 0x2000
#define SE_SELF_RELATIVE 0x8000

#define ACCESS_ALLOWED_ACE_TYPE 0x0
#define ACCESS_DENIED_ACE_TYPE 0x1
#define SYSTEM_AUDIT_ACE_TYPE 0x2
#define SYSTEM_ALARM_ACE_TYPE 0x3
#define SYSTEM_MANDATORY_LABEL_ACE_TYPE 0x11

#define OBJECT_INHERIT_ACE 0x01
#define CONTAINER_INHERIT_ACE 0x02
#define NO_PROPAGATE_INHERIT_ACE 0x04
#define INHERIT_ONLY_ACE 0x08
#define INHERITED_ACE 0x10
#define SUCCESSFUL_ACCESS_ACE_FLAG 0x40
#define FAILED_ACCESS_ACE_FLAG 0x80

#define DELETE 0x00010000L
#define READ_CONTROL 0x00020000L
#define WRITE_DAC 0x00040000L
#define WRITE_OWNER 0x00080000L
#define SYNCHRONIZE 0x00100000L
#define ACCESS_SYSTEM_SECURITY 0x01000000L
#define MAXIMUM_ALLOWED 0x02000000L
#define GENERIC_EXECUTE 0x20000000L
#define GENERIC_ALL 0x10000000L
#ifndef GENERIC_READ
#define GENERIC_READ 0x80000000u
#define GENERIC_WRITE 0x40000000u
#endif

// Parses an SDDL text ("O:", "G:", "D:" and "S:" parts with their ACEs) into a
// self-relative descriptor allocated with LocalAlloc (free with LocalFree).
// Text that is not valid SDDL fails with ERROR_INVALID_PARAMETER, an unknown
// account with ERROR_NONE_MAPPED, an unknown revision with ERROR_UNKNOWN_REVISION.
BOOL ConvertStringSecurityDescriptorToSecurityDescriptorW(LPCWSTR text, DWORD revision,
                                                          PSECURITY_DESCRIPTOR* descriptor, PULONG size);
BOOL InitializeSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor, DWORD revision);
BOOL SetSecurityDescriptorDacl(PSECURITY_DESCRIPTOR descriptor, BOOL present, PACL dacl, BOOL defaulted);
BOOL IsValidSecurityDescriptor(PSECURITY_DESCRIPTOR descriptor);

#ifndef ERROR_UNKNOWN_REVISION
#define ERROR_UNKNOWN_REVISION 1305L
#define ERROR_INVALID_ACL 1336L
#define ERROR_INVALID_OWNER 1307L
#endif

#endif  // _WIN32
