// The in-memory model of Windows XML events: one event is a tree of nodes
// (elements, attributes, typed values, CDATA, references) kept in flat
// vectors. Names are shared by every event of a chunk (EvtxNames), values are
// typed (EvtxValue).
#pragma once

#include <array>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/formats/evtx_value.h"

namespace formats {

inline constexpr uint32_t kEvtxNone = 0xFFFFFFFFu;
// Node value indexes from here on are into EvtxEvent::shared.
inline constexpr uint32_t kEvtxSharedValue = 0x80000000u;

// Names that readers of events look nodes up by (the System properties and
// the user data); a name table knows the ids it gave them.
enum EvtxKnownName : uint8_t {
  kEvtxNameProvider,
  kEvtxNameEventID,
  kEvtxNameVersion,
  kEvtxNameLevel,
  kEvtxNameTask,
  kEvtxNameOpcode,
  kEvtxNameKeywords,
  kEvtxNameTimeCreated,
  kEvtxNameEventRecordID,
  kEvtxNameCorrelation,
  kEvtxNameExecution,
  kEvtxNameChannel,
  kEvtxNameComputer,
  kEvtxNameSecurity,  // the property elements of System, in this order
  kEvtxNameSystem,
  kEvtxNameEventData,
  kEvtxNameUserData,
  kEvtxNameData,
  kEvtxNameName,
  kEvtxNameGuid,
  kEvtxNameEventSourceName,
  kEvtxNameQualifiers,
  kEvtxNameSystemTime,
  kEvtxNameActivityID,
  kEvtxNameRelatedActivityID,
  kEvtxNameProcessID,
  kEvtxNameThreadID,
  kEvtxNameUserID,
  kEvtxKnownNameCount
};

// An append-only table of element, attribute and entity names.
class EvtxNames {
 public:
  EvtxNames() { known_.fill(kEvtxNone); }
  uint32_t Intern(std::u16string_view name);
  const std::u16string& operator[](uint32_t id) const { return names_[id]; }
  size_t size() const { return names_.size(); }
  // The id of a known name, kEvtxNone while the table does not hold it.
  uint32_t known(EvtxKnownName name) const { return known_[name]; }

 private:
  std::vector<std::u16string> names_;
  std::unordered_map<std::u16string, uint32_t> ids_;
  std::array<uint32_t, kEvtxKnownNameCount> known_;
};

enum class EvtxNodeKind : uint8_t {
  Element,    // name; children: attributes first, then content
  Attribute,  // name; children: its value nodes
  Value,      // value: a literal text (String) or a substitution value (typed)
  CData,      // value: the CDATA text (String)
  CharRef,    // charRef: "&#N;"
  EntityRef,  // name: "&name;"
  PI,         // name: the target; value: the data (String)
};

struct EvtxNode {
  EvtxNodeKind kind = EvtxNodeKind::Element;
  uint16_t charRef = 0;
  uint32_t name = kEvtxNone;   // index into EvtxEvent::names
  uint32_t value = kEvtxNone;  // index into EvtxEvent::values
  uint32_t parent = kEvtxNone;
  uint32_t firstChild = kEvtxNone;
  uint32_t nextSibling = kEvtxNone;
};

// Values that the events of a chunk share (the literal texts of its
// templates); only appended to while the chunk is read.
using EvtxSharedValues = std::deque<EvtxValue>;

// One event. nodes[0], when present, is the root element ("Event").
struct EvtxEvent {
  std::shared_ptr<const EvtxNames> names;
  std::vector<EvtxNode> nodes;
  std::vector<EvtxValue> values;
  std::shared_ptr<const EvtxSharedValues> shared;

  // The value of a Value, CData or PI node: values[n.value], or a shared
  // value; null when the node has none.
  const EvtxValue* value(const EvtxNode& n) const {
    if (n.value < values.size()) return &values[n.value];
    if (n.value < kEvtxSharedValue || n.value == kEvtxNone || !shared) return nullptr;
    size_t i = n.value - kEvtxSharedValue;
    return i < shared->size() ? &(*shared)[i] : nullptr;
  }

  const EvtxNode* root() const { return nodes.empty() ? nullptr : &nodes[0]; }
  uint32_t index(const EvtxNode& n) const { return static_cast<uint32_t>(&n - nodes.data()); }
  const std::u16string& name(const EvtxNode& n) const;  // empty for unnamed nodes
  const EvtxNode* firstChild(const EvtxNode& n) const { return at(n.firstChild); }
  const EvtxNode* next(const EvtxNode& n) const { return at(n.nextSibling); }
  const EvtxNode* at(uint32_t i) const { return i < nodes.size() ? &nodes[i] : nullptr; }

  // The first child element / attribute of `n` with this name.
  const EvtxNode* childElement(const EvtxNode& n, std::u16string_view name) const;
  const EvtxNode* attribute(const EvtxNode& n, std::u16string_view name) const;
  // Follows a path of element names from the root, e.g. {u"System", u"Channel"}.
  const EvtxNode* find(std::initializer_list<std::u16string_view> path) const;

  // The content of an element or attribute: the typed value when it is one
  // value (an array value included), otherwise the concatenated text as a
  // String; Null when there is no content. Child elements are ignored.
  EvtxValue content(const EvtxNode& n) const;
  // The same without a copy: the event's own value when the content is one
  // value, a Null value when there is none; null when the content is mixed
  // (content() then builds its text).
  const EvtxValue* contentValue(const EvtxNode& n) const;
  std::u16string text(const EvtxNode& n) const;
};

// One event record of a file.
struct EvtxRecord {
  uint64_t recordId = 0;     // EventRecordID
  uint64_t writtenTime = 0;  // FILETIME, UTC
  EvtxEvent event;
};

// Appends nodes to an EvtxEvent, linking parents and siblings.
class EvtxTreeBuilder {
 public:
  explicit EvtxTreeBuilder(EvtxEvent& event) : event_(event) { stack_.reserve(16); }
  uint32_t open(EvtxNodeKind kind, uint32_t name);  // Element or Attribute; becomes the current parent
  void close();                                     // back to the parent
  uint32_t add(const EvtxNode& leaf);               // a leaf under the current parent
  uint32_t addValue(EvtxValue&& v);                 // a Value leaf
  size_t depth() const { return stack_.size(); }

 private:
  uint32_t link(EvtxNode n);
  EvtxEvent& event_;
  struct Open {
    uint32_t node;
    uint32_t lastChild;
  };
  std::vector<Open> stack_;
  uint32_t lastTop_ = kEvtxNone;
};

// Renderers ask for every value's content: inline.
inline const EvtxValue* EvtxEvent::contentValue(const EvtxNode& n) const {
  static const EvtxValue null;
  const EvtxNode* only = nullptr;
  size_t count = 0;
  for (const EvtxNode* c = firstChild(n); c; c = next(*c)) {
    if (c->kind == EvtxNodeKind::Element || c->kind == EvtxNodeKind::Attribute || c->kind == EvtxNodeKind::PI) continue;
    only = c;
    ++count;
  }
  if (count == 0) return &null;
  if (count == 1 && only->kind == EvtxNodeKind::Value) {
    if (const EvtxValue* v = value(*only)) return v;
  }
  return nullptr;
}

// The builder runs for every node of every event read: inline.
inline uint32_t EvtxTreeBuilder::link(EvtxNode n) {
  uint32_t id = static_cast<uint32_t>(event_.nodes.size());
  if (stack_.empty()) {
    n.parent = kEvtxNone;
    if (lastTop_ != kEvtxNone) event_.nodes[lastTop_].nextSibling = id;
    lastTop_ = id;
  } else {
    Open& top = stack_.back();
    n.parent = top.node;
    if (top.lastChild == kEvtxNone) event_.nodes[top.node].firstChild = id;
    else event_.nodes[top.lastChild].nextSibling = id;
    top.lastChild = id;
  }
  n.firstChild = kEvtxNone;
  n.nextSibling = kEvtxNone;
  event_.nodes.push_back(n);
  return id;
}

inline uint32_t EvtxTreeBuilder::open(EvtxNodeKind kind, uint32_t name) {
  EvtxNode n;
  n.kind = kind;
  n.name = name;
  uint32_t id = link(n);
  stack_.push_back({id, kEvtxNone});
  return id;
}

inline void EvtxTreeBuilder::close() {
  if (!stack_.empty()) stack_.pop_back();
}

inline uint32_t EvtxTreeBuilder::add(const EvtxNode& leaf) { return link(leaf); }

}  // namespace formats
