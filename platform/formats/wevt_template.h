// The event manifest resource of a provider's resource file
// ("WEVT_TEMPLATE"): a "CRIM" header listing providers by GUID, each a
// "WEVT" block whose elements describe its channels ("CHAN") and events
// ("EVNT") with the message-table identifiers of their texts. Other
// elements (keywords, levels, opcodes, tasks, maps, templates) are passed
// over. The reader works on a byte buffer and checks every offset against
// it.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/api/types.h"

namespace formats {

inline constexpr uint32_t kWevtNoMessage = 0xFFFFFFFFu;

struct WevtChannel {
  uint32_t id = 0;
  std::u16string name;
  uint32_t messageId = kWevtNoMessage;

  bool operator==(const WevtChannel&) const = default;
};

struct WevtEvent {
  uint16_t id = 0;
  uint8_t version = 0;
  uint8_t channel = 0;
  uint8_t level = 0;
  uint8_t opcode = 0;
  uint16_t task = 0;
  uint64_t keywords = 0;
  uint32_t messageId = kWevtNoMessage;

  bool operator==(const WevtEvent&) const = default;
};

struct WevtProvider {
  GUID guid{};
  uint32_t messageId = kWevtNoMessage;
  std::vector<WevtChannel> channels;
  std::vector<WevtEvent> events;

  bool operator==(const WevtProvider&) const = default;
};

// The providers of a manifest resource. False with `problem` set when the
// bytes are not a manifest or an offset or count leads outside them.
bool ReadWevtTemplate(std::span<const uint8_t> bytes, std::vector<WevtProvider>* providers, std::string* problem);

// A manifest resource holding the providers' channels and events.
std::vector<uint8_t> WriteWevtTemplate(const std::vector<WevtProvider>& providers);

}  // namespace formats
