#include "platform/formats/evtx_system.h"

namespace formats {
namespace {

const EvtxValue kNull;

constexpr std::array<EVT_VARIANT_TYPE, EvtSystemPropertyIdEND> kPropertyTypes = {
    EvtVarTypeString,    // ProviderName
    EvtVarTypeGuid,      // ProviderGuid
    EvtVarTypeUInt16,    // EventID
    EvtVarTypeUInt16,    // Qualifiers
    EvtVarTypeByte,      // Level
    EvtVarTypeUInt16,    // Task
    EvtVarTypeByte,      // Opcode
    EvtVarTypeHexInt64,  // Keywords
    EvtVarTypeFileTime,  // TimeCreated
    EvtVarTypeUInt64,    // EventRecordId
    EvtVarTypeGuid,      // ActivityID
    EvtVarTypeGuid,      // RelatedActivityID
    EvtVarTypeUInt32,    // ProcessID
    EvtVarTypeUInt32,    // ThreadID
    EvtVarTypeString,    // Channel
    EvtVarTypeString,    // Computer
    EvtVarTypeSid,       // UserID
    EvtVarTypeByte,      // Version
};

// The child elements of System that hold properties, in the order of their
// known names (kEvtxNameProvider ... kEvtxNameSecurity).
enum SystemElement {
  kProvider,
  kEventID,
  kVersion,
  kLevel,
  kTask,
  kOpcode,
  kKeywords,
  kTimeCreated,
  kEventRecordID,
  kCorrelation,
  kExecution,
  kChannel,
  kComputer,
  kSecurity,
  kSystemElementCount
};

using SystemElements = std::array<const EvtxNode*, kSystemElementCount>;

// Nodes are told apart by the ids of their names in the event's table.
uint32_t IdOf(const EvtxEvent& e, EvtxKnownName name) { return e.names ? e.names->known(name) : kEvtxNone; }

const EvtxNode* Child(const EvtxEvent& e, const EvtxNode* n, EvtxNodeKind kind, EvtxKnownName name) {
  uint32_t id = IdOf(e, name);
  if (!n || id == kEvtxNone) return nullptr;
  for (const EvtxNode* c = e.firstChild(*n); c; c = e.next(*c))
    if (c->kind == kind && c->name == id) return c;
  return nullptr;
}

// The first child element of System of each name, in one pass.
SystemElements FindSystemElements(const EvtxEvent& e, const EvtxNode& system) {
  std::array<uint32_t, kSystemElementCount> ids;
  for (size_t i = 0; i < ids.size(); ++i) ids[i] = IdOf(e, static_cast<EvtxKnownName>(kEvtxNameProvider + i));
  SystemElements found{};
  for (const EvtxNode* c = e.firstChild(system); c; c = e.next(*c)) {
    if (c->kind != EvtxNodeKind::Element || c->name == kEvtxNone) continue;
    for (size_t i = 0; i < ids.size(); ++i) {
      if (c->name == ids[i]) {
        if (!found[i]) found[i] = c;
        break;
      }
    }
  }
  return found;
}

struct Extractor {
  const EvtxEvent& e;
  EvtxSystemRefs& out;
  const SystemElements& elements;

  // Points `slot` at the content of `n` as `type`; a value that needs a
  // conversion is kept in `out.converted`. A missing node leaves the slot Null.
  const EvtxValue* set(const EvtxValue*& slot, const EvtxNode* n, EVT_VARIANT_TYPE type) {
    if (!n) return &kNull;
    const EvtxValue* v = e.contentValue(*n);
    if (v && (v->isNull() || v->type == type)) {
      slot = v;
      return v;
    }
    slot = &out.converted.emplace_front(ConvertEvtxValue(v ? *v : EvtxValue::String(e.text(*n)), type));
    return v;
  }

  void property(EVT_SYSTEM_PROPERTY_ID id, const EvtxNode* n) {
    out.contents[id] = set(out.values[id], n, kPropertyTypes[id]);
  }

  void fromContent(EVT_SYSTEM_PROPERTY_ID id, SystemElement elem) { property(id, elements[elem]); }

  const EvtxNode* attribute(SystemElement elem, EvtxKnownName name) const {
    return Child(e, elements[elem], EvtxNodeKind::Attribute, name);
  }

  void fromAttribute(EVT_SYSTEM_PROPERTY_ID id, SystemElement elem, EvtxKnownName name) {
    property(id, attribute(elem, name));
  }
};

bool HasChildElement(const EvtxEvent& e, const EvtxNode& n) {
  for (const EvtxNode* c = e.firstChild(n); c; c = e.next(*c))
    if (c->kind == EvtxNodeKind::Element) return true;
  return false;
}

// Where a user value takes its name from: the Name attribute of an EventData
// "Data" element, else the name of the node itself.
struct NameSource {
  const EvtxNode* node;
  bool dataElement;
};

std::u16string NameOf(const EvtxEvent& e, NameSource source) {
  if (!source.dataElement) return e.name(*source.node);
  const EvtxNode* attr = Child(e, source.node, EvtxNodeKind::Attribute, kEvtxNameName);
  return attr ? e.text(*attr) : std::u16string();
}

// Calls f(NameSource, node) for the leaves and attributes of a UserData element.
template <class F>
void VisitUserData(const EvtxEvent& e, const EvtxNode& n, F& f) {
  for (const EvtxNode* c = e.firstChild(n); c; c = e.next(*c)) {
    if (c->kind == EvtxNodeKind::Attribute) {
      const std::u16string& name = e.name(*c);
      if (name != u"xmlns" && name.rfind(u"xmlns:", 0) != 0) f(NameSource{c, false}, *c);
    }
  }
  if (!HasChildElement(e, n)) {
    f(NameSource{&n, false}, n);
    return;
  }
  for (const EvtxNode* c = e.firstChild(n); c; c = e.next(*c))
    if (c->kind == EvtxNodeKind::Element) VisitUserData(e, *c, f);
}

// Calls f(NameSource, node) for every user value in order; the value is the
// node's content.
template <class F>
void VisitUserValues(const EvtxEvent& e, F f) {
  uint32_t dataId = IdOf(e, kEvtxNameData);
  if (const EvtxNode* data = Child(e, e.root(), EvtxNodeKind::Element, kEvtxNameEventData)) {
    for (const EvtxNode* c = e.firstChild(*data); c; c = e.next(*c))
      if (c->kind == EvtxNodeKind::Element) f(NameSource{c, dataId != kEvtxNone && c->name == dataId}, *c);
  } else if (const EvtxNode* user = Child(e, e.root(), EvtxNodeKind::Element, kEvtxNameUserData)) {
    for (const EvtxNode* c = e.firstChild(*user); c; c = e.next(*c))
      if (c->kind == EvtxNodeKind::Element) VisitUserData(e, *c, f);
  }
}

}  // namespace

void GetEvtxSystemRefs(const EvtxEvent& event, EvtxSystemRefs& out) {
  out.values.fill(&kNull);
  out.contents.fill(&kNull);
  out.eventSourceName = &kNull;
  const EvtxNode* system = Child(event, event.root(), EvtxNodeKind::Element, kEvtxNameSystem);
  if (!system) return;
  SystemElements elements = FindSystemElements(event, *system);
  Extractor x{event, out, elements};
  x.fromAttribute(EvtSystemProviderName, kProvider, kEvtxNameName);
  x.fromAttribute(EvtSystemProviderGuid, kProvider, kEvtxNameGuid);
  x.set(out.eventSourceName, x.attribute(kProvider, kEvtxNameEventSourceName), EvtVarTypeString);
  x.fromContent(EvtSystemEventID, kEventID);
  x.fromAttribute(EvtSystemQualifiers, kEventID, kEvtxNameQualifiers);
  x.fromContent(EvtSystemVersion, kVersion);
  x.fromContent(EvtSystemLevel, kLevel);
  x.fromContent(EvtSystemTask, kTask);
  x.fromContent(EvtSystemOpcode, kOpcode);
  x.fromContent(EvtSystemKeywords, kKeywords);
  x.fromAttribute(EvtSystemTimeCreated, kTimeCreated, kEvtxNameSystemTime);
  x.fromContent(EvtSystemEventRecordId, kEventRecordID);
  x.fromAttribute(EvtSystemActivityID, kCorrelation, kEvtxNameActivityID);
  x.fromAttribute(EvtSystemRelatedActivityID, kCorrelation, kEvtxNameRelatedActivityID);
  x.fromAttribute(EvtSystemProcessID, kExecution, kEvtxNameProcessID);
  x.fromAttribute(EvtSystemThreadID, kExecution, kEvtxNameThreadID);
  x.fromContent(EvtSystemChannel, kChannel);
  x.fromContent(EvtSystemComputer, kComputer);
  x.fromAttribute(EvtSystemUserID, kSecurity, kEvtxNameUserID);
}

EVT_VARIANT_TYPE EvtxSystemPropertyType(EVT_SYSTEM_PROPERTY_ID id) { return kPropertyTypes[id]; }

EvtxSystem GetEvtxSystem(const EvtxEvent& event) {
  EvtxSystemRefs refs;
  GetEvtxSystemRefs(event, refs);
  EvtxSystem out;
  for (size_t i = 0; i < out.values.size(); ++i) out.values[i] = *refs.values[i];
  out.eventSourceName = *refs.eventSourceName;
  return out;
}

std::vector<EvtxUserValue> GetEvtxUserValues(const EvtxEvent& event) {
  std::vector<EvtxUserValue> out;
  VisitUserValues(event, [&](NameSource name, const EvtxNode& n) {
    out.push_back({NameOf(event, name), event.content(n)});
  });
  return out;
}

void GetEvtxUserValueRefs(const EvtxEvent& event, std::vector<const EvtxValue*>& values,
                          std::forward_list<EvtxValue>& texts) {
  values.reserve(event.values.size());  // as a rule one value each
  VisitUserValues(event, [&](NameSource, const EvtxNode& n) {
    const EvtxValue* v = event.contentValue(n);
    if (!v) v = &texts.emplace_front(EvtxValue::String(event.text(n)));
    values.push_back(v);
  });
}

}  // namespace formats
