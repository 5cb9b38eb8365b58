#include "platform/formats/evtx_system.h"

namespace formats {
namespace {

struct Extractor {
  const EvtxEvent& e;
  EvtxSystem& out;
  const EvtxNode* system;

  const EvtxNode* element(std::u16string_view name) const { return e.childElement(*system, name); }

  void fromContent(EVT_SYSTEM_PROPERTY_ID id, std::u16string_view name, EVT_VARIANT_TYPE type) {
    if (const EvtxNode* n = element(name)) out.values[id] = ConvertEvtxValue(e.content(*n), type);
  }

  void fromAttribute(EvtxValue& slot, const EvtxNode* n, std::u16string_view name, EVT_VARIANT_TYPE type) {
    if (!n) return;
    if (const EvtxNode* a = e.attribute(*n, name)) slot = ConvertEvtxValue(e.content(*a), type);
  }

  void fromAttribute(EVT_SYSTEM_PROPERTY_ID id, std::u16string_view elem, std::u16string_view name,
                     EVT_VARIANT_TYPE type) {
    fromAttribute(out.values[id], element(elem), name, type);
  }
};

bool HasChildElement(const EvtxEvent& e, const EvtxNode& n) {
  for (const EvtxNode* c = e.firstChild(n); c; c = e.next(*c))
    if (c->kind == EvtxNodeKind::Element) return true;
  return false;
}

void CollectUserData(const EvtxEvent& e, const EvtxNode& n, std::vector<EvtxUserValue>& out) {
  for (const EvtxNode* c = e.firstChild(n); c; c = e.next(*c)) {
    if (c->kind == EvtxNodeKind::Attribute) {
      if (e.name(*c) != u"xmlns" && e.name(*c).rfind(u"xmlns:", 0) != 0) out.push_back({e.name(*c), e.content(*c)});
    }
  }
  if (!HasChildElement(e, n)) {
    out.push_back({e.name(n), e.content(n)});
    return;
  }
  for (const EvtxNode* c = e.firstChild(n); c; c = e.next(*c))
    if (c->kind == EvtxNodeKind::Element) CollectUserData(e, *c, out);
}

}  // namespace

EvtxSystem GetEvtxSystem(const EvtxEvent& event) {
  EvtxSystem out;
  const EvtxNode* system = event.find({u"System"});
  if (!system) return out;
  Extractor x{event, out, system};
  const EvtxNode* provider = x.element(u"Provider");
  x.fromAttribute(out.values[EvtSystemProviderName], provider, u"Name", EvtVarTypeString);
  x.fromAttribute(out.values[EvtSystemProviderGuid], provider, u"Guid", EvtVarTypeGuid);
  x.fromAttribute(out.eventSourceName, provider, u"EventSourceName", EvtVarTypeString);
  x.fromContent(EvtSystemEventID, u"EventID", EvtVarTypeUInt16);
  x.fromAttribute(EvtSystemQualifiers, u"EventID", u"Qualifiers", EvtVarTypeUInt16);
  x.fromContent(EvtSystemVersion, u"Version", EvtVarTypeByte);
  x.fromContent(EvtSystemLevel, u"Level", EvtVarTypeByte);
  x.fromContent(EvtSystemTask, u"Task", EvtVarTypeUInt16);
  x.fromContent(EvtSystemOpcode, u"Opcode", EvtVarTypeByte);
  x.fromContent(EvtSystemKeywords, u"Keywords", EvtVarTypeHexInt64);
  x.fromAttribute(EvtSystemTimeCreated, u"TimeCreated", u"SystemTime", EvtVarTypeFileTime);
  x.fromContent(EvtSystemEventRecordId, u"EventRecordID", EvtVarTypeUInt64);
  x.fromAttribute(EvtSystemActivityID, u"Correlation", u"ActivityID", EvtVarTypeGuid);
  x.fromAttribute(EvtSystemRelatedActivityID, u"Correlation", u"RelatedActivityID", EvtVarTypeGuid);
  x.fromAttribute(EvtSystemProcessID, u"Execution", u"ProcessID", EvtVarTypeUInt32);
  x.fromAttribute(EvtSystemThreadID, u"Execution", u"ThreadID", EvtVarTypeUInt32);
  x.fromContent(EvtSystemChannel, u"Channel", EvtVarTypeString);
  x.fromContent(EvtSystemComputer, u"Computer", EvtVarTypeString);
  x.fromAttribute(EvtSystemUserID, u"Security", u"UserID", EvtVarTypeSid);
  return out;
}

std::vector<EvtxUserValue> GetEvtxUserValues(const EvtxEvent& event) {
  std::vector<EvtxUserValue> out;
  if (const EvtxNode* data = event.find({u"EventData"})) {
    for (const EvtxNode* c = event.firstChild(*data); c; c = event.next(*c)) {
      if (c->kind != EvtxNodeKind::Element) continue;
      std::u16string name = event.name(*c);
      if (name == u"Data") {
        const EvtxNode* attr = event.attribute(*c, u"Name");
        name = attr ? event.text(*attr) : std::u16string();
      }
      out.push_back({std::move(name), event.content(*c)});
    }
  } else if (const EvtxNode* user = event.find({u"UserData"})) {
    for (const EvtxNode* c = event.firstChild(*user); c; c = event.next(*c))
      if (c->kind == EvtxNodeKind::Element) CollectUserData(event, *c, out);
  }
  return out;
}

}  // namespace formats
