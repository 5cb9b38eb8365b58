#include "tools/demo_machine.h"

#include <filesystem>
#include <fstream>

#include "platform/formats/evtx_value.h"
#include "platform/host/classic/classic_event_logs.h"
#include "platform/host/registry/registry_file.h"
#include "platform/host/registry/registry_values.h"
#include "platform/host/security/accounts.h"
#include "platform/host/security/audit_policy.h"
#include "tools/demo_events.h"
#include "tools/demo_message_files.h"

namespace tool {
namespace {

namespace fs = std::filesystem;

constexpr char kLogsFolder[] = "C/Windows/System32/winevt/Logs";
constexpr char kSystem32Folder[] = "C/Windows/System32";
constexpr char16_t kLogsPath[] = u"%SystemRoot%\\System32\\Winevt\\Logs\\";
constexpr char16_t kWinevt[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WINEVT\\";

struct DemoChannel {
  const char16_t* name;
  DWORD type;
  bool enabled;
  const char16_t* publisherGuid;
};

struct DemoPublisher {
  const char16_t* guid;
  const char16_t* name;
  const char16_t* messageFile;
  const char16_t* channel;
  DWORD channelId;
};

constexpr DemoChannel kChannels[] = {
    {u"Microsoft-Windows-TaskScheduler/Operational", 1, true, u"{DE7B24EA-73C8-4A09-985D-5BDADCFA9017}"},
    {u"Microsoft-Windows-Kernel-Process/Analytic", 2, false, u"{22FB2CD6-0E7B-422B-A0C7-2FAD1FD0E716}"},
};

constexpr DemoPublisher kPublishers[] = {
    {u"{DE7B24EA-73C8-4A09-985D-5BDADCFA9017}", u"Microsoft-Windows-TaskScheduler",
     u"%SystemRoot%\\system32\\schedsvc.dll", u"Microsoft-Windows-TaskScheduler/Operational", 16},
    {u"{22FB2CD6-0E7B-422B-A0C7-2FAD1FD0E716}", u"Microsoft-Windows-Kernel-Process",
     u"%SystemRoot%\\system32\\Microsoft-Windows-System-Events.dll", u"Microsoft-Windows-Kernel-Process/Analytic", 16},
    {u"{54849625-5478-4994-A5BA-3E3B0328C30D}", u"Microsoft-Windows-Security-Auditing",
     u"%SystemRoot%\\system32\\adtschema.dll", u"Security", 10},
};

host::ClassicEventSource Source(const char16_t* name, const char16_t* messageFile) {
  host::ClassicEventSource s;
  s.name = name;
  s.eventMessageFile = messageFile;
  return s;
}

host::ClassicLogConfig ClassicLog(const char16_t* name, std::vector<host::ClassicEventSource> sources) {
  host::ClassicLogConfig c;
  c.name = name;
  c.file = std::u16string(kLogsPath) + name + u".evtx";
  c.maxSize = 20971520;
  c.sources = std::move(sources);
  return c;
}

void WriteClassicLogKeys(host::Computer& computer) {
  host::CreateClassicLog(
      computer, ClassicLog(u"Application", {Source(u"Application Error", u"%SystemRoot%\\System32\\wer.dll"),
                                            Source(u"ESENT", u"%SystemRoot%\\System32\\ESENT.dll"),
                                            Source(u"MsiInstaller", u"%SystemRoot%\\System32\\msimsg.dll"),
                                            Source(u"SecurityCenter", u"%SystemRoot%\\System32\\wscsvc.dll"),
                                            Source(u"VSS", u"%SystemRoot%\\System32\\VSSVC.EXE"),
                                            Source(u"Windows Error Reporting", u"%SystemRoot%\\System32\\wer.dll"),
                                            Source(u"Winlogon", u"%SystemRoot%\\System32\\winlogon.exe")}));
  host::CreateClassicLog(
      computer, ClassicLog(u"System", {Source(u"disk", u"%SystemRoot%\\System32\\IoLogMsg.dll"),
                                       Source(u"EventLog", u"%SystemRoot%\\System32\\netevent.dll"),
                                       Source(u"Service Control Manager", u"%SystemRoot%\\System32\\services.exe"),
                                       Source(u"Tcpip", u"%SystemRoot%\\System32\\netevent.dll")}));
  host::ClassicLogConfig security =
      ClassicLog(u"Security", {Source(u"Security", u"%SystemRoot%\\System32\\MsAuditE.dll")});
  security.retention = 0xFFFFFFFFu;  // a full log keeps its events and is archived
  security.autoBackup = true;
  host::CreateClassicLog(computer, security);
}

// The message files built with the project, into System32.
bool WriteMessageFiles(const std::string& dir, std::string* error) {
  for (const auto& file : DemoMessageFiles()) {
    std::string path = dir + "/" + kSystem32Folder + "/" + file.name;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.bytes.data()), static_cast<std::streamsize>(file.bytes.size()));
    if (!out) {
      *error = path + ": cannot be written";
      return false;
    }
  }
  return true;
}

host::RegistryKey::KeyPtr Key(host::Computer& computer, const std::u16string& path) {
  bool created = false;
  return host::Registry::Create(computer.Service<host::Registry>().Root(HKEY_LOCAL_MACHINE), path, &created);
}

// The auditing publisher's source of the Security log names no message file:
// its texts are found through the publisher's registration.
void WriteAuditingSourceKey(host::Computer& computer) {
  auto key = Key(computer,
                 u"SYSTEM\\CurrentControlSet\\Services\\EventLog\\Security\\"
                 u"Microsoft-Windows-Security-Auditing");
  host::SetStringValue(*key, u"ProviderGuid", u"{54849625-5478-4994-A5BA-3E3B0328C30D}");
}

void WriteChannelKeys(host::Computer& computer) {
  for (const auto& c : kChannels) {
    auto key = Key(computer, std::u16string(kWinevt) + u"Channels\\" + c.name);
    host::SetDwordValue(*key, u"Enabled", c.enabled ? 1 : 0);
    host::SetDwordValue(*key, u"Type", c.type);
    host::SetDwordValue(*key, u"Isolation", 0);
    host::SetStringValue(*key, u"OwningPublisher", c.publisherGuid);
    host::SetDwordValue(*key, u"MaxSize", 1052672);
  }
  for (const auto& p : kPublishers) {
    auto key = Key(computer, std::u16string(kWinevt) + u"Publishers\\" + p.guid);
    host::SetStringValue(*key, u"", p.name);
    host::SetStringValue(*key, u"MessageFileName", p.messageFile, REG_EXPAND_SZ);
    host::SetStringValue(*key, u"ResourceFileName", p.messageFile, REG_EXPAND_SZ);
    auto references = Key(computer, std::u16string(kWinevt) + u"Publishers\\" + p.guid + u"\\ChannelReferences");
    host::SetDwordValue(*references, u"Count", 1);
    auto first = Key(computer, std::u16string(kWinevt) + u"Publishers\\" + p.guid + u"\\ChannelReferences\\0");
    host::SetStringValue(*first, u"", p.channel);
    host::SetDwordValue(*first, u"Id", p.channelId);
    host::SetDwordValue(*first, u"Flags", 0);
  }
}

// The computer name, its system root and the user profiles (which tell the
// machine's accounts), as Windows keeps them.
void WriteIdentityKeys(host::Computer& computer, const DemoIdentity& identity) {
  auto name = Key(computer, u"SYSTEM\\CurrentControlSet\\Control\\ComputerName\\ComputerName");
  host::SetStringValue(*name, u"ComputerName", identity.computer);
  host::SetStringValue(*Key(computer, u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"), u"SystemRoot",
                       u"C:\\Windows");
  const std::u16string profiles = u"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\ProfileList\\";
  host::SetStringValue(*Key(computer, profiles + u"S-1-5-18"), u"ProfileImagePath",
                       u"%systemroot%\\system32\\config\\systemprofile", REG_EXPAND_SZ);
  for (const auto& user : DemoUsers(identity)) {
    host::SetStringValue(*Key(computer, profiles + user.sid), u"ProfileImagePath", u"C:\\Users\\" + user.name,
                         REG_EXPAND_SZ);
  }
}

// The audit policy: logon successes and failures, nothing else.
void WriteAuditPolicy(host::Computer& computer) {
  host::AuditCategoryOptions options{};
  options[AuditCategoryLogon] = POLICY_AUDIT_EVENT_SUCCESS | POLICY_AUDIT_EVENT_FAILURE;
  host::SetAuditPolicy(computer, options);
}

bool WriteLog(const std::string& path, const std::vector<formats::EvtxEventSpec>& events, std::string* error) {
  std::vector<formats::EvtxRecord> records;
  for (const auto& spec : events) records.push_back(formats::BuildEvtxRecord(spec));
  std::string message;
  if (formats::WriteEvtxFile(path, records, message)) return true;
  *error = path + ": " + message;
  return false;
}

bool WriteLogFiles(const std::string& dir, const DemoIdentity& identity, std::string* error) {
  std::string logs = dir + "/" + kLogsFolder + "/";
  std::vector<formats::EvtxEventSpec> archived, security;
  DemoSecurityEvents(identity, &archived, &security);
  return WriteLog(logs + "Application.evtx", DemoApplicationEvents(identity), error) &&
         WriteLog(logs + "System.evtx", DemoSystemEvents(identity), error) &&
         WriteLog(logs + "Security.evtx", security, error) &&
         WriteLog(logs + "Archive-Security-2024-03-03-18-06-41-000.evtx", archived, error) &&
         WriteLog(logs + "Microsoft-Windows-TaskScheduler%4Operational.evtx", DemoTaskSchedulerEvents(identity), error);
}

}  // namespace

bool WriteDemoMachine(const std::string& dir, std::string* error) {
  std::error_code ec;
  fs::create_directories(dir + "/" + kLogsFolder, ec);
  if (ec) {
    *error = dir + ": " + ec.message();
    return false;
  }
  // The registry is built on a computer of its own, outside the host's
  // network, and exported.
  host::Computer computer(kDemoComputerName);
  DemoIdentity identity{kDemoComputerName, computer.Service<host::Accounts>().MachineSid()};
  WriteClassicLogKeys(computer);
  WriteAuditingSourceKey(computer);
  WriteChannelKeys(computer);
  WriteIdentityKeys(computer, identity);
  WriteAuditPolicy(computer);
  if (!WriteLogFiles(dir, identity, error) || !WriteMessageFiles(dir, error)) return false;
  if (DWORD e = host::ExportRegFile(computer, u"HKEY_LOCAL_MACHINE", dir + "/machine.reg")) {
    *error = dir + "/machine.reg: cannot be written (error " + std::to_string(e) + ")";
    return false;
  }
  return true;
}

}  // namespace tool
