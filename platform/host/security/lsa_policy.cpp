// LsaOpenPolicy, LsaClose, LsaFreeMemory and LsaQueryInformationPolicy.
#include "platform/host/security/lsa_policy.h"

#include "platform/host/faults/faults.h"
#include "platform/host/kernel/block_pool.h"
#include "platform/host/kernel/handle_table.h"
#include "platform/host/net/reachable.h"
#include "platform/host/security/audit_policy.h"
#include "platform/host/security/lsa_status.h"

namespace host {
namespace {

HandleTable<LsaPolicy>& Policies() {
  static auto* table = new HandleTable<LsaPolicy>(0x15A0000);
  return *table;
}

std::u16string SystemName(const LSA_UNICODE_STRING* name) {
  if (!name || !name->Buffer || name->Length == 0) return {};
  return std::u16string(name->Buffer, name->Length / sizeof(WCHAR));
}

NTSTATUS QueryAuditEvents(Computer& computer, PVOID* buffer) {
  AuditPolicyInfo policy;
  if (DWORD e = ReadAuditPolicy(computer, &policy)) return NtStatusFromWin32(e);
  void* block = BuildBlock(LsaBlocks(), [&](BlockWriter& w) {
    auto* info = w.Take<POLICY_AUDIT_EVENTS_INFO>();
    info->EventAuditingOptions =
        static_cast<PPOLICY_AUDIT_EVENT_OPTIONS>(w.Bytes(policy.options.data(), policy.options.size() * sizeof(ULONG)));
    info->AuditingMode = policy.auditingMode ? TRUE : FALSE;
    info->MaximumAuditEventCount = static_cast<ULONG>(policy.options.size());
  });
  if (!block) return STATUS_NO_MEMORY;
  *buffer = block;
  return STATUS_SUCCESS;
}

}  // namespace

NTSTATUS UsePolicy(LSA_HANDLE handle, ACCESS_MASK needed, Computer** computer) {
  const LsaPolicy* policy = Policies().Find(handle);
  if (!policy) return STATUS_INVALID_HANDLE;
  if ((policy->access & needed) != needed) return STATUS_ACCESS_DENIED;
  *computer = ReachableComputer(policy->computer);
  return *computer ? STATUS_SUCCESS : STATUS_RPC_SERVER_UNAVAILABLE;
}

size_t OpenPolicyCount() {
  Lock lock;
  return Policies().Count();
}

}  // namespace host

NTSTATUS LsaOpenPolicy(PLSA_UNICODE_STRING systemName, PLSA_OBJECT_ATTRIBUTES objectAttributes, ACCESS_MASK access,
                       PLSA_HANDLE policy) {
  if (DWORD e = HOST_FAULT("LsaOpenPolicy")) return host::NtStatusFromWin32(e);
  if (!objectAttributes || !policy) return STATUS_INVALID_PARAMETER;
  host::Lock lock;
  host::Computer* computer = host::ReachableComputer(host::SystemName(systemName));
  if (!computer) return STATUS_RPC_SERVER_UNAVAILABLE;
  auto object = std::make_unique<host::LsaPolicy>();
  object->computer = computer->Name();
  object->access = access;
  *policy = host::Policies().Add(std::move(object));
  return STATUS_SUCCESS;
}

NTSTATUS LsaClose(LSA_HANDLE handle) {
  if (DWORD e = HOST_FAULT("LsaClose")) return host::NtStatusFromWin32(e);
  host::Lock lock;
  return host::Policies().Remove(handle) ? STATUS_SUCCESS : STATUS_INVALID_HANDLE;
}

NTSTATUS LsaFreeMemory(PVOID buffer) {
  if (!buffer) return STATUS_SUCCESS;
  return host::LsaBlocks().Release(buffer) ? STATUS_SUCCESS : STATUS_INVALID_PARAMETER;
}

NTSTATUS LsaQueryInformationPolicy(LSA_HANDLE handle, POLICY_INFORMATION_CLASS informationClass, PVOID* buffer) {
  if (DWORD e = HOST_FAULT("LsaQueryInformationPolicy")) return host::NtStatusFromWin32(e);
  if (!buffer) return STATUS_INVALID_PARAMETER;
  *buffer = nullptr;
  host::Lock lock;
  if (informationClass != PolicyAuditEventsInformation) {
    host::Computer* computer = nullptr;
    NTSTATUS status = host::UsePolicy(handle, 0, &computer);
    return status ? status : STATUS_INVALID_INFO_CLASS;
  }
  host::Computer* computer = nullptr;
  if (NTSTATUS status = host::UsePolicy(handle, POLICY_VIEW_AUDIT_INFORMATION, &computer)) return status;
  return host::QueryAuditEvents(*computer, buffer);
}
