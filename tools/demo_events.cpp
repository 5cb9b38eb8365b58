#include "tools/demo_events.h"

#include <string>

#include "platform/formats/evtx_value.h"

namespace tool {
namespace {

using formats::EvtxEventSpec;
using formats::EvtxUserValue;
using formats::EvtxValue;

constexpr int64_t kDemoEpoch = 1709539200;  // 2024-03-04 08:00:00 UTC
constexpr uint64_t kUnixEpochAsFileTime = 116444736000000000ULL;
constexpr uint64_t kClassicKeywords = 0x0080000000000000ULL;
constexpr uint64_t kAuditSuccess = 0x8020000000000000ULL;
constexpr uint64_t kAuditFailure = 0x8010000000000000ULL;

constexpr GUID kSecurityAuditing = {0x54849625, 0x5478, 0x4994, {0xA5, 0xBA, 0x3E, 0x3B, 0x03, 0x28, 0xC3, 0x0D}};
constexpr GUID kTaskScheduler = {0xDE7B24EA, 0x73C8, 0x4A09, {0x98, 0x5D, 0x5B, 0xDA, 0xDC, 0xFA, 0x90, 0x17}};
constexpr GUID kEventLogProvider = {0xFC65DDD8, 0xD6EF, 0x4962, {0x83, 0xD5, 0x6E, 0x5C, 0xFE, 0x9C, 0xE1, 0x48}};

std::vector<uint8_t> SidBytes(const std::u16string& text) {
  std::vector<uint8_t> bytes;
  formats::ParseEvtxSid(text, bytes);
  return bytes;
}

EvtxUserValue Text(std::u16string name, std::u16string value) {
  return {std::move(name), EvtxValue::String(std::move(value))};
}
EvtxUserValue Number(std::u16string name, EVT_VARIANT_TYPE type, uint64_t value) {
  return {std::move(name), EvtxValue::Integer(type, value)};
}
EvtxUserValue SidValue(std::u16string name, const std::u16string& sid) {
  return {std::move(name), EvtxValue::Sid(SidBytes(sid))};
}

// A GUID that differs from `base` only in its last byte, for task instances.
GUID Numbered(GUID base, uint8_t n) {
  base.Data4[7] = n;
  return base;
}

// An event of a classic event source, as the Windows Event Log stores it:
// qualifiers, the classic keyword, unnamed Data elements.
EvtxEventSpec Classic(const DemoIdentity& id, const char16_t* channel, const char16_t* source, uint16_t eventId,
                      uint16_t qualifiers, uint8_t level, int64_t seconds, std::vector<std::u16string> strings,
                      const std::u16string& userSid = {}) {
  EvtxEventSpec s;
  s.provider = source;
  s.eventId = eventId;
  s.qualifiers = qualifiers;
  s.level = level;
  s.keywords = kClassicKeywords;
  s.timeCreated = DemoTime(seconds);
  s.channel = channel;
  s.computer = id.computer;
  if (!userSid.empty()) s.userSid = SidBytes(userSid);
  for (auto& text : strings) s.data.push_back(Text(u"", std::move(text)));
  return s;
}

void Number(std::vector<EvtxEventSpec>& events) {
  for (size_t i = 0; i < events.size(); ++i) events[i].recordId = i + 1;
}

std::u16string User(const DemoIdentity& id, int rid) {
  std::string digits = std::to_string(rid);
  return id.machineSid + u"-" + std::u16string(digits.begin(), digits.end());
}

// A security audit event of the Security-Auditing publisher.
EvtxEventSpec Audit(const DemoIdentity& id, uint16_t eventId, uint16_t task, bool success, int64_t seconds,
                    std::vector<EvtxUserValue> data) {
  EvtxEventSpec s;
  s.provider = u"Microsoft-Windows-Security-Auditing";
  s.providerGuid = kSecurityAuditing;
  s.eventId = eventId;
  s.version = eventId == 4624 ? 2 : 0;
  s.level = 0;
  s.task = task;
  s.keywords = success ? kAuditSuccess : kAuditFailure;
  s.timeCreated = DemoTime(seconds);
  s.processId = 684;
  s.threadId = 1212;
  s.channel = u"Security";
  s.computer = id.computer;
  s.data = std::move(data);
  return s;
}

EvtxEventSpec Logon(const DemoIdentity& id, int64_t seconds, const DemoAccount& who, uint32_t logonType,
                    uint64_t logonId, const std::u16string& address) {
  return Audit(
      id, 4624, 12544, true, seconds,
      {SidValue(u"SubjectUserSid", u"S-1-5-18"), Text(u"SubjectUserName", id.computer + u"$"),
       Text(u"SubjectDomainName", u"WORKGROUP"), Number(u"SubjectLogonId", EvtVarTypeHexInt64, 0x3E7),
       SidValue(u"TargetUserSid", who.sid), Text(u"TargetUserName", who.name), Text(u"TargetDomainName", who.domain),
       Number(u"TargetLogonId", EvtVarTypeHexInt64, logonId), Number(u"LogonType", EvtVarTypeUInt32, logonType),
       Text(u"LogonProcessName", u"User32 "), Text(u"AuthenticationPackageName", u"Negotiate"),
       Text(u"WorkstationName", id.computer), Text(u"ProcessName", u"C:\\Windows\\System32\\svchost.exe"),
       Text(u"IpAddress", address), Text(u"IpPort", address == u"-" ? u"-" : u"0")});
}

EvtxEventSpec Logoff(const DemoIdentity& id, int64_t seconds, const DemoAccount& who, uint64_t logonId) {
  return Audit(
      id, 4634, 12545, true, seconds,
      {SidValue(u"TargetUserSid", who.sid), Text(u"TargetUserName", who.name), Text(u"TargetDomainName", who.domain),
       Number(u"TargetLogonId", EvtVarTypeHexInt64, logonId), Number(u"LogonType", EvtVarTypeUInt32, 2)});
}

EvtxEventSpec FailedLogon(const DemoIdentity& id, int64_t seconds, const std::u16string& name,
                          const std::u16string& address) {
  return Audit(
      id, 4625, 12544, false, seconds,
      {SidValue(u"SubjectUserSid", u"S-1-5-18"), Text(u"SubjectUserName", id.computer + u"$"),
       SidValue(u"TargetUserSid", u"S-1-0-0"), Text(u"TargetUserName", name), Text(u"TargetDomainName", id.computer),
       Number(u"Status", EvtVarTypeHexInt32, 0xC000006D), Number(u"SubStatus", EvtVarTypeHexInt32, 0xC000006A),
       Number(u"LogonType", EvtVarTypeUInt32, 3), Text(u"IpAddress", address), Text(u"IpPort", u"51544")});
}

EvtxEventSpec Task(const DemoIdentity& id, uint16_t eventId, uint16_t task, int64_t seconds, uint8_t run,
                   std::vector<EvtxUserValue> data) {
  EvtxEventSpec s;
  s.provider = u"Microsoft-Windows-TaskScheduler";
  s.providerGuid = kTaskScheduler;
  s.eventId = eventId;
  s.level = 4;
  s.task = task;
  s.opcode = eventId == 100 || eventId == 200 ? 1 : 2;
  s.keywords = 0x8000000000000000ULL;
  s.timeCreated = DemoTime(seconds);
  s.activityId = Numbered(kTaskScheduler, run);
  s.processId = 1420;
  s.threadId = 2216;
  s.channel = u"Microsoft-Windows-TaskScheduler/Operational";
  s.computer = id.computer;
  s.userSid = SidBytes(u"S-1-5-18");
  s.data = std::move(data);
  return s;
}

}  // namespace

uint64_t DemoTime(int64_t seconds) {
  return static_cast<uint64_t>(kDemoEpoch + seconds) * 10000000ULL + kUnixEpochAsFileTime;
}

std::vector<DemoAccount> DemoUsers(const DemoIdentity& identity) {
  return {{User(identity, 1001), identity.computer, u"alice"}, {User(identity, 1002), identity.computer, u"bob"}};
}

std::vector<EvtxEventSpec> DemoApplicationEvents(const DemoIdentity& id) {
  const char16_t* ch = u"Application";
  std::u16string alice = DemoUsers(id)[0].sid;
  std::vector<EvtxEventSpec> e = {
      Classic(id, ch, u"ESENT", 916, 0, 4, 12, {u"svchost", u"1388,G,98", u"", u"0x0"}),
      Classic(id, ch, u"SecurityCenter", 15, 0, 4, 95, {u"Windows Defender", u"SECURITY_PRODUCT_STATE_ON"}),
      Classic(id, ch, u"Winlogon", 6000, 0, 4, 140, {u"SessionEnv"}),
      Classic(id, ch, u"MsiInstaller", 1033, 0, 4, 1800,
              {u"Contoso Notes", u"4.2.1", u"1033", u"0", u"Contoso Ltd.", u"(NULL)", u""}, alice),
      Classic(id, ch, u"MsiInstaller", 11707, 0, 4, 1801,
              {u"Product: Contoso Notes -- Installation completed successfully."}, alice),
      Classic(id, ch, u"Application Error", 1000, 0, 2, 5400,
              {u"notes.exe", u"4.2.1.0", u"65e5a3c0", u"ntdll.dll", u"10.0.19041.3636", u"c3e1d9f8", u"c0000005",
               u"00000000000a1b2c", u"1f2c", u"01da6e1c9e0f3a40", u"C:\\Program Files\\Contoso\\Notes\\notes.exe",
               u"C:\\Windows\\SYSTEM32\\ntdll.dll", u"7b1c6f0e-2d4a-4f3b-9c8e-5a6d7e8f9012", u"", u""},
              alice),
      Classic(id, ch, u"Windows Error Reporting", 1001, 0, 4, 5460,
              {u"0", u"APPCRASH", u"Not available", u"0", u"notes.exe", u"4.2.1.0"}),
      Classic(id, ch, u"VSS", 8224, 0, 4, 7200, {}),
  };
  Number(e);
  return e;
}

std::vector<EvtxEventSpec> DemoSystemEvents(const DemoIdentity& id) {
  const char16_t* ch = u"System";
  std::vector<EvtxEventSpec> e = {
      Classic(id, ch, u"EventLog", 6009, 0x8000, 4, 0, {u"10.00.", u"19045", u"Multiprocessor Free", u"0"}),
      Classic(id, ch, u"EventLog", 6005, 0x8000, 4, 1, {}),
      Classic(id, ch, u"Service Control Manager", 7036, 0x4000, 4, 30, {u"Windows Event Log", u"running"}),
      Classic(id, ch, u"Service Control Manager", 7036, 0x4000, 4, 31, {u"Task Scheduler", u"running"}),
      Classic(id, ch, u"Tcpip", 4199, 0x8000, 3, 64, {u"192.168.56.10", u"08-00-27-4E-66-A1"}),
      Classic(id, ch, u"Service Control Manager", 7040, 0x4000, 4, 3600,
              {u"Background Intelligent Transfer Service", u"auto start", u"demand start", u"BITS"},
              DemoUsers(id)[0].sid),
      Classic(id, ch, u"disk", 7, 0xC004, 2, 6000, {u"\\Device\\Harddisk1\\DR1"}),
      Classic(id, ch, u"EventLog", 6013, 0x8000, 4, 43200,
              {u"", u"", u"", u"", u"43200", u"60", u"0 Coordinated Universal Time"}),
  };
  e[0].providerGuid = kEventLogProvider;
  Number(e);
  return e;
}

void DemoSecurityEvents(const DemoIdentity& id, std::vector<EvtxEventSpec>* archived,
                        std::vector<EvtxEventSpec>* live) {
  auto users = DemoUsers(id);
  DemoAccount system{u"S-1-5-18", u"NT AUTHORITY", u"SYSTEM"};
  *archived = {
      Logon(id, -86400, users[0], 2, 0x1A2B3C, u"127.0.0.1"),
      Logon(id, -86000, system, 5, 0x3E7, u"-"),
      Logoff(id, -50000, users[0], 0x1A2B3C),
  };
  *live = {
      Logon(id, 20, system, 5, 0x3E7, u"-"),
      Audit(id, 4672, 12548, true, 21,
            {SidValue(u"SubjectUserSid", u"S-1-5-18"), Text(u"SubjectUserName", u"SYSTEM"),
             Text(u"SubjectDomainName", u"NT AUTHORITY"), Number(u"SubjectLogonId", EvtVarTypeHexInt64, 0x3E7),
             Text(u"PrivilegeList", u"SeAssignPrimaryTokenPrivilege\r\n\t\t\tSeTcbPrivilege")}),
      Logon(id, 300, users[0], 2, 0x2B3C4D, u"127.0.0.1"),
      FailedLogon(id, 900, u"administrator", u"192.168.56.23"),
      FailedLogon(id, 905, u"admin", u"192.168.56.23"),
      Logon(id, 1200, users[1], 3, 0x3C4D5E, u"192.168.56.11"),
      Logoff(id, 4800, users[1], 0x3C4D5E),
      Logoff(id, 30000, users[0], 0x2B3C4D),
  };
  Number(*archived);
  Number(*live);
  for (auto& event : *live) event.recordId += archived->size();
}

std::vector<EvtxEventSpec> DemoLaterSecurityEvents(const DemoIdentity& id) {
  auto users = DemoUsers(id);
  std::vector<EvtxEventSpec> later = {
      FailedLogon(id, 36000, u"alice", u"192.168.56.23"),
      Logon(id, 36010, users[0], 10, 0x4D5E6F, u"192.168.56.23"),
      Logoff(id, 39600, users[0], 0x4D5E6F),
  };
  for (auto& event : later) event.recordId = 0;  // the log gives the next numbers
  return later;
}

std::vector<EvtxEventSpec> DemoTaskSchedulerEvents(const DemoIdentity& id) {
  std::vector<EvtxEventSpec> e;
  const std::u16string task = u"\\Microsoft\\Windows\\Defrag\\ScheduledDefrag";
  for (uint8_t run = 1; run <= 2; ++run) {
    int64_t start = 3600 * 6 * run;
    GUID instance = Numbered(kTaskScheduler, run);
    e.push_back(Task(id, 100, 100, start, run,
                     {Text(u"TaskName", task),
                      {u"InstanceId", EvtxValue::Guid(instance)},
                      Text(u"UserContext", u"NT AUTHORITY\\SYSTEM")}));
    e.push_back(Task(id, 200, 200, start + 1, run,
                     {Text(u"TaskName", task),
                      Text(u"ActionName", u"%windir%\\system32\\defrag.exe"),
                      {u"TaskInstanceId", EvtxValue::Guid(instance)}}));
    e.push_back(Task(id, 201, 201, start + 95, run,
                     {Text(u"TaskName", task),
                      {u"TaskInstanceId", EvtxValue::Guid(instance)},
                      Text(u"ActionName", u"%windir%\\system32\\defrag.exe"),
                      Number(u"ResultCode", EvtVarTypeUInt32, 0)}));
    e.push_back(Task(id, 102, 102, start + 96, run,
                     {Text(u"TaskName", task),
                      Text(u"UserContext", u"NT AUTHORITY\\SYSTEM"),
                      {u"InstanceId", EvtxValue::Guid(instance)}}));
  }
  Number(e);
  return e;
}

}  // namespace tool
