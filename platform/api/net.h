// Network management (netapi32: NetServerGetInfo, NetWkstaGetInfo,
// DsGetDcNameW, NetShareEnum), Winsock name resolution (ws2_32), DNS
// queries (dnsapi) and the IP helper (iphlpapi: SendARP, ResolveIpNetEntry2).
// On Linux the host answers them from its own tables (platform/host/
// net_facts.h and name_table.h), so nothing leaves the machine.
//
// Winsock names that the C library also has (hostent, addrinfo, in_addr,
// sockaddr_in, sockaddr_in6, inet_addr, inet_ntoa, gethostbyname,
// gethostbyaddr, getaddrinfo, freeaddrinfo) keep the C library's structures
// on Linux, and the functions answered by the host live in the namespace
// `winsock`. Component code always calls them qualified, winsock::getaddrinfo
// and so on, on both builds; on Windows the namespace re-exports the real
// functions. An unqualified gethostbyname on Linux would reach the real
// resolver and is a mistake.
//
// Values that differ between the builds and must be used by name, never as
// numbers: AF_INET6 (23 on Windows, 10 on Linux), the member order of addrinfo.
// winsock::getaddrinfo and GetAddrInfoW return Windows socket error codes
// (WSAHOST_NOT_FOUND and so on) on both builds, not the C library's EAI_ codes.
#pragma once

#include "platform/api/errors.h"
#include "platform/api/types.h"

#ifdef _WIN32
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <dsgetdc.h>
#include <iphlpapi.h>
#include <lm.h>
#include <netioapi.h>
#include <windns.h>

#include "platform/mingw/net.h"

namespace winsock {
using ::addrinfo;
using ::freeaddrinfo;
using ::getaddrinfo;
using ::gethostbyaddr;
using ::gethostbyname;
using ::hostent;
using ::inet_addr;
using ::inet_ntoa;
}  // namespace winsock

#else

#include <arpa/inet.h>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>

// --- Network management -------------------------------------------------------

typedef DWORD NET_API_STATUS;
typedef WCHAR* LMSTR;
typedef const WCHAR* LMCSTR;

#define NERR_Success 0
#define NERR_BASE 2100
#define NERR_BufTooSmall (NERR_BASE + 23)
#define NERR_InvalidComputer (NERR_BASE + 251)
#define NERR_NetNameNotFound (NERR_BASE + 210)
#define MAX_PREFERRED_LENGTH (static_cast<DWORD>(-1))
#define PLATFORM_ID_NT 500

struct SERVER_INFO_101 {
  DWORD sv101_platform_id;
  LMSTR sv101_name;
  DWORD sv101_version_major;
  DWORD sv101_version_minor;
  DWORD sv101_type;  // SV_TYPE_ bits
  LMSTR sv101_comment;
};
typedef SERVER_INFO_101* PSERVER_INFO_101;
typedef SERVER_INFO_101* LPSERVER_INFO_101;

#define SV_TYPE_WORKSTATION 0x00000001
#define SV_TYPE_SERVER 0x00000002
#define SV_TYPE_SQLSERVER 0x00000004
#define SV_TYPE_DOMAIN_CTRL 0x00000008
#define SV_TYPE_DOMAIN_BAKCTRL 0x00000010
#define SV_TYPE_TIME_SOURCE 0x00000020
#define SV_TYPE_AFP 0x00000040
#define SV_TYPE_NOVELL 0x00000080
#define SV_TYPE_DOMAIN_MEMBER 0x00000100
#define SV_TYPE_PRINTQ_SERVER 0x00000200
#define SV_TYPE_DIALIN_SERVER 0x00000400
#define SV_TYPE_XENIX_SERVER 0x00000800
#define SV_TYPE_SERVER_UNIX SV_TYPE_XENIX_SERVER
#define SV_TYPE_NT 0x00001000
#define SV_TYPE_WFW 0x00002000
#define SV_TYPE_SERVER_MFPN 0x00004000
#define SV_TYPE_SERVER_NT 0x00008000
#define SV_TYPE_POTENTIAL_BROWSER 0x00010000
#define SV_TYPE_BACKUP_BROWSER 0x00020000
#define SV_TYPE_MASTER_BROWSER 0x00040000
#define SV_TYPE_DOMAIN_MASTER 0x00080000
#define SV_TYPE_SERVER_OSF 0x00100000
#define SV_TYPE_SERVER_VMS 0x00200000
#define SV_TYPE_WINDOWS 0x00400000
#define SV_TYPE_DFS 0x00800000
#define SV_TYPE_CLUSTER_NT 0x01000000
#define SV_TYPE_TERMINALSERVER 0x02000000
#define SV_TYPE_CLUSTER_VS_NT 0x04000000
#define SV_TYPE_DCE 0x10000000
#define SV_TYPE_ALTERNATE_XPORT 0x20000000
#define SV_TYPE_LOCAL_LIST_ONLY 0x40000000
#define SV_TYPE_DOMAIN_ENUM 0x80000000u
#define SV_TYPE_ALL 0xFFFFFFFFu

struct WKSTA_INFO_100 {
  DWORD wki100_platform_id;
  LMSTR wki100_computername;
  LMSTR wki100_langroup;  // domain or workgroup (NetBIOS name)
  DWORD wki100_ver_major;
  DWORD wki100_ver_minor;
};
typedef WKSTA_INFO_100* PWKSTA_INFO_100;
typedef WKSTA_INFO_100* LPWKSTA_INFO_100;

struct SHARE_INFO_2 {
  LMSTR shi2_netname;
  DWORD shi2_type;  // STYPE_
  LMSTR shi2_remark;
  DWORD shi2_permissions;
  DWORD shi2_max_uses;
  DWORD shi2_current_uses;
  LMSTR shi2_path;  // "C:\\Windows" and the like
  LMSTR shi2_passwd;
};
typedef SHARE_INFO_2* PSHARE_INFO_2;
typedef SHARE_INFO_2* LPSHARE_INFO_2;

#define STYPE_DISKTREE 0
#define STYPE_PRINTQ 1
#define STYPE_DEVICE 2
#define STYPE_IPC 3
#define STYPE_SPECIAL 0x80000000u
#define ACCESS_NONE 0
#define SHI_USES_UNLIMITED (static_cast<DWORD>(-1))

// A computer that cannot be reached or is not known fails with
// ERROR_BAD_NETPATH (53). Levels other than those declared here fail with
// ERROR_INVALID_LEVEL. Buffers are freed with NetApiBufferFree.
NET_API_STATUS NetServerGetInfo(LMSTR serverName, DWORD level, LPBYTE* buffer);
NET_API_STATUS NetWkstaGetInfo(LMSTR serverName, DWORD level, LPBYTE* buffer);
NET_API_STATUS NetShareEnum(LMSTR serverName, DWORD level, LPBYTE* buffer, DWORD preferredMaximumLength,
                            LPDWORD entriesRead, LPDWORD totalEntries, LPDWORD resumeHandle);
NET_API_STATUS NetApiBufferFree(LPVOID buffer);
#define ERROR_INVALID_LEVEL 124L

struct DOMAIN_CONTROLLER_INFOW {
  LPWSTR DomainControllerName;     // "\\\\DC1"
  LPWSTR DomainControllerAddress;  // "\\\\10.0.0.2"
  ULONG DomainControllerAddressType;
  GUID DomainGuid;
  LPWSTR DomainName;  // DNS or flat name, as asked with DS_RETURN_*
  LPWSTR DnsForestName;
  ULONG Flags;
  LPWSTR DcSiteName;
  LPWSTR ClientSiteName;
};
typedef DOMAIN_CONTROLLER_INFOW* PDOMAIN_CONTROLLER_INFOW;

#define DS_INET_ADDRESS 1
#define DS_NETBIOS_ADDRESS 2
#define DS_FORCE_REDISCOVERY 0x00000001
#define DS_DIRECTORY_SERVICE_REQUIRED 0x00000010
#define DS_RETURN_DNS_NAME 0x40000000
#define DS_RETURN_FLAT_NAME 0x80000000u
#define DS_IS_FLAT_NAME 0x00010000
#define DS_IS_DNS_NAME 0x00020000
#define DS_DNS_DOMAIN_FLAG 0x01000000
#define DS_DNS_CONTROLLER_FLAG 0x20000000
#define DS_DS_FLAG 0x00000010
#define DS_PDC_FLAG 0x00000001

// A domain that no reachable controller serves fails with
// ERROR_NO_SUCH_DOMAIN (1355). The answer is freed with NetApiBufferFree.
DWORD DsGetDcNameW(LPCWSTR computerName, LPCWSTR domainName, GUID* domainGuid, LPCWSTR siteName, ULONG flags,
                   PDOMAIN_CONTROLLER_INFOW* domainControllerInfo);

// --- Winsock ----------------------------------------------------------------

#ifndef MAKEWORD
#define MAKEWORD(a, b) (static_cast<WORD>((static_cast<BYTE>(a)) | (static_cast<WORD>(static_cast<BYTE>(b)) << 8)))
#endif
#define WSADESCRIPTION_LEN 256
#define WSASYS_STATUS_LEN 128

struct WSADATA {
  WORD wVersion;
  WORD wHighVersion;
  unsigned short iMaxSockets;
  unsigned short iMaxUdpDg;
  char* lpVendorInfo;
  char szDescription[WSADESCRIPTION_LEN + 1];
  char szSystemStatus[WSASYS_STATUS_LEN + 1];
};
typedef WSADATA* LPWSADATA;

// Starts the socket library for the process (counted; every successful
// WSAStartup wants a WSACleanup). The name functions fail with
// WSANOTINITIALISED while it is not started.
int WSAStartup(WORD versionRequested, LPWSADATA data);
int WSACleanup();
int WSAGetLastError();
void WSASetLastError(int error);

#define WSABASEERR 10000
#define WSAEFAULT 10014
#define WSAEINVAL 10022
#define WSAESOCKTNOSUPPORT 10044
#define WSAEAFNOSUPPORT 10047
#define WSASYSNOTREADY 10091
#define WSAVERNOTSUPPORTED 10092
#define WSANOTINITIALISED 10093
#define WSATYPE_NOT_FOUND 10109
#define WSAHOST_NOT_FOUND 11001
#define WSATRY_AGAIN 11002
#define WSANO_RECOVERY 11003
#define WSANO_DATA 11004
#define WSA_NOT_ENOUGH_MEMORY 8

typedef sockaddr SOCKADDR;
typedef sockaddr* PSOCKADDR;
typedef sockaddr_in SOCKADDR_IN;
typedef sockaddr_in* PSOCKADDR_IN;
typedef sockaddr_in6 SOCKADDR_IN6;
typedef sockaddr_in6* PSOCKADDR_IN6;
typedef in_addr IN_ADDR;
typedef in6_addr IN6_ADDR;
typedef USHORT ADDRESS_FAMILY;
typedef addrinfo ADDRINFOA;
typedef addrinfo* PADDRINFOA;

// The wide twin of addrinfo, in the Windows member order.
struct ADDRINFOW {
  int ai_flags;
  int ai_family;
  int ai_socktype;
  int ai_protocol;
  size_t ai_addrlen;
  PWSTR ai_canonname;
  sockaddr* ai_addr;
  ADDRINFOW* ai_next;
};
typedef ADDRINFOW* PADDRINFOW;

// Fails with a WSA code (WSAHOST_NOT_FOUND for a name the network does not
// know, WSANOTINITIALISED before WSAStartup). Free with FreeAddrInfoW.
INT GetAddrInfoW(PCWSTR nodeName, PCWSTR serviceName, const ADDRINFOW* hints, PADDRINFOW* result);
void FreeAddrInfoW(PADDRINFOW addrInfo);

namespace winsock {
using ::addrinfo;
using ::hostent;

// INADDR_NONE for text that is not a dotted IPv4 address.
ULONG inet_addr(const char* text);
// Dotted text in a buffer of the calling thread, valid until its next call.
char* inet_ntoa(in_addr address);
// Host entries live in a buffer of the calling thread until its next call;
// a failure returns null and sets WSAGetLastError (WSAHOST_NOT_FOUND,
// WSANO_DATA, WSANOTINITIALISED).
hostent* gethostbyname(const char* name);
hostent* gethostbyaddr(const char* address, int length, int type);
// Returns 0 or a WSA code; the list is freed with winsock::freeaddrinfo.
int getaddrinfo(const char* nodeName, const char* serviceName, const addrinfo* hints, addrinfo** result);
void freeaddrinfo(addrinfo* list);
}  // namespace winsock

// --- DNS --------------------------------------------------------------------

typedef LONG DNS_STATUS;
typedef DWORD IP4_ADDRESS;

#define DNS_TYPE_A 0x0001
#define DNS_TYPE_CNAME 0x0005
#define DNS_TYPE_PTR 0x000c
#define DNS_TYPE_AAAA 0x001c

#define DNS_QUERY_STANDARD 0x00000000
#define DNS_QUERY_BYPASS_CACHE 0x00000008
#define DNS_QUERY_NO_HOSTS_FILE 0x00000040
#define DNS_QUERY_NO_NETBT 0x00000080
#define DNS_QUERY_WIRE_ONLY 0x00000100

#define DNS_ERROR_RCODE_FORMAT_ERROR 9001L
#define DNS_ERROR_RCODE_SERVER_FAILURE 9002L
#define DNS_ERROR_RCODE_NAME_ERROR 9003L
#define DNS_ERROR_RCODE_REFUSED 9005L
#define DNS_INFO_NO_RECORDS 9501L
#define DNS_ERROR_INVALID_NAME 123L

struct DNS_PTR_DATAW {
  PWSTR pNameHost;
};
struct DNS_A_DATA {
  IP4_ADDRESS IpAddress;  // network byte order
};
struct DNS_AAAA_DATA {
  in6_addr Ip6Address;
};

enum DNS_SECTION { DnsSectionQuestion, DnsSectionAnswer, DnsSectionAuthority, DnsSectionAddtional };

struct DNS_RECORD_FLAGS {
  DWORD Section : 2;
  DWORD Delete : 1;
  DWORD CharSet : 2;
  DWORD Unused : 3;
  DWORD Reserved : 24;
};

struct DNS_RECORDW {
  DNS_RECORDW* pNext;
  PWSTR pName;
  WORD wType;
  WORD wDataLength;
  union {
    DWORD DW;
    DNS_RECORD_FLAGS S;
  } Flags;
  DWORD dwTtl;
  DWORD dwReserved;
  union {
    DNS_A_DATA A;
    DNS_PTR_DATAW PTR;
    DNS_PTR_DATAW Ptr;
    DNS_PTR_DATAW CNAME;
    DNS_AAAA_DATA AAAA;
    BYTE pDataPtr[64];  // room of the larger record types
  } Data;
};
typedef DNS_RECORDW* PDNS_RECORDW;
typedef DNS_RECORDW DNS_RECORD;
typedef DNS_RECORDW* PDNS_RECORD;

enum DNS_FREE_TYPE { DnsFreeFlat = 0, DnsFreeRecordList, DnsFreeParsedMessageFields };

// Answers PTR, A and AAAA questions from the host's name table. A name the
// table does not have fails with DNS_ERROR_RCODE_NAME_ERROR (9003); a name
// with no record of the type with DNS_INFO_NO_RECORDS (9501). The list is
// freed with DnsRecordListFree(list, DnsFreeRecordList).
DNS_STATUS DnsQuery_W(PCWSTR name, WORD type, DWORD options, PVOID extra, PDNS_RECORD* results, PVOID* reserved);
void DnsRecordListFree(PDNS_RECORD list, DNS_FREE_TYPE freeType);

// --- IP helper ----------------------------------------------------------------

typedef ULONG IPAddr;  // IPv4 address in network byte order
typedef ULONG NET_IFINDEX;

#define IF_MAX_PHYS_ADDRESS_LENGTH 32
#define ERROR_BUFFER_OVERFLOW 111L
#define ERROR_INVALID_USER_BUFFER 1784L

// Physical address of an IPv4 neighbour (first *length bytes of the buffer).
// A neighbour that does not answer gives ERROR_BAD_NET_NAME (67); a buffer
// shorter than the address ERROR_BUFFER_OVERFLOW.
DWORD SendARP(IPAddr destination, IPAddr source, PVOID macAddress, PULONG length);

union NET_LUID {
  ULONG64 Value;
  struct {
    ULONG64 Reserved : 24;
    ULONG64 NetLuidIndex : 24;
    ULONG64 IfType : 16;
  } Info;
};
typedef NET_LUID* PNET_LUID;

union SOCKADDR_INET {
  sockaddr_in Ipv4;
  sockaddr_in6 Ipv6;
  ADDRESS_FAMILY si_family;
};
typedef SOCKADDR_INET* PSOCKADDR_INET;

enum NL_NEIGHBOR_STATE {
  NlnsUnreachable,
  NlnsIncomplete,
  NlnsProbe,
  NlnsDelay,
  NlnsStale,
  NlnsReachable,
  NlnsPermanent,
  NlnsMaximum
};

struct MIB_IPNET_ROW2 {
  SOCKADDR_INET Address;
  NET_IFINDEX InterfaceIndex;
  NET_LUID InterfaceLuid;
  UCHAR PhysicalAddress[IF_MAX_PHYS_ADDRESS_LENGTH];
  ULONG PhysicalAddressLength;
  NL_NEIGHBOR_STATE State;
  union {
    struct {
      BOOLEAN IsRouter : 1;
      BOOLEAN IsUnreachable : 1;
    } s;
    UCHAR Flags;
  } u;
  union {
    ULONG LastReachable;
    ULONG LastUnreachable;
  } ReachabilityTime;
};
typedef MIB_IPNET_ROW2* PMIB_IPNET_ROW2;

// Resolves the physical address of the row's Address (IPv4 or IPv6) on the
// interface named by InterfaceLuid or InterfaceIndex. As documented: a row
// that names no interface, or a loopback address, gives
// ERROR_INVALID_PARAMETER; an unreachable neighbour ERROR_BAD_NET_NAME; an
// interface that does not exist ERROR_NOT_FOUND.
DWORD ResolveIpNetEntry2(PMIB_IPNET_ROW2 row, const SOCKADDR_INET* sourceAddress);

#endif  // _WIN32
