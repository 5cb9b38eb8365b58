// EvtOpenChannelConfig and EvtGetChannelConfigProperty.
#include "platform/api/kernel.h"
#include "platform/host/evt/evt_objects.h"
#include "platform/host/evt/evt_variant_buffer.h"
#include "platform/host/evt/wevtapi.h"
#include "platform/host/faults/faults.h"

using namespace host::evt;
using formats::EvtxValue;

namespace {

EvtxValue ConfigValue(const host::ChannelConfig& c, int id) {
  switch (id) {
    case EvtChannelConfigEnabled: return EvtxValue::Boolean(c.enabled);
    case EvtChannelConfigIsolation: return EvtxValue::Integer(EvtVarTypeUInt32, c.isolation);
    case EvtChannelConfigType: return EvtxValue::Integer(EvtVarTypeUInt32, c.type);
    case EvtChannelConfigOwningPublisher: return EvtxValue::String(c.owningPublisher);
    case EvtChannelConfigClassicEventlog: return EvtxValue::Boolean(c.classic);
    case EvtChannelConfigAccess: return EvtxValue::String(c.access);
    case EvtChannelLoggingConfigRetention: return EvtxValue::Boolean(c.retention);
    case EvtChannelLoggingConfigAutoBackup: return EvtxValue::Boolean(c.autoBackup);
    case EvtChannelLoggingConfigMaxSize: return EvtxValue::Integer(EvtVarTypeUInt64, c.maxSize);
    case EvtChannelLoggingConfigLogFilePath: return EvtxValue::String(c.logFilePath);
    case EvtChannelPublishingConfigLevel:
    case EvtChannelPublishingConfigBufferSize:
    case EvtChannelPublishingConfigMinBuffers:
    case EvtChannelPublishingConfigMaxBuffers:
    case EvtChannelPublishingConfigLatency:
    case EvtChannelPublishingConfigClockType:
    case EvtChannelPublishingConfigSidType:
    case EvtChannelPublishingConfigFileMax: return EvtxValue::Null();  // not kept for these channels
    case EvtChannelPublishingConfigKeywords: return EvtxValue::Null();
    case EvtChannelPublishingConfigControlGuid: return EvtxValue::Null();
    case EvtChannelPublisherList: {
      std::vector<EvtxValue> names;
      for (const auto& p : c.publishers) names.push_back(EvtxValue::String(p));
      return EvtxValue::Array(EvtVarTypeString, std::move(names));
    }
    default: return EvtxValue::Null();
  }
}

}  // namespace

EVT_HANDLE WINAPI EvtOpenChannelConfig(EVT_HANDLE session, LPCWSTR channelPath, DWORD flags) {
  if (DWORD e = HOST_FAULT("EvtOpenChannelConfig")) return FailHandle(e);
  if (!channelPath || flags != 0) return FailHandle(ERROR_INVALID_PARAMETER);
  host::Lock lock;
  DWORD error = 0;
  host::Computer* computer = SessionComputer(session, &error);
  if (!computer) return FailHandle(error);
  host::EventChannel* channel = host::EventLogOf(*computer).FindChannel(channelPath);
  if (!channel) return FailHandle(ERROR_EVT_CHANNEL_NOT_FOUND);
  auto config = std::make_shared<ChannelConfigObject>();
  config->server = session ? As<Session>(session)->server : std::u16string();
  config->channel = channel->config.name;
  return Add(config);
}

BOOL WINAPI EvtGetChannelConfigProperty(EVT_HANDLE channelConfig, int propertyId, DWORD flags, DWORD bufferSize,
                                        PEVT_VARIANT buffer, PDWORD bufferUsed) {
  if (DWORD e = HOST_FAULT("EvtGetChannelConfigProperty")) return Fail(e);
  if (flags != 0 || !bufferUsed || propertyId < 0 || propertyId >= EvtChannelConfigPropertyIdEND) {
    return Fail(ERROR_INVALID_PARAMETER);
  }
  host::Lock lock;
  auto config = As<ChannelConfigObject>(channelConfig);
  if (!config) return Fail(ERROR_INVALID_HANDLE);
  host::Computer* computer = host::Host::Get().Find(config->server);
  if (!computer || !computer->Reachable()) return Fail(RPC_S_SERVER_UNAVAILABLE);
  host::EventChannel* channel = host::EventLogOf(*computer).FindChannel(config->channel);
  if (!channel) return Fail(ERROR_EVT_CHANNEL_NOT_FOUND);
  EvtxValue value = ConfigValue(channel->config, propertyId);
  if (DWORD e = host::WriteVariants({&value, 1}, bufferSize, buffer, bufferUsed)) return Fail(e);
  return TRUE;
}
