// GetChannelInfo: the channel fields of a log info entry, read through the
// channel's configuration, its log and its owning publisher's metadata.
#include <vector>

#include "base/trace.h"
#include "collect/evt_channels.h"
#include "platform/api/wide.h"
#include "render/evt_property_buffer.h"

namespace cmr {

namespace {

bool ReadConfig(const EvtApi& api, EVT_HANDLE config, int id, EvtPropertyBuffer& buffer) {
  return buffer.Read([&](DWORD size, PEVT_VARIANT data, PDWORD used) {
    return api.EvtGetChannelConfigProperty(config, id, 0, size, data, used);
  });
}

// The message id of the publisher's reference to `channel`; false when the
// publisher has none or a read fails.
bool ChannelMessageId(const EvtApi& api, EVT_HANDLE metadata, const std::u16string& channel, DWORD* messageId) {
  EvtPropertyBuffer buffer;
  if (!buffer.Read([&](DWORD size, PEVT_VARIANT data, PDWORD used) {
        return api.EvtGetPublisherMetadataProperty(metadata, EvtPublisherMetadataChannelReferences, 0, size, data,
                                                   used);
      }) ||
      buffer.Value().Type != EvtVarTypeEvtHandle) {
    return false;
  }
  EVT_HANDLE references = buffer.Value().EvtHandleVal;
  DWORD count = 0;
  bool found = false;
  if (api.EvtGetObjectArraySize(references, &count)) {
    for (DWORD i = 0; i < count && !found; ++i) {
      auto read = [&](DWORD id) {
        return buffer.Read([&](DWORD size, PEVT_VARIANT data, PDWORD used) {
          return api.EvtGetObjectArrayProperty(references, id, i, 0, size, data, used);
        });
      };
      if (!read(EvtPublisherMetadataChannelReferencePath)) break;
      if (VariantString(buffer.Value()) != channel) continue;
      found = read(EvtPublisherMetadataChannelReferenceMessageID) && buffer.Value().Type == EvtVarTypeUInt32;
      if (found) *messageId = buffer.Value().UInt32Val;
      if (!found) break;
    }
  }
  CloseEvtHandle(api, references);
  return found;
}

// The display name of a channel in a locale: 0 and the text, or the error.
DWORD DisplayName(const EvtApi& api, EVT_HANDLE session, const std::u16string& publisher, const std::u16string& channel,
                  LCID locale, std::u16string* text) {
  EVT_HANDLE metadata = api.EvtOpenPublisherMetadata(session, plat::W(publisher.c_str()), nullptr, locale, 0);
  if (!metadata) return GetLastError();
  DWORD messageId = 0;
  DWORD error = 0;
  if (!ChannelMessageId(api, metadata, channel, &messageId) ||
      !FormatPublisherMessage(api, metadata, messageId, text)) {
    error = GetLastError();
    if (error == 0) error = ERROR_NOT_FOUND;
  }
  CloseEvtHandle(api, metadata);
  return error;
}

void ReadDisplayName(const EvtApi& api, EVT_HANDLE session, EVT_HANDLE config, LCID language,
                     cmr::LogInfoEntry& entry) {
  EvtPropertyBuffer buffer;
  if (!ReadConfig(api, config, EvtChannelConfigOwningPublisher, buffer)) return;
  std::u16string publisher = VariantString(buffer.Value());
  if (publisher.empty()) return;
  std::u16string text;
  DWORD error = DisplayName(api, session, publisher, entry.Name, language, &text);
  if (error == ERROR_EVT_MESSAGE_NOT_FOUND) {
    error = DisplayName(api, session, publisher, entry.Name, GetSystemDefaultLCID(), &text);
  }
  if (error == 0) entry.DisplayName = text;
}

void ReadRecordCount(const EvtApi& api, EVT_HANDLE session, cmr::LogInfoEntry& entry) {
  EVT_HANDLE log = api.EvtOpenLog(session, plat::W(entry.Name.c_str()), EvtOpenChannelPath);
  if (!log) {
    Trace(10, u"Error while open event log '%s' handle: %d", entry.Name, GetLastError());
    return;
  }
  EvtPropertyBuffer buffer;
  if (buffer.Read([&](DWORD size, PEVT_VARIANT data, PDWORD used) {
        return api.EvtGetLogInfo(log, EvtLogNumberOfLogRecords, size, data, used);
      })) {
    entry.NumOfRecords = buffer.Value().UInt64Val;
  } else {
    Trace(10, u"Error while reading event log '%s' record num: %d", entry.Name, GetLastError());
  }
  CloseEvtHandle(api, log);
}

}  // namespace

void GetChannelInfo(const EvtApi& api, EVT_HANDLE session, LCID language, cmr::LogInfoEntry& entry) {
  EVT_HANDLE config = api.EvtOpenChannelConfig(session, plat::W(entry.Name.c_str()), 0);
  if (!config) {
    Trace(10, u"Error while open event log '%s' config: %d", entry.Name, GetLastError());
    return;
  }
  EvtPropertyBuffer buffer;
  if (!ReadConfig(api, config, EvtChannelConfigType, buffer)) {
    Trace(10, u"Error while reading event log '%s' type: %d", entry.Name, GetLastError());
    CloseEvtHandle(api, config);
    return;
  }
  entry.ChannelType = static_cast<int32_t>(buffer.Value().UInt32Val);
  if (ReadConfig(api, config, EvtChannelConfigEnabled, buffer)) {
    entry.Enabled = buffer.Value().BooleanVal ? 1 : 0;
  } else {
    Trace(10, u"Error while reading event log '%s' EvtChannelConfigEnabled: %d", entry.Name, GetLastError());
  }
  if (ReadConfig(api, config, EvtChannelConfigClassicEventlog, buffer)) {
    entry.API = buffer.Value().BooleanVal ? cmr::kApiClassic : cmr::kApiVista;
  } else {
    Trace(10, u"Error while reading event log '%s' EvtChannelConfigClassicEventlog: %d", entry.Name, GetLastError());
  }
  if (entry.Enabled) ReadRecordCount(api, session, entry);
  ReadDisplayName(api, session, config, language, entry);
  CloseEvtHandle(api, config);
}

}  // namespace cmr
