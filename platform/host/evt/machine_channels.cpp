#include "platform/host/evt/machine_channels.h"

#include <filesystem>

#include "platform/api/utf.h"
#include "platform/formats/evtx_value.h"
#include "platform/host/evt/event_channels.h"
#include "platform/host/files/paths.h"
#include "platform/host/registry/registry_model.h"
#include "platform/host/registry/registry_values.h"

namespace host {
namespace {

namespace fs = std::filesystem;

constexpr char16_t kChannelsKey[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WINEVT\\Channels";
constexpr char16_t kPublishersKey[] = u"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\WINEVT\\Publishers";
constexpr char16_t kEventLogKey[] = u"SYSTEM\\CurrentControlSet\\Services\\EventLog";
constexpr char16_t kLogsFolder[] = u"C:\\Windows\\System32\\winevt\\Logs";

// Publishers by GUID text, with their channel references.
std::map<std::u16string, Publisher, NoCaseLess> ReadPublishers(Registry& registry) {
  std::map<std::u16string, Publisher, NoCaseLess> publishers;
  auto root = Registry::Find(registry.Root(HKEY_LOCAL_MACHINE), kPublishersKey);
  if (!root) return publishers;
  for (const auto& [guidText, key] : root->Subkeys()) {
    Publisher p;
    if (!ReadStringValue(*key, u"", &p.name) || p.name.empty()) continue;
    formats::ParseEvtxGuid(guidText, p.guid);
    ReadStringValue(*key, u"MessageFileName", &p.messageFilePath);
    ReadStringValue(*key, u"ResourceFileName", &p.resourceFilePath);
    ReadStringValue(*key, u"ParameterFileName", &p.parameterFilePath);
    if (auto refs = key->Subkey(u"ChannelReferences")) {
      for (const auto& [index, ref] : refs->Subkeys()) {
        ChannelReference r;
        if (!ReadStringValue(*ref, u"", &r.path)) continue;
        for (char16_t c : index) r.index = (c >= u'0' && c <= u'9') ? r.index * 10 + (c - u'0') : r.index;
        ReadDwordValue(*ref, u"Id", &r.id);
        ReadDwordValue(*ref, u"Flags", &r.flags);
        p.channels.push_back(std::move(r));
      }
    }
    publishers[guidText] = std::move(p);
  }
  return publishers;
}

void ApplyChannelKey(const RegistryKey& key, const std::map<std::u16string, Publisher, NoCaseLess>& publishers,
                     ChannelConfig& c) {
  DWORD value = 0;
  if (ReadDwordValue(key, u"Enabled", &value)) c.enabled = value != 0;
  if (ReadDwordValue(key, u"Type", &value)) c.type = value;
  if (ReadDwordValue(key, u"Isolation", &value)) c.isolation = value;
  if (ReadDwordValue(key, u"MaxSize", &value)) c.maxSize = value;
  if (ReadDwordValue(key, u"Retention", &value)) c.retention = value != 0;
  if (ReadDwordValue(key, u"AutoBackupLogFiles", &value)) c.autoBackup = value != 0;
  ReadStringValue(key, u"ChannelAccess", &c.access);
  ReadStringValue(key, u"File", &c.logFilePath);
  std::u16string owner;
  if (ReadStringValue(key, u"OwningPublisher", &owner)) {
    auto it = publishers.find(owner);
    c.owningPublisher = it == publishers.end() ? owner : it->second.name;
  }
}

void ApplyClassicKey(const RegistryKey& key, ChannelConfig& c) {
  c.classic = true;
  DWORD value = 0;
  if (ReadDwordValue(key, u"MaxSize", &value)) c.maxSize = value;
  // Classic retention: 0 overwrites as needed, any other value keeps events.
  if (ReadDwordValue(key, u"Retention", &value)) c.retention = value != 0;
  if (ReadDwordValue(key, u"AutoBackupLogFiles", &value)) c.autoBackup = value != 0;
  std::u16string file;
  if (ReadStringValue(key, u"File", &file) && c.logFilePath.empty()) c.logFilePath = file;
}

// Channel configurations from the registry, by name.
std::map<std::u16string, ChannelConfig, NoCaseLess> ReadChannelConfigs(
    Registry& registry, const std::map<std::u16string, Publisher, NoCaseLess>& publishers) {
  std::map<std::u16string, ChannelConfig, NoCaseLess> configs;
  auto machine = registry.Root(HKEY_LOCAL_MACHINE);
  if (auto channels = Registry::Find(machine, kChannelsKey)) {
    for (const auto& [name, key] : channels->Subkeys()) {
      ChannelConfig& c = configs[name];
      c.name = name;
      ApplyChannelKey(*key, publishers, c);
    }
  }
  if (auto logs = Registry::Find(machine, kEventLogKey)) {
    for (const auto& [name, key] : logs->Subkeys()) {
      ChannelConfig& c = configs[name];
      if (c.name.empty()) c.name = name;
      ApplyClassicKey(*key, c);
    }
  }
  return configs;
}

}  // namespace

size_t LoadMachineChannels(Computer& computer, std::vector<std::string>* diagnostics) {
  Lock lock;
  auto& service = EventLogOf(computer);
  Registry& registry = computer.Service<Registry>();
  auto publishers = ReadPublishers(registry);
  auto configs = ReadChannelConfigs(registry, publishers);
  for (auto& [guid, p] : publishers) {
    for (auto& c : configs) {
      for (const auto& ref : p.channels) {
        if (EqualNoCase(ref.path, c.first)) c.second.publishers.push_back(p.name);
      }
    }
    service.AddPublisher(p);
  }
  // Log files: a channel for each, named after the file.
  std::string folder;
  std::error_code ec;
  if (service.MapComputerPath(kLogsFolder, &folder) == 0 && fs::is_directory(folder, ec)) {
    for (const auto& entry : fs::directory_iterator(folder, ec)) {
      std::u16string file = plat::Utf8ToUtf16(entry.path().filename().string());
      bool evtx = file.size() > 5 && EqualNoCase(file.substr(file.size() - 5), u".evtx");
      if (!evtx || file.starts_with(u"Archive-")) continue;
      std::u16string name = ChannelNameOfLogFile(file);
      ChannelConfig& c = configs[name];
      if (c.name.empty()) c.name = name;
      if (c.logFilePath.empty()) c.logFilePath = u"%SystemRoot%\\System32\\Winevt\\Logs\\" + file;
    }
  } else if (diagnostics) {
    diagnostics->push_back("no log folder " + plat::Utf16ToUtf8(kLogsFolder) + " on the computer");
  }
  size_t added = 0;
  for (auto& [name, config] : configs) {
    std::string file;
    // Only .evtx files back a channel; a classic .evt log stays empty here.
    bool evtx = config.logFilePath.size() > 5 &&
                EqualNoCase(std::u16string_view(config.logFilePath).substr(config.logFilePath.size() - 5), u".evtx");
    bool hasFile = evtx && service.MapComputerPath(config.logFilePath, &file) == 0 && fs::is_regular_file(file, ec);
    EventChannel& channel = service.AddChannel(config);
    channel.backingFile = hasFile ? file : std::string();
    channel.loaded = false;
    ++added;
  }
  return added;
}

}  // namespace host
