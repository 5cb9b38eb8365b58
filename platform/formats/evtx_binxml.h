// Binary XML of one chunk: parses record events into the model, resolving
// names through the chunk's string table and template instances through the
// chunk's templates (each parsed once and cached for the chunk). Every read
// is bounds checked against the chunk.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <unordered_map>
#include <vector>

#include "platform/formats/evtx_model.h"

namespace formats {

// Binary XML tokens.
enum EvtxToken : uint8_t {
  kTokEof = 0x00,
  kTokOpenStart = 0x01,
  kTokCloseStart = 0x02,
  kTokCloseEmpty = 0x03,
  kTokEnd = 0x04,
  kTokValue = 0x05,
  kTokAttribute = 0x06,
  kTokCData = 0x07,
  kTokCharRef = 0x08,
  kTokEntityRef = 0x09,
  kTokPITarget = 0x0a,
  kTokPIData = 0x0b,
  kTokTemplateInstance = 0x0c,
  kTokNormalSubstitution = 0x0d,
  kTokOptionalSubstitution = 0x0e,
  kTokFragmentHeader = 0x0f,
  kTokMoreFlag = 0x40,
};

// A record's Binary XML when it is one template instance and nothing else
// (a fragment header, the instance, its values, an end of fragment), and so
// is every value of it that is Binary XML: where each value stands, and a
// key of the templates and value types (the instances of one key have the
// same tree, but for the values).
struct EvtxInstanceView {
  struct Value {
    uint32_t offset;  // in the chunk
    uint32_t size;
    uint8_t type;
  };
  std::vector<Value> values;  // of the instance, then of the nested ones
  std::string key;
};

class EvtxChunkParser {
 public:
  explicit EvtxChunkParser(std::span<const uint8_t> chunk);
  ~EvtxChunkParser();

  // Parses the Binary XML at [begin, end) of the chunk into `event` (whose
  // names become this chunk's names). False with `error` on malformed data.
  bool parseEvent(size_t begin, size_t end, EvtxEvent& event, std::string& error);

  // Reads the Binary XML at [begin, end) as one template instance, with the
  // bounds checks that parseEvent makes of it; false when it is anything
  // else or does not fit (parseEvent then tells which).
  bool readInstance(size_t begin, size_t end, EvtxInstanceView& out) const;
  // Where the values of the event parsed last came from: the instance value
  // that event.values[i] was decoded from.
  const std::vector<EvtxInstanceView::Value>& placedValues() const { return placed_; }

 private:
  struct Template;
  struct Instance;

  bool readInstanceAt(size_t begin, size_t end, int depth, EvtxInstanceView& out) const;
  bool parseFragment(size_t& pos, size_t end, EvtxTreeBuilder& out, int depth);
  bool parseTemplateInstance(size_t& pos, size_t end, EvtxTreeBuilder& out, int depth);
  const Template* templateAt(uint32_t offset);
  bool parseElement(size_t& pos, size_t end, Template& t, EvtxTreeBuilder& b, int depth);
  bool parseAttributes(size_t& pos, size_t end, Template& t, EvtxTreeBuilder& b);
  bool parseContent(size_t& pos, size_t end, Template& t, EvtxTreeBuilder& b, int depth);
  bool parseValueToken(uint8_t token, size_t& pos, size_t end, Template& t, EvtxTreeBuilder& b);
  bool readName(size_t& pos, size_t end, uint32_t& id);
  bool readString(size_t& pos, size_t end, std::u16string& out);
  bool readValueText(size_t& pos, size_t end, EvtxValue& v);
  size_t elementNameAt(size_t pos, size_t end) const;
  void instantiate(const Template& t, uint32_t node, Instance& inst, EvtxTreeBuilder& out, int depth);
  bool leftOut(const Template& t, const EvtxNode& n, const Instance& inst) const;
  void emitSubstitution(const Template& t, uint32_t sub, Instance& inst, EvtxTreeBuilder& out, int depth);
  bool fail(const char* what, size_t at);
  void share(Template& t);

  std::span<const uint8_t> chunk_;
  std::shared_ptr<EvtxNames> names_;
  std::shared_ptr<EvtxSharedValues> shared_;  // the literal texts of every template, for the events to share
  std::unordered_map<uint32_t, uint32_t> nameIds_;
  std::unordered_map<uint32_t, std::unique_ptr<Template>> templates_;
  std::vector<Instance> instances_;
  size_t lastNodes_ = 0, lastValues_ = 0;  // the sizes of the last event parsed  // the values of the template instance
                                           // at each fragment depth, reused
  EvtxEvent* event_ = nullptr;
  std::vector<EvtxInstanceView::Value> placed_;
  bool definition_ = false;  // parsing a template definition (whose element starts have a dependency identifier)
  std::string error_;
};

}  // namespace formats
