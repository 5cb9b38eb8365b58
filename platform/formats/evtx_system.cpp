#include "platform/formats/evtx_system.h"

namespace formats {
namespace {

const EvtxValue kNull;

// The child elements of System that hold properties.
enum SystemElement {
  kProvider, kEventID, kVersion, kLevel, kTask, kOpcode, kKeywords, kTimeCreated, kEventRecordID,
  kCorrelation, kExecution, kChannel, kComputer, kSecurity, kSystemElementCount
};
constexpr std::u16string_view kSystemElementNames[kSystemElementCount] = {
    u"Provider", u"EventID", u"Version", u"Level", u"Task", u"Opcode", u"Keywords", u"TimeCreated",
    u"EventRecordID", u"Correlation", u"Execution", u"Channel", u"Computer", u"Security"};

using SystemElements = std::array<const EvtxNode*, kSystemElementCount>;

// Which property element a name is, or kSystemElementCount; names are told
// apart by their first letter before they are compared.
SystemElement SystemElementOf(std::u16string_view name) {
  auto pick = [&](std::initializer_list<SystemElement> candidates) {
    for (SystemElement e : candidates)
      if (name == kSystemElementNames[e]) return e;
    return kSystemElementCount;
  };
  switch (name.empty() ? u'\0' : name[0]) {
    case u'P': return pick({kProvider});
    case u'E': return pick({kEventID, kEventRecordID, kExecution});
    case u'V': return pick({kVersion});
    case u'L': return pick({kLevel});
    case u'T': return pick({kTask, kTimeCreated});
    case u'O': return pick({kOpcode});
    case u'K': return pick({kKeywords});
    case u'C': return pick({kChannel, kComputer, kCorrelation});
    case u'S': return pick({kSecurity});
    default: return kSystemElementCount;
  }
}

// The first child element of System of each name, in one pass.
SystemElements FindSystemElements(const EvtxEvent& e, const EvtxNode& system) {
  SystemElements found{};
  for (const EvtxNode* c = e.firstChild(system); c; c = e.next(*c)) {
    if (c->kind != EvtxNodeKind::Element) continue;
    SystemElement which = SystemElementOf(e.name(*c));
    if (which != kSystemElementCount && !found[which]) found[which] = c;
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

  const EvtxNode* attribute(SystemElement elem, std::u16string_view name) const {
    return elements[elem] ? e.attribute(*elements[elem], name) : nullptr;
  }

  void fromAttribute(EVT_SYSTEM_PROPERTY_ID id, SystemElement elem, std::u16string_view name, EVT_VARIANT_TYPE type) {
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
  const EvtxNode* attr = e.attribute(*source.node, u"Name");
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
  if (const EvtxNode* data = e.find({u"EventData"})) {
    for (const EvtxNode* c = e.firstChild(*data); c; c = e.next(*c))
      if (c->kind == EvtxNodeKind::Element) f(NameSource{c, e.name(*c) == u"Data"}, *c);
  } else if (const EvtxNode* user = e.find({u"UserData"})) {
    for (const EvtxNode* c = e.firstChild(*user); c; c = e.next(*c))
      if (c->kind == EvtxNodeKind::Element) VisitUserData(e, *c, f);
  }
}

}  // namespace

void GetEvtxSystemRefs(const EvtxEvent& event, EvtxSystemRefs& out) {
  out.values.fill(&kNull);
  out.eventSourceName = &kNull;
  const EvtxNode* system = event.find({u"System"});
  if (!system) return;
  SystemElements elements = FindSystemElements(event, *system);
  Extractor x{event, out, elements};
  x.fromAttribute(EvtSystemProviderName, kProvider, u"Name", EvtVarTypeString);
  x.fromAttribute(EvtSystemProviderGuid, kProvider, u"Guid", EvtVarTypeGuid);
  x.set(out.eventSourceName, x.attribute(kProvider, u"EventSourceName"), EvtVarTypeString);
  x.fromContent(EvtSystemEventID, kEventID, EvtVarTypeUInt16);
  x.fromAttribute(EvtSystemQualifiers, kEventID, u"Qualifiers", EvtVarTypeUInt16);
  x.fromContent(EvtSystemVersion, kVersion, EvtVarTypeByte);
  x.fromContent(EvtSystemLevel, kLevel, EvtVarTypeByte);
  x.fromContent(EvtSystemTask, kTask, EvtVarTypeUInt16);
  x.fromContent(EvtSystemOpcode, kOpcode, EvtVarTypeByte);
  x.fromContent(EvtSystemKeywords, kKeywords, EvtVarTypeHexInt64);
  x.fromAttribute(EvtSystemTimeCreated, kTimeCreated, u"SystemTime", EvtVarTypeFileTime);
  x.fromContent(EvtSystemEventRecordId, kEventRecordID, EvtVarTypeUInt64);
  x.fromAttribute(EvtSystemActivityID, kCorrelation, u"ActivityID", EvtVarTypeGuid);
  x.fromAttribute(EvtSystemRelatedActivityID, kCorrelation, u"RelatedActivityID", EvtVarTypeGuid);
  x.fromAttribute(EvtSystemProcessID, kExecution, u"ProcessID", EvtVarTypeUInt32);
  x.fromAttribute(EvtSystemThreadID, kExecution, u"ThreadID", EvtVarTypeUInt32);
  x.fromContent(EvtSystemChannel, kChannel, EvtVarTypeString);
  x.fromContent(EvtSystemComputer, kComputer, EvtVarTypeString);
  x.fromAttribute(EvtSystemUserID, kSecurity, u"UserID", EvtVarTypeSid);
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
