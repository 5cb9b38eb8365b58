#include "platform/formats/evtx_model.h"

namespace formats {

namespace {

constexpr std::u16string_view kKnownNames[kEvtxKnownNameCount] = {
    u"Provider",        u"EventID",    u"Version",     u"Level",         u"Task",
    u"Opcode",          u"Keywords",   u"TimeCreated", u"EventRecordID", u"Correlation",
    u"Execution",       u"Channel",    u"Computer",    u"Security",      u"System",
    u"EventData",       u"UserData",   u"Data",        u"Name",          u"Guid",
    u"EventSourceName", u"Qualifiers", u"SystemTime",  u"ActivityID",    u"RelatedActivityID",
    u"ProcessID",       u"ThreadID",   u"UserID"};

}  // namespace

uint32_t EvtxNames::Intern(std::u16string_view name) {
  auto found = ids_.find(std::u16string(name));
  if (found != ids_.end()) return found->second;
  uint32_t id = static_cast<uint32_t>(names_.size());
  names_.emplace_back(name);
  ids_.emplace(names_.back(), id);
  for (size_t k = 0; k < known_.size(); ++k)
    if (name == kKnownNames[k]) known_[k] = id;
  return id;
}

const std::u16string& EvtxEvent::name(const EvtxNode& n) const {
  static const std::u16string empty;
  if (!names || n.name >= names->size()) return empty;
  return (*names)[n.name];
}

const EvtxNode* EvtxEvent::childElement(const EvtxNode& n, std::u16string_view wanted) const {
  for (const EvtxNode* c = firstChild(n); c; c = next(*c))
    if (c->kind == EvtxNodeKind::Element && name(*c) == wanted) return c;
  return nullptr;
}

const EvtxNode* EvtxEvent::attribute(const EvtxNode& n, std::u16string_view wanted) const {
  for (const EvtxNode* c = firstChild(n); c; c = next(*c))
    if (c->kind == EvtxNodeKind::Attribute && name(*c) == wanted) return c;
  return nullptr;
}

const EvtxNode* EvtxEvent::find(std::initializer_list<std::u16string_view> path) const {
  const EvtxNode* n = root();
  for (std::u16string_view step : path) {
    if (!n) return nullptr;
    n = childElement(*n, step);
  }
  return n;
}

EvtxValue EvtxEvent::content(const EvtxNode& n) const {
  const EvtxValue* value = contentValue(n);
  return value ? *value : EvtxValue::String(text(n));
}

std::u16string EvtxEvent::text(const EvtxNode& n) const {
  std::u16string out;
  for (const EvtxNode* c = firstChild(n); c; c = next(*c)) {
    switch (c->kind) {
      case EvtxNodeKind::Value:
      case EvtxNodeKind::CData:
        if (const EvtxValue* v = value(*c)) AppendEvtxValueText(*v, out);
        break;
      case EvtxNodeKind::CharRef: out.push_back(c->charRef); break;
      case EvtxNodeKind::EntityRef: {
        const std::u16string& e = name(*c);
        if (e == u"amp") out += u'&';
        else if (e == u"lt") out += u'<';
        else if (e == u"gt") out += u'>';
        else if (e == u"quot") out += u'"';
        else if (e == u"apos") out += u'\'';
        else out += u'&' + e + u';';
        break;
      }
      default: break;
    }
  }
  return out;
}

uint32_t EvtxTreeBuilder::addValue(EvtxValue&& v) {
  EvtxNode n;
  n.kind = EvtxNodeKind::Value;
  n.value = static_cast<uint32_t>(event_.values.size());
  event_.values.push_back(std::move(v));
  return link(n);
}

}  // namespace formats
