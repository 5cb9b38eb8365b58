#include <cstring>

#include "platform/formats/evtx_bytes.h"
#include "platform/formats/wevt_template.h"

namespace formats {
namespace {

constexpr size_t kProviderDescriptor = 20, kElementDescriptor = 8;
constexpr size_t kChannelDefinition = 16, kEventDefinition = 48;
// No real manifest comes near these; they keep a damaged count from
// allocating without end.
constexpr uint32_t kMaxCount = 1u << 20;

bool Signature(std::span<const uint8_t> bytes, size_t at, const char (&tag)[5]) {
  return EvtxFits(bytes, at, 4) && std::memcmp(bytes.data() + at, tag, 4) == 0;
}

class ManifestReader {
 public:
  ManifestReader(std::span<const uint8_t> bytes, std::string* problem) : bytes_(bytes), problem_(problem) {}

  bool Read(std::vector<WevtProvider>* providers) {
    if (!Signature(bytes_, 0, "CRIM") || !EvtxFits(bytes_, 0, 16)) return Fail("no CRIM header");
    if (EvtxLoad<uint32_t>(bytes_, 4) > bytes_.size()) return Fail("cut off before its size");
    uint32_t count = EvtxLoad<uint32_t>(bytes_, 12);
    if (count > kMaxCount || !EvtxFits(bytes_, 16, size_t{count} * kProviderDescriptor)) {
      return Fail("provider descriptors outside the resource");
    }
    providers->clear();
    for (uint32_t i = 0; i < count; ++i) {
      size_t at = 16 + size_t{i} * kProviderDescriptor;
      WevtProvider provider;
      std::memcpy(&provider.guid, bytes_.data() + at, sizeof provider.guid);
      if (!ReadProvider(EvtxLoad<uint32_t>(bytes_, at + 16), provider)) return false;
      providers->push_back(std::move(provider));
    }
    return true;
  }

 private:
  bool Fail(const std::string& what) {
    *problem_ = "event manifest: " + what;
    return false;
  }

  bool ReadProvider(size_t at, WevtProvider& provider) {
    if (!Signature(bytes_, at, "WEVT") || !EvtxFits(bytes_, at, 20)) return Fail("no WEVT block at a provider offset");
    provider.messageId = EvtxLoad<uint32_t>(bytes_, at + 8);
    uint32_t elements = EvtxLoad<uint32_t>(bytes_, at + 12);
    if (elements > kMaxCount || !EvtxFits(bytes_, at + 20, size_t{elements} * kElementDescriptor)) {
      return Fail("element descriptors outside the resource");
    }
    for (uint32_t i = 0; i < elements; ++i) {
      size_t element = EvtxLoad<uint32_t>(bytes_, at + 20 + size_t{i} * kElementDescriptor);
      if (Signature(bytes_, element, "CHAN") && !ReadChannels(element, provider.channels)) return false;
      if (Signature(bytes_, element, "EVNT") && !ReadEvents(element, provider.events)) return false;
    }
    return true;
  }

  // Calls `read` with the offset of each of an element's definitions of
  // `size` bytes, which start at `first`; false when they do not fit.
  template <typename F>
  bool ForEachDefinition(size_t element, size_t first, size_t size, const char* what, F read) {
    const uint32_t count = EvtxLoad<uint32_t>(bytes_, element + 8);
    if (!EvtxFits(bytes_, element, first - element) || count > kMaxCount ||
        !EvtxFits(bytes_, first, size_t{count} * size))
      return Fail(std::string(what) + " definitions outside the resource");
    for (uint32_t i = 0; i < count; ++i)
      if (!read(first + size_t{i} * size)) return false;
    return true;
  }

  bool ReadChannels(size_t at, std::vector<WevtChannel>& channels) {
    return ForEachDefinition(at, at + 12, kChannelDefinition, "channel", [&](size_t d) {
      WevtChannel channel;
      channel.id = EvtxLoad<uint32_t>(bytes_, d);
      channel.messageId = EvtxLoad<uint32_t>(bytes_, d + 12);
      if (!ReadName(EvtxLoad<uint32_t>(bytes_, d + 4), channel.name)) return Fail("channel name outside the resource");
      channels.push_back(std::move(channel));
      return true;
    });
  }

  // A size-prefixed UTF-16 string; the size counts itself.
  bool ReadName(size_t at, std::u16string& name) {
    if (!EvtxFits(bytes_, at, 4)) return false;
    uint32_t size = EvtxLoad<uint32_t>(bytes_, at);
    if (size < 4 || !EvtxFits(bytes_, at, size)) return false;
    EvtxLoadUtf16(bytes_, at + 4, (size - 4) / 2, name);
    name = std::u16string(name.c_str());  // up to its end-of-string character
    return true;
  }

  bool ReadEvents(size_t at, std::vector<WevtEvent>& events) {
    return ForEachDefinition(at, at + 16, kEventDefinition, "event", [&](size_t d) {
      WevtEvent e;
      e.id = EvtxLoad<uint16_t>(bytes_, d);
      e.version = EvtxLoad<uint8_t>(bytes_, d + 2);
      e.channel = EvtxLoad<uint8_t>(bytes_, d + 3);
      e.level = EvtxLoad<uint8_t>(bytes_, d + 4);
      e.opcode = EvtxLoad<uint8_t>(bytes_, d + 5);
      e.task = EvtxLoad<uint16_t>(bytes_, d + 6);
      e.keywords = EvtxLoad<uint64_t>(bytes_, d + 8);
      e.messageId = EvtxLoad<uint32_t>(bytes_, d + 16);
      events.push_back(e);
      return true;
    });
  }

  std::span<const uint8_t> bytes_;
  std::string* problem_;
};

}  // namespace

bool ReadWevtTemplate(std::span<const uint8_t> bytes, std::vector<WevtProvider>* providers, std::string* problem) {
  return ManifestReader(bytes, problem).Read(providers);
}

}  // namespace formats
