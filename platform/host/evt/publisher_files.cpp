// A publisher's resource, message and parameter files, as the registry of
// its computer names them: the event manifest resource ("WEVT_TEMPLATE") of
// the resource file gives the events and the message identifiers of the
// channels and of the publisher; the message tables give the texts.
#include <cstring>

#include "platform/api/errors.h"
#include "platform/formats/wevt_template.h"
#include "platform/host/evt/event_channels.h"
#include "platform/host/modules/data_modules.h"
#include "platform/host/modules/pe_image.h"

namespace host {
namespace {

constexpr char16_t kManifestType[] = u"WEVT_TEMPLATE";

// The first file of a ";"-separated list, read as a PE image.
DWORD ReadPeImage(const EventLogService& service, const std::u16string& paths, std::shared_ptr<const PeImage>* image) {
  std::u16string path = paths.substr(0, paths.find(u';'));
  std::string linuxPath;
  if (DWORD e = service.MapComputerPath(path, &linuxPath)) return e;
  auto read = std::make_shared<PeImage>();
  if (DWORD e = ReadPeFile(linuxPath, read.get())) return e;
  *image = read;
  return 0;
}

void ApplyProvider(const formats::WevtProvider& provider, Publisher& publisher) {
  publisher.messageId = provider.messageId;
  publisher.events.clear();
  for (const auto& e : provider.events) {
    EventDefinition d;
    d.id = e.id;
    d.version = e.version;
    d.channel = e.channel;
    d.level = e.level;
    d.opcode = e.opcode;
    d.task = e.task;
    d.keywords = e.keywords;
    d.messageId = e.messageId;
    publisher.events.push_back(d);
  }
  for (auto& ref : publisher.channels) {
    for (const auto& c : provider.channels) {
      if (EqualNoCase(c.name, ref.path)) ref.messageId = c.messageId;
    }
  }
}

DWORD ReadManifest(const PeImage& image, Publisher& publisher) {
  std::span<const uint8_t> bytes;
  if (DWORD e = image.NamedTypeResource(kManifestType, 1, &bytes)) return e;
  std::vector<formats::WevtProvider> providers;
  std::string problem;
  if (!formats::ReadWevtTemplate(bytes, &providers, &problem)) return ERROR_INVALID_DATA;
  for (const auto& provider : providers) {
    if (std::memcmp(&provider.guid, &publisher.guid, sizeof(GUID)) == 0) {
      ApplyProvider(provider, publisher);
      return 0;
    }
  }
  return ERROR_EVT_PUBLISHER_METADATA_NOT_FOUND;
}

}  // namespace

DWORD LoadPublisherFiles(const EventLogService& service, Publisher& publisher) {
  if (!publisher.messages.empty()) return 0;  // texts given with the model
  if (!publisher.messageFilePath.empty()) {
    publisher.messageFileError = ReadPeImage(service, publisher.messageFilePath, &publisher.messageFile);
  }
  if (!publisher.parameterFilePath.empty()) ReadPeImage(service, publisher.parameterFilePath, &publisher.parameterFile);
  if (publisher.resourceFilePath.empty()) return 0;
  std::shared_ptr<const PeImage> resources;
  if (DWORD e = ReadPeImage(service, publisher.resourceFilePath, &resources)) return e;
  return ReadManifest(*resources, publisher);
}

}  // namespace host
