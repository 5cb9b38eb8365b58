#include "platform/formats/evtx_system.h"

namespace formats {
namespace {

const EvtxValue kNull;

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
  void set(const EvtxValue*& slot, const EvtxNode* n, EVT_VARIANT_TYPE type) {
    if (!n) return;
    const EvtxValue* v = e.contentValue(*n);
    if (v && (v->isNull() || v->type == type)) {
      slot = v;
      return;
    }
    slot = &out.converted.emplace_front(ConvertEvtxValue(v ? *v : EvtxValue::String(e.text(*n)), type));
  }

  void fromContent(EVT_SYSTEM_PROPERTY_ID id, SystemElement elem, EVT_VARIANT_TYPE type) {
    set(out.values[id], elements[elem], type);
  }

  const EvtxNode* attribute(SystemElement elem, EvtxKnownName name) const {
    return Child(e, elements[elem], EvtxNodeKind::Attribute, name);
  }

  void fromAttribute(EVT_SYSTEM_PROPERTY_ID id, SystemElement elem, EvtxKnownName name, EVT_VARIANT_TYPE type) {
    set(out.values[id], attribute(elem, name), type);
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
  out.eventSourceName = &kNull;
  const EvtxNode* system = Child(event, event.root(), EvtxNodeKind::Element, kEvtxNameSystem);
  if (!system) return;
  SystemElements elements = FindSystemElements(event, *system);
  Extractor x{event, out, elements};
  x.fromAttribute(EvtSystemProviderName, kProvider, kEvtxNameName, EvtVarTypeString);
  x.fromAttribute(EvtSystemProviderGuid, kProvider, kEvtxNameGuid, EvtVarTypeGuid);
  x.set(out.eventSourceName, x.attribute(kProvider, kEvtxNameEventSourceName), EvtVarTypeString);
  x.fromContent(EvtSystemEventID, kEventID, EvtVarTypeUInt16);
  x.fromAttribute(EvtSystemQualifiers, kEventID, kEvtxNameQualifiers, EvtVarTypeUInt16);
  x.fromContent(EvtSystemVersion, kVersion, EvtVarTypeByte);
  x.fromContent(EvtSystemLevel, kLevel, EvtVarTypeByte);
  x.fromContent(EvtSystemTask, kTask, EvtVarTypeUInt16);
  x.fromContent(EvtSystemOpcode, kOpcode, EvtVarTypeByte);
  x.fromContent(EvtSystemKeywords, kKeywords, EvtVarTypeHexInt64);
  x.fromAttribute(EvtSystemTimeCreated, kTimeCreated, kEvtxNameSystemTime, EvtVarTypeFileTime);
  x.fromContent(EvtSystemEventRecordId, kEventRecordID, EvtVarTypeUInt64);
  x.fromAttribute(EvtSystemActivityID, kCorrelation, kEvtxNameActivityID, EvtVarTypeGuid);
  x.fromAttribute(EvtSystemRelatedActivityID, kCorrelation, kEvtxNameRelatedActivityID, EvtVarTypeGuid);
  x.fromAttribute(EvtSystemProcessID, kExecution, kEvtxNameProcessID, EvtVarTypeUInt32);
  x.fromAttribute(EvtSystemThreadID, kExecution, kEvtxNameThreadID, EvtVarTypeUInt32);
  x.fromContent(EvtSystemChannel, kChannel, EvtVarTypeString);
  x.fromContent(EvtSystemComputer, kComputer, EvtVarTypeString);
  x.fromAttribute(EvtSystemUserID, kSecurity, kEvtxNameUserID, EvtVarTypeSid);
}

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
