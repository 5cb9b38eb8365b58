#include <cstring>

#include "platform/formats/evtx_bytes.h"
#include "platform/formats/wevt_template.h"

namespace formats {
namespace {

void AppendTag(std::vector<uint8_t>& out, const char (&tag)[5]) {
  for (size_t i = 0; i < 4; ++i) out.push_back(static_cast<uint8_t>(tag[i]));
}

// A size-prefixed, NUL-ended UTF-16 string padded to 8 bytes.
void AppendName(std::vector<uint8_t>& out, const std::u16string& name) {
  size_t at = out.size();
  EvtxAppend<uint32_t>(out, 0);
  EvtxAppendUtf16(out, name);
  EvtxAppend<uint16_t>(out, 0);
  while ((out.size() - at) % 8) out.push_back(0);
  EvtxStore<uint32_t>(out, at, static_cast<uint32_t>(out.size() - at));
}

void AppendChannels(std::vector<uint8_t>& out, const std::vector<WevtChannel>& channels) {
  size_t at = out.size();
  AppendTag(out, "CHAN");
  EvtxAppend<uint32_t>(out, 0);
  EvtxAppend<uint32_t>(out, static_cast<uint32_t>(channels.size()));
  size_t first = out.size();
  out.resize(first + channels.size() * 16);
  for (size_t i = 0; i < channels.size(); ++i) {
    size_t d = first + i * 16;
    EvtxStore<uint32_t>(out, d, channels[i].id);
    EvtxStore<uint32_t>(out, d + 4, static_cast<uint32_t>(out.size()));
    EvtxStore<uint32_t>(out, d + 12, channels[i].messageId);
    AppendName(out, channels[i].name);
  }
  EvtxStore<uint32_t>(out, at + 4, static_cast<uint32_t>(out.size() - at));
}

void AppendEvents(std::vector<uint8_t>& out, const std::vector<WevtEvent>& events) {
  size_t at = out.size();
  AppendTag(out, "EVNT");
  EvtxAppend<uint32_t>(out, 0);
  EvtxAppend<uint32_t>(out, static_cast<uint32_t>(events.size()));
  EvtxAppend<uint32_t>(out, 0);
  for (const WevtEvent& e : events) {
    size_t d = out.size();
    out.resize(d + 48);
    EvtxStore<uint16_t>(out, d, e.id);
    EvtxStore<uint8_t>(out, d + 2, e.version);
    EvtxStore<uint8_t>(out, d + 3, e.channel);
    EvtxStore<uint8_t>(out, d + 4, e.level);
    EvtxStore<uint8_t>(out, d + 5, e.opcode);
    EvtxStore<uint16_t>(out, d + 6, e.task);
    EvtxStore<uint64_t>(out, d + 8, e.keywords);
    EvtxStore<uint32_t>(out, d + 16, e.messageId);
  }
  EvtxStore<uint32_t>(out, at + 4, static_cast<uint32_t>(out.size() - at));
}

void AppendProvider(std::vector<uint8_t>& out, const WevtProvider& provider) {
  size_t at = out.size();
  AppendTag(out, "WEVT");
  EvtxAppend<uint32_t>(out, 0);
  EvtxAppend<uint32_t>(out, provider.messageId);
  EvtxAppend<uint32_t>(out, 2);  // elements: channels and events
  EvtxAppend<uint32_t>(out, 0);
  size_t descriptors = out.size();
  out.resize(descriptors + 2 * 8);
  EvtxStore<uint32_t>(out, descriptors, static_cast<uint32_t>(out.size()));
  AppendChannels(out, provider.channels);
  EvtxStore<uint32_t>(out, descriptors + 8, static_cast<uint32_t>(out.size()));
  AppendEvents(out, provider.events);
  EvtxStore<uint32_t>(out, at + 4, static_cast<uint32_t>(out.size() - at));
}

}  // namespace

std::vector<uint8_t> WriteWevtTemplate(const std::vector<WevtProvider>& providers) {
  std::vector<uint8_t> out;
  AppendTag(out, "CRIM");
  EvtxAppend<uint32_t>(out, 0);
  EvtxAppend<uint16_t>(out, 3);
  EvtxAppend<uint16_t>(out, 1);
  EvtxAppend<uint32_t>(out, static_cast<uint32_t>(providers.size()));
  out.resize(out.size() + providers.size() * 20);
  for (size_t i = 0; i < providers.size(); ++i) {
    size_t d = 16 + i * 20;
    std::memcpy(out.data() + d, &providers[i].guid, sizeof(GUID));
    EvtxStore<uint32_t>(out, d + 16, static_cast<uint32_t>(out.size()));
    AppendProvider(out, providers[i]);
  }
  EvtxStore<uint32_t>(out, 4, static_cast<uint32_t>(out.size()));
  return out;
}

}  // namespace formats
