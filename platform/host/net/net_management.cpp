// NetServerGetInfo, NetWkstaGetInfo, NetShareEnum and NetApiBufferFree.
#include "platform/api/net.h"
#include "platform/host/faults/faults.h"
#include "platform/host/kernel/block_pool.h"
#include "platform/host/machine/system_version.h"
#include "platform/host/net/net_facts.h"
#include "platform/host/net/reachable.h"

namespace {

// Under the host lock: 0 and the computer that the call asks, or the error
// that the call fails with.
DWORD Target(LMSTR serverName, const void* buffer, DWORD level, DWORD supported, host::Computer** computer) {
  if (!buffer) return ERROR_INVALID_PARAMETER;
  if (level != supported) return ERROR_INVALID_LEVEL;
  *computer = host::ReachableComputer(serverName ? serverName : u"");
  return *computer ? 0 : ERROR_BAD_NETPATH;
}

size_t ShareBytes(const host::Share& s) {
  return sizeof(SHARE_INFO_2) + 2 * (s.name.size() + s.remark.size() + s.path.size() + 3) + 8;
}

}  // namespace

NET_API_STATUS NetServerGetInfo(LMSTR serverName, DWORD level, LPBYTE* buffer) {
  if (DWORD e = HOST_FAULT("NetServerGetInfo")) return e;
  host::Lock lock;
  host::Computer* computer = nullptr;
  if (DWORD e = Target(serverName, buffer, level, 101, &computer)) return e;
  const auto& version = computer->Service<host::SystemVersion>();
  const auto& net = computer->Service<host::NetFacts>();
  *buffer = static_cast<LPBYTE>(host::BuildBlock(host::NetApiBlocks(), [&](host::BlockWriter& w) {
    auto* info = w.Take<SERVER_INFO_101>();
    info->sv101_platform_id = PLATFORM_ID_NT;
    info->sv101_name = w.String(computer->Name());
    info->sv101_version_major = version.major;
    info->sv101_version_minor = version.minor;
    info->sv101_type = net.ServerType();
    info->sv101_comment = w.String(net.comment);
  }));
  return *buffer ? NERR_Success : ERROR_NOT_ENOUGH_MEMORY;
}

NET_API_STATUS NetWkstaGetInfo(LMSTR serverName, DWORD level, LPBYTE* buffer) {
  if (DWORD e = HOST_FAULT("NetWkstaGetInfo")) return e;
  host::Lock lock;
  host::Computer* computer = nullptr;
  if (DWORD e = Target(serverName, buffer, level, 100, &computer)) return e;
  const auto& version = computer->Service<host::SystemVersion>();
  const auto& net = computer->Service<host::NetFacts>();
  *buffer = static_cast<LPBYTE>(host::BuildBlock(host::NetApiBlocks(), [&](host::BlockWriter& w) {
    auto* info = w.Take<WKSTA_INFO_100>();
    info->wki100_platform_id = PLATFORM_ID_NT;
    info->wki100_computername = w.String(computer->Name());
    info->wki100_langroup = w.String(net.langroup);
    info->wki100_ver_major = version.major;
    info->wki100_ver_minor = version.minor;
  }));
  return *buffer ? NERR_Success : ERROR_NOT_ENOUGH_MEMORY;
}

// Hands out the entries from *resumeHandle on that fit in the preferred
// length (at least one); ERROR_MORE_DATA with the next resume point when some
// are left.
NET_API_STATUS NetShareEnum(LMSTR serverName, DWORD level, LPBYTE* buffer, DWORD preferredMaximumLength,
                            LPDWORD entriesRead, LPDWORD totalEntries, LPDWORD resumeHandle) {
  if (DWORD e = HOST_FAULT("NetShareEnum")) return e;
  if (!entriesRead || !totalEntries) return ERROR_INVALID_PARAMETER;
  host::Lock lock;
  host::Computer* computer = nullptr;
  if (DWORD e = Target(serverName, buffer, level, 2, &computer)) return e;
  const auto& shares = computer->Service<host::NetFacts>().shares;
  size_t first = resumeHandle ? *resumeHandle : 0, end = first, budget = 0;
  while (end < shares.size() && (end == first || budget + ShareBytes(shares[end]) <= preferredMaximumLength))
    budget += ShareBytes(shares[end++]);
  if (first >= shares.size()) end = first;
  *totalEntries = static_cast<DWORD>(shares.size());
  *entriesRead = static_cast<DWORD>(end - first);
  *buffer = static_cast<LPBYTE>(host::BuildBlock(host::NetApiBlocks(), [&](host::BlockWriter& w) {
    auto* infos = w.Take<SHARE_INFO_2>(end - first);
    for (size_t i = first; i < end; ++i) {
      SHARE_INFO_2& info = infos[i - first];
      info.shi2_netname = w.String(shares[i].name);
      info.shi2_type = shares[i].type;
      info.shi2_remark = w.String(shares[i].remark);
      info.shi2_permissions = ACCESS_NONE;
      info.shi2_max_uses = SHI_USES_UNLIMITED;
      info.shi2_current_uses = 0;
      info.shi2_path = w.String(shares[i].path);
      info.shi2_passwd = nullptr;
    }
  }));
  if (!*buffer) return ERROR_NOT_ENOUGH_MEMORY;
  if (resumeHandle) *resumeHandle = end < shares.size() ? static_cast<DWORD>(end) : 0;
  return end < shares.size() ? ERROR_MORE_DATA : NERR_Success;
}

NET_API_STATUS NetApiBufferFree(LPVOID buffer) {
  if (!buffer) return NERR_Success;
  return host::NetApiBlocks().Release(buffer) ? NERR_Success : ERROR_INVALID_PARAMETER;
}
